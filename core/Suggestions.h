// SPDX-License-Identifier: GPL-3.0-or-later
// Suggested bad points: the points of a scan that look like instrument
// artefacts rather than readings. The editor shows them as candidates for
// removal; this code only marks them and never changes a flag.
//
// Five kinds, each of which can be switched off:
// - place-holder rows: when the third column holds standard deviations
//   (most flags small and positive, and varied, unlike a weight column), a
//   flag of exactly 100.0 is a standard deviation of 0, which the instrument
//   writes for rows it did not measure; so are runs of readings of exactly
//   1.0 with a flag of exactly 100.0 in any scan;
// - unreliable readings: a standard deviation more than `unreliableFactor`
//   times the scan's median standard deviation;
// - saturation: runs of at least `saturationRun` identical readings at the
//   scan's largest or smallest reading;
// - spikes: points that stand off a local straight line through their
//   `spikeHalfWindow` neighbours on each side (the median of the lines
//   through pairs of them), taken twice so that the bend of a steep
//   boundary cancels, by more than `spikeThreshold` robust standard
//   deviations (from the median absolute deviation of all residuals); near
//   the ends the window shifts inward, so the first and last points are
//   judged too;
// - x out of increasing order: the fewest points whose removal leaves x
//   strictly increasing.
//
// Removed points (flag below 0, or a flag of 0 or NaN, which is not good
// either) are never suggested and are not used as neighbours or in any of
// the scan's statistics: a user removes a point because it is bad, so it
// should not shape what counts as normal. The one exception is the decision
// whether the third column holds standard deviations, which looks at |flag|
// of every point, since it is a property of the file. A point suggested for
// an earlier kind that is switched on (the order above, out-of-order first)
// is not a spike candidate nor a neighbour, so a run of place-holders or a
// saturated stretch does not drag the running median of its neighbours.
#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <span>
#include <vector>

struct PlotSession;

enum class SuggestKind : uint8_t { PlaceHolder, Unreliable, Saturation, Spike, OutOfOrder };
constexpr int SuggestKindCount = 5;

// A set of kinds, one bit each.
class SuggestKinds
{
public:
    constexpr SuggestKinds() = default;
    static constexpr SuggestKinds all()
    {
        return SuggestKinds(uint8_t((1u << SuggestKindCount) - 1));
    }
    constexpr bool has(SuggestKind kind) const { return (m_bits & bit(kind)) != 0; }
    constexpr void add(SuggestKind kind) { m_bits = uint8_t(m_bits | bit(kind)); }
    constexpr void remove(SuggestKind kind) { m_bits = uint8_t(m_bits & ~bit(kind)); }
    constexpr bool any() const { return m_bits != 0; }
    constexpr uint8_t bits() const { return m_bits; }
    friend constexpr bool operator==(SuggestKinds, SuggestKinds) = default;

private:
    constexpr explicit SuggestKinds(uint8_t bits)
        : m_bits(bits)
    {
    }
    static constexpr uint8_t bit(SuggestKind kind) { return uint8_t(1u << unsigned(kind)); }
    uint8_t m_bits = 0;
};

// The defaults leave the example scans and clean generated scans (noise from
// 1e-4 to 1e-1 of a boundary of 0.8) without a suggestion, and still find
// spikes of 8 noise standard deviations.
struct SuggestSettings {
    SuggestKinds enabled = SuggestKinds::all();
    double unreliableFactor = 10.0; // times the median standard deviation
    int saturationRun = 3; // identical readings in a row
    double spikeThreshold = 4.0; // robust standard deviations
    int spikeHalfWindow = 5; // neighbours on each side
};

// The points as the editor holds them: element i - 1 is point i. The three
// spans have the same length (a longer one is cut to the shortest).
struct ScanPoints {
    std::span<const float> x;
    std::span<const float> conc;
    std::span<const float> flag;
};

// Points 1..PlotCount of the editor's copy, without copying them.
ScanPoints ScanPointsOf(const PlotSession &session);

struct Suggestions {
    std::vector<SuggestKinds> kinds; // kinds[i - 1] for point i
    std::array<int, SuggestKindCount> counts {}; // points suggested for each kind
    int points = 0; // points suggested for at least one kind
    bool stdDevColumn = false; // the third column was read as standard deviations

    SuggestKinds at(int i) const { return kinds.at(size_t(i - 1)); } // 1-based
    int count(SuggestKind kind) const { return counts[size_t(kind)]; }
};

// The suggestions for every point. Settings that fail CheckSuggestSettings
// are brought into range first (a value that is not a number takes its
// default), so any input gives an answer; a scan too short for the spike
// window gets its spikes from the neighbours it has (at least 6) and the
// other kinds as usual. NaN or infinite readings of good points are spikes,
// NaN or infinite x are out of order.
Suggestions SuggestBadPoints(const ScanPoints &points, const SuggestSettings &settings = {});

// The settings a user types in, and what is acceptable for each.
enum class SuggestParameter { UnreliableFactor, SaturationRun, SpikeThreshold, SpikeHalfWindow };

struct SuggestRange {
    double min;
    double max;
    bool wholeNumber;
};
SuggestRange RangeOf(SuggestParameter parameter);

struct SuggestCheck {
    bool ok = true;
    QString reason; // empty when ok, else a sentence naming the setting and its range
};
SuggestCheck CheckSuggestValue(SuggestParameter parameter, double value);
// The text as typed (C locale, blanks around it ignored).
SuggestCheck CheckSuggestText(SuggestParameter parameter, const QString &text);
// The first unacceptable value of the four, in the order of SuggestParameter.
SuggestCheck CheckSuggestSettings(const SuggestSettings &settings);
