// SPDX-License-Identifier: GPL-3.0-or-later
#include "datafiles/FitFile.h"

#include "base/AppContext.h"
#include "base/MainView.h"
#include "base/MenuState.h"
#include "base/Platform.h"
#include "core/NumLib.h"
#include "core/NumberFormat.h"
#include "core/Profile.h"
#include "core/ProgramState.h"
#include "datafiles/ClearBlank.h"
#include "datafiles/GetData.h"
#include "datafiles/TextFiles.h"
#include "datafiles/WorkFile.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <set>

namespace
{

constexpr int NameLength = 128; // names of up to 127 characters
constexpr int ValueLength = 96; // values of up to 95 characters
constexpr int FieldsPerKey = 20;
constexpr int FieldWidth = 4;

const QString FitError = QStringLiteral("Fit-File Error!");

// Marks point i deleted, keeping the magnitude of its flag.
void markDeleted(PointArray &pts, int i)
{
    pts.flag(i) = -std::fabs(pts.flag(i));
}

// Reads the list of the fit file `chosen`, whose folder is the current
// directory; false when it is not usable (after telling the user why). The
// state changes only when it is.
bool ReadChosenFitFile(AppContext &app, const QString &chosen)
{
    const ProfileReader fit(chosen);
    if (fit.getInt("FileCount", "number", 0) == 0) {
        app.platform.messageBox(
            QStringLiteral("Error Reading FileCount::number!  Fit-File List Unusable."), FitError,
            MsgStyle::Exclamation);
        return false;
    }
    // Names are taken against the fit file's folder, which the dialog made
    // the current directory.
    FitList list = ReadFitList(fit, [](const QString &name) { return FileExists(name); });
    const int found = int(list.names.size());
    if (found == 0) {
        app.platform.messageBox(QStringLiteral("No Data Files Were Found!"),
            QStringLiteral("All Data Files Missing!"), MsgStyle::Exclamation);
        return false;
    }
    if (found < list.listed) {
        app.platform.messageBox(
            QStringLiteral("Not All of the Data Files Were Found!  Continue Editing Good Files."),
            QStringLiteral("Data Files Missing!"), MsgStyle::Exclamation);
    }
    if (found > FitListCapacity) {
        app.platform.messageBox(
            QStringLiteral("The fit file lists %1 data files that exist; only the "
                           "first %2 can be offered.")
                .arg(found)
                .arg(FitListCapacity),
            FitError, MsgStyle::Exclamation);
    }

    ProgramState &s = app.state;
    s.FitFileName = chosen;
    s.NumFitFound = int16_t(std::min(found, FitListCapacity));
    s.NumFitFiles = s.NumFitFound;
    for (int k = 1; k <= s.NumFitFound; ++k) {
        s.FitDataFiles(k) = list.names[size_t(k - 1)];
        s.FitSectionNum(k) = list.sections[size_t(k - 1)];
    }
    return true;
}

// Reads the list; false when it is not usable, or the dialog was cancelled.
bool ReadFitFile(AppContext &app)
{
    FileDialogSpec spec;
    spec.title = QStringLiteral("Fit-File Name");
    spec.initialName = QStringLiteral("*.*");
    spec.filter = QStringLiteral("Fit-File | *.*");
    spec.flags = FileDialogFlag::FileMustExist;
    const std::optional<QString> chosen = app.platform.fileDialog(spec);
    return chosen && ReadChosenFitFile(app, *chosen);
}

// With a usable list: the LoadedFiles menu filled, and entry 1 loaded.
void ShowFitList(AppContext &app, MainView &view)
{
    ProgramState &s = app.state;
    view.setMenuVisible(MenuEntry::FilesLoaded, true);
    for (int i = 1; i < FitListCapacity; ++i) {
        view.setDataSetCaption(i, QString());
        view.setDataSetEnabled(i, false);
        view.setDataSetVisible(i, false);
        view.setDataSetChecked(i, false);
    }
    for (int k = 1; k <= s.NumFitFound; ++k) {
        s.FitDataFiles(k) = s.FitDataFiles(k).trimmed();
        view.setDataSetCaption(k - 1, TabCaptionFor(s.FitDataFiles(k)));
        view.setDataSetEnabled(k - 1, true);
        view.setDataSetVisible(k - 1, true);
    }
    LoadFitDataSet(app, view, 1);
}

} // namespace

double LenientNumber(const QByteArray &text)
{
    const char *p = text.constData();
    const char *const end = p + text.size();
    while (p != end && (*p == ' ' || *p == '\t'))
        ++p;
    char number[128];
    int length = 0;
    auto take = [&](char c) {
        if (length < int(sizeof number) - 1)
            number[length++] = c;
    };
    if (p != end && (*p == '+' || *p == '-')) {
        if (*p == '-')
            take('-');
        ++p;
    }
    bool digits = false;
    bool point = false;
    for (; p != end; ++p) {
        if (*p >= '0' && *p <= '9') {
            digits = true;
            take(*p);
        } else if (*p == '.' && !point) {
            point = true;
            take('.');
        } else {
            break;
        }
    }
    if (!digits)
        return 0.0;
    if (p != end && (*p == 'E' || *p == 'e' || *p == 'D' || *p == 'd')) {
        const char *q = p + 1;
        bool negative = false;
        if (q != end && (*q == '+' || *q == '-'))
            negative = *q++ == '-';
        if (q != end && *q >= '0' && *q <= '9') {
            take('e');
            if (negative)
                take('-');
            for (; q != end && *q >= '0' && *q <= '9'; ++q)
                take(*q);
        }
    }
    double value = 0.0;
    const auto result = std::from_chars(number, number + length, value);
    if (result.ec == std::errc::result_out_of_range) {
        // Out of range: a negative exponent made it too small (0), anything
        // else too large (infinite).
        const bool tiny = QByteArray(number, length).contains("e-");
        value = tiny ? 0.0 : HUGE_VAL;
        if (number[0] == '-')
            value = -value;
    }
    return value;
}

QByteArray FitSectionName(int section)
{
    return "File" + NumberFormat::formatted(section, NumberFormat::TwoDigits);
}

FitList ReadFitList(const ProfileReader &fit, const std::function<bool(const QString &)> &exists)
{
    FitList list;
    list.listed = fit.getInt("FileCount", "number", 0);
    // Only sections that are present can name a file, so the count is walked
    // through them instead of number by number: a huge count costs nothing.
    static const QRegularExpression sectionName(
        QStringLiteral("^file(\\d+)$"), QRegularExpression::CaseInsensitiveOption);
    std::set<int> present;
    for (const QString &name : fit.sections()) {
        const QRegularExpressionMatch match = sectionName.match(name.trimmed());
        if (!match.hasMatch() || match.captured(1).size() > 9)
            continue;
        const int number = match.captured(1).toInt();
        // "File1" is not the section of entry 1, "File01" is.
        if (number >= 1 && number <= list.listed
            && name.trimmed().compare(QLatin1String(FitSectionName(number)), Qt::CaseInsensitive)
                == 0)
            present.insert(number);
    }
    for (const int number : present) {
        const QByteArray section = FitSectionName(number);
        const QString name
            = QString::fromLocal8Bit(fit.getString(section, "name", QByteArray(), NameLength));
        if (!name.isEmpty() && exists(name)) {
            list.names << name;
            list.sections.push_back(number);
        }
    }
    return list;
}

FitSelection ReadFitSelection(const ProfileReader &fit, int section)
{
    FitSelection selection;
    const QByteArray name = FitSectionName(section);
    selection.xiLow = LenientNumber(fit.getString(name, "XI_low", QByteArray(), ValueLength));
    selection.xiHigh = LenientNumber(fit.getString(name, "XI_high", QByteArray(), ValueLength));
    const double listed
        = LenientNumber(fit.getString(name, "number_deleted", QByteArray(), ValueLength));
    if (!(listed > 0.0))
        return selection;
    // More numbers than the list holds are not read.
    const int count = int(std::min<double>(std::trunc(listed), MaxLeftOutPoints));
    const int keys = (count - 1) / FieldsPerKey + 1;
    for (int key = 1; key <= keys; ++key) {
        const QByteArray keyName
            = "del_pts" + NumberFormat::formatted(key, NumberFormat::ThreeDigits);
        QByteArray value = fit.getString(name, keyName, QByteArray(), ValueLength);
        const int fields = key < keys ? FieldsPerKey : count - FieldsPerKey * (keys - 1);
        // The fitting program right-aligns the numbers in their fields, and
        // the profile call cuts the blanks in front of the first one: put
        // them back, or every field after it would be read shifted.
        if (!fit.isQuoted(name, keyName) && value.size() < fields * FieldWidth)
            value.prepend(QByteArray(fields * FieldWidth - value.size(), ' '));
        for (int j = 0; j < fields; ++j) {
            const double point = LenientNumber(value.mid(j * FieldWidth, FieldWidth));
            selection.leftOut.push_back(
                std::isfinite(point) && std::fabs(point) < 1e9 ? int(std::nearbyint(point)) : 0);
        }
    }
    return selection;
}

void LoadFitDataSet(AppContext &app, MainView &view, int index)
{
    ProgramState &s = app.state;
    app.numlib.load();
    const QString path = s.FitDataFiles(index).trimmed();
    if (!FileExists(path)) {
        app.platform.messageBox(QStringLiteral("The data file\n%1\nno longer exists.").arg(path),
            QStringLiteral("Data Files Missing!"), MsgStyle::Exclamation);
        return;
    }
    for (int i = 0; i < FitListCapacity; ++i)
        view.setDataSetChecked(i, false);
    if (s.BlankLoaded)
        ClearBlank(app, view);

    // Read for the view first: a file that cannot be read then leaves the
    // data set as it was.
    const QByteArray text = ReadTextFile(path);
    s.FitDataFiles(index) = path;
    s.ReadPath = path;
    s.WorkFilesDir.clear(); // a file of the fit list: its working file goes where files' go
    app.numlib.getdata(s.RawPts, s.NumPts, s.ReadPath, s.NumComments, s.CommentBuf);
    view.setViewText(ViewTab::DataFile, text);

    // A data file without points gives an empty data set: nothing to mark.
    if (s.NumPts > 0) {
        CopyPoints(s.RawPts, s.DataPts, s.NumPts);
        SetFirstLastGood(s);

        const FitSelection fit
            = ReadFitSelection(ProfileReader(s.FitFileName), s.FitSectionNum(index));
        double lo = fit.xiLow;
        double hi = fit.xiHigh;
        if (s.IsRadius) {
            lo = std::sqrt(2.0 * lo);
            hi = std::sqrt(2.0 * hi);
        }
        if (float(lo) > s.FirstX)
            s.FirstX = float(lo);
        if (float(hi) < s.LastX)
            s.LastX = float(hi);
        for (int i = 1; i <= s.NumPts; ++i) {
            if (s.DataPts.x(i) < s.FirstX) {
                markDeleted(s.DataPts, i);
                continue;
            }
            s.FirstIdx = i;
            break;
        }
        for (int i = s.NumPts; i >= 1; --i) {
            if (s.DataPts.x(i) > s.LastX) {
                markDeleted(s.DataPts, i);
                continue;
            }
            s.LastIdx = i;
            break;
        }
        // Point numbers outside the data set are skipped.
        for (const int point : fit.leftOut) {
            if (point >= 1 && point <= s.NumPts)
                markDeleted(s.DataPts, point);
        }
        CopyPoints(s.DataPts, s.RawPts, s.NumPts);
    }

    view.setTabCaption(ViewTab::DataFile, TabCaptionFor(s.ReadPath));
    view.setMenuEnabled(MenuEntry::GetBlankData, true);
    view.setDataSetChecked(index - 1, true);
    RewriteWorkFile(s, view);
    EnableDataSetMenus(s, view);
    if (s.NumPts < 1)
        ReportNoDataPoints(app, path);
}

bool IsFitFile(const QString &path)
{
    const QStringList sections = ProfileReader(path).sections();
    return std::any_of(sections.cbegin(), sections.cend(), [](const QString &name) {
        return name.trimmed().compare(QLatin1String("FileCount"), Qt::CaseInsensitive) == 0;
    });
}

bool UseFitFile(AppContext &app, MainView &view)
{
    ProgramState &s = app.state;
    s.FitFileOK = ReadFitFile(app);
    if (s.FitFileOK)
        ShowFitList(app, view);
    return s.FitFileOK;
}

bool UseNamedFitFile(AppContext &app, MainView &view, const QString &path)
{
    ProgramState &s = app.state;
    const QFileInfo file(path);
    // The names in the list are taken against the fit file's folder, as
    // after the dialog.
    QDir::setCurrent(file.absolutePath());
    s.FitFileOK = ReadChosenFitFile(app, file.absoluteFilePath());
    if (s.FitFileOK)
        ShowFitList(app, view);
    return s.FitFileOK;
}
