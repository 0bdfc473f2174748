// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/Suggestions.h"

#include "core/PlotSession.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{

// What the instrument writes for a row it did not measure: a reading of
// exactly 1.0 and a standard deviation of 0, which the reader stores as 100.
constexpr float PlaceHolderReading = 1.0f;
constexpr float ZeroStdDevFlag = 100.0f;
// Standard deviations of absorbance readings are far below this; weights
// (100 by default) are not.
constexpr float StdDevBound = 10.0f;
// Three neighbours on each side at least: with two, one spike spoils half
// the slopes between the sides and the median with them.
constexpr int MinSpikeNeighbours = 6;
constexpr int MaxHalfWindow = 50;
// The readings carry six significant digits: a residual below that
// resolution is rounding, not noise.
constexpr double ReadingResolution = 1e-5;
// Standard deviation of a normal distribution per median absolute deviation.
constexpr double MadToSigma = 1.4826;

const SuggestSettings Defaults {};

bool good(float flag)
{
    return flag > 0.0f;
}

// Median of [first, last), reordering it; the mean of the middle two for an
// even count.
double medianInPlace(double *first, double *last)
{
    const auto n = last - first;
    if (n <= 24) {
        // The windows are small: ranking every value against every other
        // without branches beats selection, which mispredicts on noise.
        // Equal values are ranked by position, so each rank occurs once.
        int rank[24];
        for (int i = 0; i < int(n); ++i) {
            int below = 0;
            for (int j = 0; j < int(n); ++j)
                below += int(first[j] < first[i]) | (int(first[j] == first[i]) & int(j < i));
            rank[i] = below;
        }
        double lower = 0.0, upper = 0.0;
        for (int i = 0; i < int(n); ++i) {
            lower = rank[i] == (n - 1) / 2 ? first[i] : lower;
            upper = rank[i] == n / 2 ? first[i] : upper;
        }
        return 0.5 * (lower + upper);
    }
    double *mid = first + n / 2;
    std::nth_element(first, mid, last);
    if (n % 2 == 1)
        return *mid;
    return 0.5 * (*mid + *std::max_element(first, mid));
}

// Most flags in (0, StdDevBound) and, unlike a column of weights, varied.
bool IsStdDevColumn(std::span<const float> flag)
{
    size_t nonZero = 0, small = 0;
    for (float f : flag) {
        const float a = std::fabs(f);
        nonZero += a > 0.0f ? 1 : 0;
        small += a > 0.0f && a < StdDevBound ? 1 : 0;
    }
    if (small == 0 || 2 * small <= nonZero)
        return false;
    const size_t needed = std::min<size_t>(8, (small + 1) / 2);
    std::array<float, 8> seen {};
    size_t distinct = 0;
    for (float f : flag) {
        const float a = std::fabs(f);
        if (!(a > 0.0f && a < StdDevBound)
            || std::find(seen.begin(), seen.begin() + distinct, a) != seen.begin() + distinct)
            continue;
        seen[distinct++] = a;
        if (distinct >= needed)
            return true;
    }
    return false;
}

// Marks every good point outside one longest strictly increasing run of x
// (not necessarily contiguous); NaN x never belongs to it.
void MarkOutOfOrder(const ScanPoints &p, const std::vector<int> &goodIdx, std::vector<bool> &out)
{
    std::vector<int> tails; // positions in goodIdx of the smallest tail of each length
    std::vector<int> before(goodIdx.size(), -1);
    for (size_t k = 0; k < goodIdx.size(); ++k) {
        const float x = p.x[size_t(goodIdx[k])];
        if (!std::isfinite(x))
            continue;
        const auto at = std::lower_bound(tails.begin(), tails.end(), x,
            [&](int t, float v) { return p.x[size_t(goodIdx[size_t(t)])] < v; });
        // Of two equal x the earlier one stays.
        if (at != tails.end() && p.x[size_t(goodIdx[size_t(*at)])] == x)
            continue;
        if (at != tails.begin())
            before[k] = *(at - 1);
        if (at == tails.end())
            tails.push_back(int(k));
        else
            *at = int(k);
    }
    std::vector<bool> kept(goodIdx.size(), false);
    for (int k = tails.empty() ? -1 : tails.back(); k >= 0; k = before[size_t(k)])
        kept[size_t(k)] = true;
    for (size_t k = 0; k < goodIdx.size(); ++k)
        out[size_t(goodIdx[k])] = !kept[k];
}

SuggestSettings InRange(const SuggestSettings &s)
{
    SuggestSettings r = s;
    const auto fix = [](double v, double fallback, SuggestParameter p) {
        if (!std::isfinite(v))
            return fallback;
        const SuggestRange range = RangeOf(p);
        return std::clamp(range.wholeNumber ? std::round(v) : v, range.min, range.max);
    };
    r.unreliableFactor
        = fix(s.unreliableFactor, Defaults.unreliableFactor, SuggestParameter::UnreliableFactor);
    r.spikeThreshold
        = fix(s.spikeThreshold, Defaults.spikeThreshold, SuggestParameter::SpikeThreshold);
    r.saturationRun = int(fix(s.saturationRun, 0, SuggestParameter::SaturationRun));
    r.spikeHalfWindow = int(fix(s.spikeHalfWindow, 0, SuggestParameter::SpikeHalfWindow));
    return r;
}

// Residual of each value from straight lines through its neighbours. Near
// an end the window shifts inward so that it keeps 2 * half neighbours and
// the lines are extrapolated. NaN where there are too few neighbours.
std::vector<double> LocalResiduals(
    const std::vector<double> &x, const std::vector<double> &y, int half)
{
    const int m = int(x.size());
    std::vector<double> residual(size_t(m), std::numeric_limits<double>::quiet_NaN());
    std::array<double, 2 * MaxHalfWindow> line {};
    for (int i = 0; i < m; ++i) {
        int left = std::min(half, i);
        int right = std::min(half, m - 1 - i);
        if (left < half)
            right = std::min(m - 1 - i, 2 * half - left);
        if (right < half)
            left = std::min(i, 2 * half - right);
        const int k = left + right;
        if (k < MinSpikeNeighbours)
            continue;
        const int from = i - left;
        // Neighbour j of the window, skipping point i itself.
        const auto at = [&](int j) { return size_t(from + j + (from + j >= i ? 1 : 0)); };
        // Neighbour a of the left half paired with neighbour a of the right;
        // each pair's line gives a value at x[i], and their median is the
        // estimate: a spike among the neighbours spoils only its own pair.
        const int h = k / 2;
        for (int a = 0; a < h; ++a) {
            const size_t l = at(a), r = at(k - h + a);
            const double dx = x[r] - x[l];
            const double t = dx > 0.0 ? (x[size_t(i)] - x[l]) / dx : 0.5;
            line[size_t(a)] = y[l] + t * (y[r] - y[l]);
        }
        residual[size_t(i)] = y[size_t(i)] - medianInPlace(line.data(), line.data() + h);
    }
    return residual;
}

// Spikes among the readings `seq` (finite, in scan order). A straight line
// leaves a smooth residual where a steep boundary bends, far above the noise
// of a quiet scan; the same line through the neighbours' residuals takes it
// out again, while a spike still stands off its neighbours.
void MarkSpikes(const ScanPoints &p, const std::vector<int> &seq, const SuggestSettings &s,
    std::vector<bool> &out)
{
    std::vector<double> x, y;
    x.reserve(seq.size());
    y.reserve(seq.size());
    double largest = 0.0;
    for (int i : seq) {
        x.push_back(p.x[size_t(i)]);
        y.push_back(p.conc[size_t(i)]);
        largest = std::max(largest, std::fabs(y.back()));
    }
    const std::vector<double> r
        = LocalResiduals(x, LocalResiduals(x, y, s.spikeHalfWindow), s.spikeHalfWindow);
    std::vector<double> dev;
    dev.reserve(r.size());
    for (double v : r) {
        if (!std::isnan(v))
            dev.push_back(v);
    }
    if (dev.empty())
        return;
    const double centre = medianInPlace(dev.data(), dev.data() + dev.size());
    for (double &d : dev)
        d = std::fabs(d - centre);
    const double sigma = std::max(MadToSigma * medianInPlace(dev.data(), dev.data() + dev.size()),
        ReadingResolution * largest);
    const double limit = s.spikeThreshold * sigma;
    for (size_t i = 0; i < r.size(); ++i) {
        if (!std::isnan(r[i]) && std::fabs(r[i] - centre) > limit)
            out[size_t(seq[i])] = true;
    }
}

// Every point of a run of at least `minRun` consecutive entries of `seq`
// that `inRun` accepts.
template <typename InRun>
void MarkRuns(const std::vector<int> &seq, int minRun, InRun inRun, std::vector<bool> &out)
{
    size_t start = 0;
    for (size_t k = 0; k <= seq.size(); ++k) {
        if (k < seq.size() && inRun(seq[k]))
            continue;
        if (int(k - start) >= minRun) {
            for (size_t j = start; j < k; ++j)
                out[size_t(seq[j])] = true;
        }
        start = k + 1;
    }
}

QString NameOf(SuggestParameter parameter)
{
    switch (parameter) {
    case SuggestParameter::UnreliableFactor:
        return QStringLiteral("The factor for unreliable readings");
    case SuggestParameter::SaturationRun:
        return QStringLiteral("The shortest saturated run");
    case SuggestParameter::SpikeThreshold:
        return QStringLiteral("The spike threshold");
    case SuggestParameter::SpikeHalfWindow:
        return QStringLiteral("The spike window");
    }
    return {};
}

} // namespace

ScanPoints ScanPointsOf(const PlotSession &session)
{
    const auto n = size_t(std::clamp<int>(session.PlotCount, 0, PlotCapacity));
    return { { session.PlotX.data(), n }, { session.PlotY.data(), n },
        { session.PlotFlag.data(), n } };
}

Suggestions SuggestBadPoints(const ScanPoints &points, const SuggestSettings &settings)
{
    const SuggestSettings s = InRange(settings);
    const size_t n = std::min({ points.x.size(), points.conc.size(), points.flag.size() });
    const ScanPoints p { points.x.first(n), points.conc.first(n), points.flag.first(n) };
    const auto on = [&](SuggestKind kind) { return s.enabled.has(kind); };

    Suggestions result;
    result.kinds.resize(n);
    result.stdDevColumn = IsStdDevColumn(p.flag);

    std::vector<int> goodIdx;
    goodIdx.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        if (good(p.flag[i]))
            goodIdx.push_back(int(i));
    }

    // taken[i]: suggested for a kind that is switched on, so no longer a
    // reading for the kinds after it.
    std::vector<bool> taken(n, false), marks(n, false);
    const auto apply = [&](SuggestKind kind) {
        for (int i : goodIdx) {
            if (marks[size_t(i)]) {
                result.kinds[size_t(i)].add(kind);
                taken[size_t(i)] = true;
            }
        }
        std::fill(marks.begin(), marks.end(), false);
    };
    const auto readings = [&](auto keep) {
        std::vector<int> seq;
        seq.reserve(goodIdx.size());
        for (int i : goodIdx) {
            if (!taken[size_t(i)] && keep(i))
                seq.push_back(i);
        }
        return seq;
    };

    if (on(SuggestKind::OutOfOrder)) {
        MarkOutOfOrder(p, goodIdx, marks);
        apply(SuggestKind::OutOfOrder);
    }

    if (on(SuggestKind::PlaceHolder)) {
        for (int i : goodIdx)
            marks[size_t(i)] = result.stdDevColumn && p.flag[size_t(i)] == ZeroStdDevFlag;
        // Only repeats, so that one reading that happens to be 1.0 stays.
        MarkRuns(
            goodIdx, 2,
            [&](int i) {
                return p.conc[size_t(i)] == PlaceHolderReading
                    && p.flag[size_t(i)] == ZeroStdDevFlag;
            },
            marks);
        // A place-holder that is not at the place-holder reading (a
        // saturated row, say) stays a reading for saturation.
        for (int i : goodIdx) {
            if (marks[size_t(i)])
                result.kinds[size_t(i)].add(SuggestKind::PlaceHolder);
            if (marks[size_t(i)] && p.conc[size_t(i)] == PlaceHolderReading)
                taken[size_t(i)] = true;
        }
        std::fill(marks.begin(), marks.end(), false);
    }

    if (result.stdDevColumn && on(SuggestKind::Unreliable)) {
        std::vector<double> devs;
        devs.reserve(goodIdx.size());
        for (int i : goodIdx) {
            const float f = p.flag[size_t(i)];
            if (f != ZeroStdDevFlag && std::isfinite(f))
                devs.push_back(f);
        }
        if (!devs.empty()) {
            const double limit
                = s.unreliableFactor * medianInPlace(devs.data(), devs.data() + devs.size());
            for (int i : goodIdx) {
                const float f = p.flag[size_t(i)];
                marks[size_t(i)] = !taken[size_t(i)] && f != ZeroStdDevFlag && f > limit;
            }
            apply(SuggestKind::Unreliable);
        }
    }

    if (on(SuggestKind::Saturation)) {
        const std::vector<int> seq
            = readings([&](int i) { return std::isfinite(p.conc[size_t(i)]); });
        if (!seq.empty()) {
            const auto [lo, hi] = std::minmax_element(seq.begin(), seq.end(),
                [&](int a, int b) { return p.conc[size_t(a)] < p.conc[size_t(b)]; });
            const float low = p.conc[size_t(*lo)];
            const float high = p.conc[size_t(*hi)];
            if (low < high) {
                for (const float value : { low, high }) {
                    MarkRuns(
                        seq, s.saturationRun, [&](int i) { return p.conc[size_t(i)] == value; },
                        marks);
                }
                apply(SuggestKind::Saturation);
            }
        }
    }

    if (on(SuggestKind::Spike)) {
        const std::vector<int> seq = readings([&](int i) {
            return std::isfinite(p.conc[size_t(i)]) && std::isfinite(p.x[size_t(i)]);
        });
        MarkSpikes(p, seq, s, marks);
        for (int i : goodIdx)
            marks[size_t(i)]
                = marks[size_t(i)] || (!taken[size_t(i)] && !std::isfinite(p.conc[size_t(i)]));
        apply(SuggestKind::Spike);
    }

    for (const SuggestKinds k : result.kinds) {
        if (!k.any())
            continue;
        ++result.points;
        for (int kind = 0; kind < SuggestKindCount; ++kind)
            result.counts[size_t(kind)] += k.has(SuggestKind(kind)) ? 1 : 0;
    }
    return result;
}

SuggestRange RangeOf(SuggestParameter parameter)
{
    switch (parameter) {
    case SuggestParameter::UnreliableFactor:
        return { 2.0, 1000.0, false };
    case SuggestParameter::SaturationRun:
        return { 2.0, 100.0, true };
    case SuggestParameter::SpikeThreshold:
        return { 2.0, 100.0, false };
    case SuggestParameter::SpikeHalfWindow:
        return { double(MinSpikeNeighbours / 2), double(MaxHalfWindow), true };
    }
    return { 0.0, 0.0, false };
}

SuggestCheck CheckSuggestValue(SuggestParameter parameter, double value)
{
    const SuggestRange range = RangeOf(parameter);
    const QString name = NameOf(parameter);
    if (!std::isfinite(value))
        return { false, QStringLiteral("%1 must be a number.").arg(name) };
    if (range.wholeNumber && value != std::floor(value))
        return { false, QStringLiteral("%1 must be a whole number.").arg(name) };
    if (value < range.min || value > range.max) {
        return { false,
            QStringLiteral("%1 must be from %2 to %3.").arg(name).arg(range.min).arg(range.max) };
    }
    return {};
}

SuggestCheck CheckSuggestText(SuggestParameter parameter, const QString &text)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok)
        return { false, QStringLiteral("%1 must be a number.").arg(NameOf(parameter)) };
    return CheckSuggestValue(parameter, value);
}

SuggestCheck CheckSuggestSettings(const SuggestSettings &settings)
{
    const std::array<std::pair<SuggestParameter, double>, 4> values { {
        { SuggestParameter::UnreliableFactor, settings.unreliableFactor },
        { SuggestParameter::SaturationRun, double(settings.saturationRun) },
        { SuggestParameter::SpikeThreshold, settings.spikeThreshold },
        { SuggestParameter::SpikeHalfWindow, double(settings.spikeHalfWindow) },
    } };
    for (const auto &[parameter, value] : values) {
        SuggestCheck check = CheckSuggestValue(parameter, value);
        if (!check.ok)
            return check;
    }
    return {};
}
