// SPDX-License-Identifier: GPL-3.0-or-later
// The program state: the one record that every window and command shares.
//
// Field names are the ones the rest of the program and its documentation use
// (DataPts, NumPts, CommentBuf, ...). Indices of points, comment slots and
// list entries are 1-based; the small accessors below map them once. An index
// outside an array's bounds throws std::out_of_range: a bug detector, which
// the main window reports like any other error, since commands check their
// counts before they index. The point arrays keep the layout that libkelvane
// expects: three adjacent floats per point.
#pragma once

#include "core/PlotColours.h"
#include "core/RecentFileList.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <stdexcept>

constexpr int PointCapacity = 2200;
constexpr int MaxPoints = 2199;
constexpr int CommentSlotLength = 96;
constexpr int CommentSlots = 50;
constexpr int CommentBufLength = CommentSlotLength * CommentSlots;
constexpr int PlotCapacity = 2500;
constexpr int FitListCapacity = 15;

// A fixed array indexed 1..N.
template <typename T, int N> class OneBased
{
public:
    T &operator()(int i) { return m_items.at(index(i)); }
    const T &operator()(int i) const { return m_items.at(index(i)); }
    T *data() { return m_items.data(); }
    const T *data() const { return m_items.data(); }
    static constexpr int size() { return N; }
    void fill(const T &value) { m_items.fill(value); }

private:
    static size_t index(int i)
    {
        if (i < 1 || i > N)
            throw std::out_of_range("index outside the array");
        return size_t(i - 1);
    }
    std::array<T, N> m_items {};
};

// 2200 points of (x, conc, flag); x is a radius in cm, a flag above 0 marks a
// good point.
class PointArray
{
public:
    float &x(int i) { return at(i, 0); }
    float &conc(int i) { return at(i, 1); }
    float &flag(int i) { return at(i, 2); }
    float x(int i) const { return at(i, 0); }
    float conc(int i) const { return at(i, 1); }
    float flag(int i) const { return at(i, 2); }
    float *data() { return m_values.data(); }
    const float *data() const { return m_values.data(); }

private:
    float &at(int i, int component) { return m_values[offset(i, component)]; }
    float at(int i, int component) const { return m_values[offset(i, component)]; }
    static size_t offset(int i, int component)
    {
        if (i < 1 || i > PointCapacity)
            throw std::out_of_range("point index outside 1..2200");
        return size_t(3 * (i - 1) + component);
    }
    std::array<float, 3 * PointCapacity> m_values {};
};

// 50 comment slots of 96 single-byte characters, blank-padded.
class CommentBuffer
{
public:
    CommentBuffer() { clear(); }
    void clear() { m_chars.fill(' '); }
    // Slot k (1..50), all 96 characters.
    QByteArray slot(int k) const;
    // Stores `line` in slot k, cut or blank-padded to 96 characters.
    void setSlot(int k, const QByteArray &line);
    char *data() { return m_chars.data(); }
    const char *data() const { return m_chars.data(); }
    static constexpr int size() { return CommentBufLength; }

private:
    std::array<char, CommentBufLength> m_chars;
};

// What a fresh state holds and start-up sets again.
constexpr PlotColours DefaultColours {};
constexpr float DefaultNoiseRms = 0.01f;

// The plot of the data set: what the editor draws and edits. The program
// state holds it, and the editor works on a copy (PlotSession).
struct PlotFields {
    OneBased<float, PlotCapacity> PlotX;
    OneBased<float, PlotCapacity> PlotY;
    OneBased<float, PlotCapacity> PlotFlag;
    int16_t PlotCount = 0;
    QString PlotTitle;
    QString PlotSubtitle;
    QString XAxisLabel;
    QString YAxisLabel;
    float PlotXMin = 0.0f;
    float PlotXMax = 0.0f;
    float PlotYMin = 0.0f;
    float PlotYMax = 0.0f;
};

struct ProgramState : PlotFields {
    PointArray RawPts; // the data set as read (with a fit file's marks)
    PointArray DataPts; // the edited data set
    PointArray BlankPts;
    OneBased<float, PointCapacity> NoiseVals;
    int32_t NumPts = 0;
    int32_t NumBlankPts = 0;
    CommentBuffer CommentBuf;
    int32_t NumComments = 0;
    CommentBuffer BlankCommentBuf;
    int32_t NumBlankComments = 0;

    int32_t FirstIdx = 0;
    int32_t LastIdx = 0;
    float FirstX = 0.0f;
    float LastX = 0.0f;
    bool IsRadius = false;

    bool BlankLoaded = false;
    bool NoiseAdded = false;
    float NoiseRms = DefaultNoiseRms;

    int16_t GoodRed = DefaultColours.GoodRed;
    int16_t GoodGreen = DefaultColours.GoodGreen;
    int16_t GoodBlue = DefaultColours.GoodBlue;
    int16_t DelRed = DefaultColours.DelRed;
    int16_t DelGreen = DefaultColours.DelGreen;
    int16_t DelBlue = DefaultColours.DelBlue;

    // Paths are held whole, never cut to a fixed length.
    QString ReadPath;
    QString WorkDir; // ends in a directory separator
    QString TmpPath;
    QString CommentTmpPath;
    // Where the working files go while the data set is a scan opened from a
    // run (ends in a directory separator): a folder of the program's own,
    // never the run's. Empty otherwise: WorkDir, as for any file.
    QString WorkFilesDir;
    QString PrinterName;
    QString AppVersion; // set at start-up

    bool ShowXY = true;
    bool CommitEdits = false;

    QString FitFileName;
    int16_t NumFitFound = 0;
    OneBased<QString, FitListCapacity> FitDataFiles;
    OneBased<int32_t, FitListCapacity> FitSectionNum;
    bool FitFileOK = false;

    // The data and fit files opened last, kept in the settings file.
    RecentFileList RecentFiles;

    // Set by the commands and kept for the record; nothing reads them.
    QString DataFileName;
    QString BlankFileName;
    int16_t NumFitFiles = 0;
};

PlotColours ColoursOf(const ProgramState &state);
void SetColours(ProgramState &state, const PlotColours &colours);

// Points 1..count of one array copied into another, as the data set moves
// between the file's values and the edited ones.
void CopyPoints(const PointArray &from, PointArray &to, int count);

// Clear Blank's change of the state: the blank dropped and the data set back
// to the file's values, its good range following the file's flags again (a
// Truncated save would otherwise drop points that are good once more).
void ClearBlankState(ProgramState &state);

// First and last good point after a load: FirstIdx/FirstX and LastIdx/LastX
// start at points 1 and NumPts, then move to the first and last point whose
// flag is above 0; IsRadius = LastX < 8. With NumPts = 0 it sets FirstIdx and
// FirstX and then throws, as reading point 0 must.
void SetFirstLastGood(ProgramState &state);

// The two scans alone, over DataPts, without the reset: with no good point
// the four markers keep their values. IsRadius is left alone.
void ScanFirstLastGood(ProgramState &state);
