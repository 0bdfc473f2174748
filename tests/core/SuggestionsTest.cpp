// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/Suggestions.h"

#include "core/NumLib.h"
#include "core/PlotSession.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace
{

struct Scan {
    std::vector<float> x, conc, flag;
    ScanPoints points() const { return { x, conc, flag }; }
    int size() const { return int(x.size()); }
};

// The precision of the instrument's files: readings as 1.23456E-01,
// standard deviations as 1.234E-03.
float rounded(double v, int digits)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.*E", digits, v);
    return std::strtof(text, nullptr);
}

struct Shape {
    int n;
    double noise;
    bool stdDevs; // the third column holds standard deviations, else 100
    unsigned seed;
};

// A sedimentation boundary of 0.8 at 6.45 cm over a slightly sloping
// plateau, sampled evenly from 5.9 to 7.2 cm, like the example scans.
Scan boundaryScan(const Shape &shape, std::mt19937 &rng)
{
    std::normal_distribution<double> noise(0.0, shape.noise);
    std::uniform_real_distribution<double> spread(0.7, 1.4);
    Scan s;
    for (int i = 0; i < shape.n; ++i) {
        const double x = 5.9 + 1.3 * i / (shape.n - 1);
        const double y = 0.002 + 0.8 / (1.0 + std::exp(-(x - 6.45) / 0.035)) - 0.015 * (x - 5.9);
        s.x.push_back(rounded(x, 5));
        s.conc.push_back(rounded(y + noise(rng), 5));
        s.flag.push_back(shape.stdDevs ? rounded(shape.noise * spread(rng), 3) : 100.0f);
    }
    return s;
}

// The first n points of the plateau of a 600-point scan (a short scan is
// a piece of a long one, not a whole boundary in a few points).
Scan plateauScan(int n, unsigned seed)
{
    std::mt19937 rng(seed);
    Scan s = boundaryScan({ 600, 1e-3, true, seed }, rng);
    for (std::vector<float> *column : { &s.x, &s.conc, &s.flag })
        *column = std::vector<float>(column->begin() + 400, column->begin() + 400 + n);
    return s;
}

std::set<int> suggested(const Suggestions &r, SuggestKinds kinds = SuggestKinds::all())
{
    std::set<int> out;
    for (int i = 1; i <= int(r.kinds.size()); ++i) {
        if ((r.at(i).bits() & kinds.bits()) != 0)
            out.insert(i);
    }
    return out;
}

SuggestKinds only(SuggestKind kind)
{
    SuggestKinds k;
    k.add(kind);
    return k;
}

// Hits and false alarms summed over many scans.
struct Tally {
    long planted = 0, found = 0, clean = 0, alarms = 0;
    double hitRate() const { return planted ? double(found) / double(planted) : 1.0; }
    double alarmRate() const { return clean ? double(alarms) / double(clean) : 0.0; }
    void add(const std::set<int> &planted1, const std::set<int> &suggested1, int n)
    {
        planted += long(planted1.size());
        clean += n - long(planted1.size());
        for (int i : suggested1)
            (planted1.count(i) ? found : alarms) += 1;
    }
    void report(const char *what) const
    {
        std::cout << "[ rates    ] " << what << ": " << found << " of " << planted << " found ("
                  << 100.0 * hitRate() << " %), " << alarms << " of " << clean
                  << " clean points suggested (" << 100.0 * alarmRate() << " %)\n";
    }
};

std::vector<Shape> cleanShapes()
{
    std::vector<Shape> shapes;
    unsigned seed = 1;
    for (int n : { 400, 1000, 2199 })
        for (double noise : { 1e-4, 1e-3, 1e-2, 1e-1 })
            for (bool stdDevs : { true, false })
                for (int repeat = 0; repeat < 3; ++repeat)
                    shapes.push_back({ n, noise, stdDevs, seed++ });
    return shapes;
}

std::string describe(const Shape &s)
{
    return "n=" + std::to_string(s.n) + " noise=" + std::to_string(s.noise)
        + (s.stdDevs ? " with" : " without") + " sd, seed " + std::to_string(s.seed);
}

} // namespace

TEST(SuggestBadPoints, CleanGeneratedScansGetAlmostNoSuggestion)
{
    Tally tally;
    for (const Shape &shape : cleanShapes()) {
        std::mt19937 rng(shape.seed);
        const Scan s = boundaryScan(shape, rng);
        const Suggestions r = SuggestBadPoints(s.points());
        EXPECT_EQ(r.stdDevColumn, shape.stdDevs) << describe(shape);
        // At most 0.1 %, or two points in a short scan: the first and last
        // points are judged by extrapolation, which is noisier.
        EXPECT_LE(r.points, std::max(2, shape.n / 1000)) << describe(shape);
        tally.add({}, suggested(r), shape.n);
    }
    tally.report("clean scans");
    RecordProperty("clean_false_alarm_rate", std::to_string(tally.alarmRate()));
    EXPECT_LE(tally.alarmRate(), 0.001);
}

TEST(SuggestBadPoints, ExampleScansGetNoSuggestion)
{
    NumLib numlib;
    QStringList names = QDir(examplePath(QString())).entryList({ QStringLiteral("*.dat") });
    // Made with spikes for Suggest to find: the guide's example of it.
    ASSERT_TRUE(names.removeOne(QStringLiteral("spiked-scan.dat")));
    ASSERT_GE(names.size(), 4);
    for (const QString &name : names) {
        auto pts = std::make_unique<PointArray>();
        auto comments = std::make_unique<CommentBuffer>();
        int32_t n = 0, ncomm = 0;
        numlib.getdata(*pts, n, examplePath(name), ncomm, *comments);
        ASSERT_GT(n, 100) << name.toStdString();
        Scan s;
        for (int i = 1; i <= n; ++i) {
            s.x.push_back(pts->x(i));
            s.conc.push_back(pts->conc(i));
            s.flag.push_back(pts->flag(i));
        }
        const Suggestions r = SuggestBadPoints(s.points());
        EXPECT_FALSE(r.stdDevColumn) << name.toStdString();
        EXPECT_EQ(r.points, 0) << name.toStdString();
    }
}

TEST(SuggestBadPoints, FindsOnePercentSpikesOfEightSigma)
{
    Tally tally;
    for (const Shape &shape : cleanShapes()) {
        std::mt19937 rng(shape.seed + 1000);
        Scan s = boundaryScan(shape, rng);
        // 1 % of the points, the first and the last always among them.
        std::set<int> planted { 1, shape.n };
        std::uniform_int_distribution<int> where(1, shape.n);
        while (int(planted.size()) < shape.n / 100)
            planted.insert(where(rng));
        std::bernoulli_distribution up(0.5);
        for (int i : planted)
            s.conc[size_t(i - 1)] += float((up(rng) ? 8.0 : -8.0) * shape.noise);
        const Suggestions r = SuggestBadPoints(s.points());
        tally.add(planted, suggested(r), shape.n);
        EXPECT_EQ(r.points, r.count(SuggestKind::Spike)) << describe(shape);
    }
    tally.report("spikes of 8 sigma");
    RecordProperty("spike_hit_rate", std::to_string(tally.hitRate()));
    RecordProperty("spike_false_alarm_rate", std::to_string(tally.alarmRate()));
    EXPECT_GE(tally.hitRate(), 0.99);
    EXPECT_LE(tally.alarmRate(), 0.001);
}

TEST(SuggestBadPoints, FindsASpikeAtEitherEndAndInside)
{
    struct Row {
        const char *name;
        int n;
        int at; // 1-based; 0 for none
    };
    const Row rows[] = {
        { "first point", 600, 1 },
        { "second point", 600, 2 },
        { "middle of the boundary", 600, 190 },
        { "last but one", 600, 599 },
        { "last point", 600, 600 },
        { "short scan, first point", 7, 1 },
        { "short scan, last point", 7, 7 },
        { "short scan, middle", 7, 4 },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        std::mt19937 rng(7);
        Scan s = row.n < 100 ? plateauScan(row.n, 7) : boundaryScan({ row.n, 1e-3, true, 7 }, rng);
        s.conc[size_t(row.at - 1)] += 0.05f;
        const Suggestions r = SuggestBadPoints(s.points());
        EXPECT_EQ(suggested(r), std::set<int> { row.at });
        EXPECT_EQ(r.count(SuggestKind::Spike), 1);
    }
    // Too few points for any window: no spike, no error, the other kinds work.
    Scan tiny = plateauScan(6, 7);
    tiny.conc[1] += 5.0f;
    tiny.x[5] = 5.0f;
    const Suggestions r = SuggestBadPoints(tiny.points());
    EXPECT_EQ(r.count(SuggestKind::Spike), 0);
    EXPECT_EQ(suggested(r, only(SuggestKind::OutOfOrder)), std::set<int> { 6 });
    EXPECT_EQ(SuggestBadPoints(ScanPoints {}).points, 0);
}

TEST(SuggestBadPoints, FindsEveryPlaceHolderAndSaturatedRow)
{
    Tally tally;
    for (int n : { 400, 2199 }) {
        for (unsigned seed : { 11u, 12u, 13u }) {
            SCOPED_TRACE(std::to_string(n) + " points, seed " + std::to_string(seed));
            std::mt19937 rng(seed);
            Scan s = boundaryScan({ n, 3e-3, true, seed }, rng);
            // Place-holder rows (reading 1.0, deviation 0) scattered and at the
            // start; the detector pinned at 4.0 near the cell bottom.
            std::set<int> holders { 1, 2, 3 }, saturated;
            std::uniform_int_distribution<int> where(4, n - 40);
            while (holders.size() < 12)
                holders.insert(where(rng));
            for (int i = n - 20; i <= n - 5; ++i)
                saturated.insert(i);
            for (int i : holders) {
                s.conc[size_t(i - 1)] = 1.0f;
                s.flag[size_t(i - 1)] = 100.0f;
            }
            for (int i : saturated) {
                s.conc[size_t(i - 1)] = 4.0f;
                s.flag[size_t(i - 1)] = 100.0f;
            }
            const Suggestions r = SuggestBadPoints(s.points());
            ASSERT_TRUE(r.stdDevColumn);
            for (int i : holders)
                EXPECT_EQ(r.at(i), only(SuggestKind::PlaceHolder)) << i;
            for (int i : saturated) {
                EXPECT_TRUE(r.at(i).has(SuggestKind::Saturation)) << i;
                EXPECT_TRUE(r.at(i).has(SuggestKind::PlaceHolder)) << i; // deviation 0
            }
            std::set<int> planted = holders;
            planted.insert(saturated.begin(), saturated.end());
            tally.add(planted, suggested(r), n);
        }
    }
    tally.report("place-holders and saturation");
    EXPECT_EQ(tally.found, tally.planted);
    EXPECT_LE(tally.alarmRate(), 0.001);
}

TEST(SuggestBadPoints, PlaceHoldersWithoutADeviationColumnAreRepeatedOnes)
{
    std::mt19937 rng(5);
    Scan s = boundaryScan({ 500, 3e-3, false, 5 }, rng);
    for (int i : { 100, 101, 102, 400, 401 })
        s.conc[size_t(i - 1)] = 1.0f;
    s.conc[349] = 1.0f; // a single 1.0 is a reading (here a spike)
    const Suggestions r = SuggestBadPoints(s.points());
    EXPECT_FALSE(r.stdDevColumn);
    EXPECT_EQ(
        suggested(r, only(SuggestKind::PlaceHolder)), (std::set<int> { 100, 101, 102, 400, 401 }));
    // The place-holders neither pull the running median nor count as a
    // saturated maximum.
    EXPECT_EQ(r.count(SuggestKind::Saturation), 0);
    EXPECT_EQ(suggested(r, only(SuggestKind::Spike)), std::set<int> { 350 });
}

TEST(SuggestBadPoints, WildEndsAreUnreliableAndTheirNeighboursClean)
{
    for (bool spikesToo : { true, false }) {
        SCOPED_TRACE(spikesToo ? "all kinds" : "unreliable only");
        std::mt19937 rng(21);
        Scan s = boundaryScan({ 1200, 3e-3, true, 21 }, rng);
        std::uniform_real_distribution<double> swing(-1.7, 1.0), dev(1.5, 2.5);
        std::set<int> wild;
        for (int i = 1; i <= 1200; ++i) {
            if (i > 10 && i <= 1188)
                continue;
            wild.insert(i);
            s.conc[size_t(i - 1)] = (i % 2 ? -1.66f : 1.0f) + float(0.1 * swing(rng));
            s.flag[size_t(i - 1)] = rounded(dev(rng), 3);
        }
        SuggestSettings settings;
        if (!spikesToo)
            settings.enabled = only(SuggestKind::Unreliable);
        const Suggestions r = SuggestBadPoints(s.points(), settings);
        EXPECT_EQ(suggested(r), wild);
        EXPECT_EQ(suggested(r, only(SuggestKind::Unreliable)), wild);
    }
}

TEST(SuggestBadPoints, OutOfOrderXMarksTheFewestPoints)
{
    const float nan = std::nanf("");
    struct Row {
        const char *name;
        std::vector<float> x;
        std::set<int> expected;
    };
    const std::vector<Row> rows = {
        { "in order", { 1, 2, 3, 4, 5, 6 }, {} },
        { "one too far right", { 1, 2, 3, 9, 4, 5, 6 }, { 4 } },
        { "one too far left", { 1, 2, 3, 0.5f, 4, 5, 6 }, { 4 } },
        { "a repeated x", { 1, 2, 2, 3, 4 }, { 3 } },
        { "two swapped", { 1, 2, 4, 3, 5, 6 }, { 3 } },
        { "NaN", { 1, 2, nan, 4, 5 }, { 3 } },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Scan s;
        s.x = row.x;
        s.conc.assign(row.x.size(), 0.5f);
        s.flag.assign(row.x.size(), 100.0f);
        const Suggestions r = SuggestBadPoints(s.points());
        EXPECT_EQ(suggested(r, only(SuggestKind::OutOfOrder)), row.expected);
        EXPECT_EQ(r.count(SuggestKind::OutOfOrder), int(row.expected.size()));
    }
}

TEST(SuggestBadPoints, RemovedPointsAreNeitherSuggestedNorNeighbours)
{
    std::mt19937 rng(31);
    Scan s = boundaryScan({ 800, 1e-3, true, 31 }, rng);
    // A removed cluster of bad readings around point 300, a removed point
    // out of order, and a removed place-holder.
    for (int i = 295; i <= 305; ++i) {
        s.conc[size_t(i - 1)] += 0.5f;
        s.flag[size_t(i - 1)] = -s.flag[size_t(i - 1)];
    }
    s.x[499] = 1.0f;
    s.flag[499] = -s.flag[499];
    s.conc[599] = 1.0f;
    s.flag[599] = -100.0f;
    s.conc[399] += 0.05f; // a good spike
    const Suggestions r = SuggestBadPoints(s.points());
    EXPECT_TRUE(r.stdDevColumn);
    EXPECT_EQ(suggested(r), std::set<int> { 400 });
    EXPECT_EQ(r.points, 1);

    // Every kind switched off: nothing.
    SuggestSettings none;
    none.enabled = SuggestKinds();
    EXPECT_EQ(SuggestBadPoints(s.points(), none).points, 0);
    // Through the editor's own arrays.
    auto session = std::make_unique<PlotSession>();
    session->PlotCount = int16_t(s.size());
    for (int i = 1; i <= s.size(); ++i) {
        session->PlotX(i) = s.x[size_t(i - 1)];
        session->PlotY(i) = s.conc[size_t(i - 1)];
        session->PlotFlag(i) = s.flag[size_t(i - 1)];
    }
    EXPECT_EQ(suggested(SuggestBadPoints(ScanPointsOf(*session))), std::set<int> { 400 });
}

TEST(SuggestBadPoints, AWeightColumnIsNotStandardDeviations)
{
    struct Row {
        const char *name;
        std::vector<float> weights; // repeated over the scan
        bool stdDevs;
    };
    const std::vector<Row> rows = {
        { "all default", { 100.0f }, false },
        { "all 1", { 1.0f }, false },
        { "1 and 2.5", { 1.0f, 2.5f }, false },
        { "mostly 100, some 2.5", { 100.0f, 100.0f, 2.5f }, false },
        { "varied and small",
            { 0.003f, 0.0031f, 0.0029f, 0.0035f, 0.0027f, 0.004f, 0.0033f, 0.0026f, 0.0038f },
            true },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        std::mt19937 rng(41);
        Scan s = boundaryScan({ 450, 3e-3, false, 41 }, rng);
        for (size_t i = 0; i < s.flag.size(); ++i)
            s.flag[i] = row.weights[i % row.weights.size()];
        s.flag[10] = 100.0f;
        const Suggestions r = SuggestBadPoints(s.points());
        EXPECT_EQ(r.stdDevColumn, row.stdDevs);
        EXPECT_EQ(r.points, row.stdDevs ? 1 : 0);
    }
}

TEST(SuggestSettingsCheck, SaysWhyAValueIsRefused)
{
    struct Row {
        SuggestParameter parameter;
        const char *text;
        const char *reason; // empty: accepted
    };
    const Row rows[] = {
        { SuggestParameter::SpikeThreshold, "4.5", "" },
        { SuggestParameter::SpikeThreshold, " 2 ", "" },
        { SuggestParameter::SpikeThreshold, "abc", "The spike threshold must be a number." },
        { SuggestParameter::SpikeThreshold, "4,5", "The spike threshold must be a number." },
        { SuggestParameter::SpikeThreshold, "", "The spike threshold must be a number." },
        { SuggestParameter::SpikeThreshold, "nan", "The spike threshold must be a number." },
        { SuggestParameter::SpikeThreshold, "1.9", "The spike threshold must be from 2 to 100." },
        { SuggestParameter::UnreliableFactor, "1e4",
            "The factor for unreliable readings must be from 2 to 1000." },
        { SuggestParameter::UnreliableFactor, "inf",
            "The factor for unreliable readings must be a number." },
        { SuggestParameter::SpikeHalfWindow, "5", "" },
        { SuggestParameter::SpikeHalfWindow, "5.5", "The spike window must be a whole number." },
        { SuggestParameter::SpikeHalfWindow, "51", "The spike window must be from 3 to 50." },
        { SuggestParameter::SaturationRun, "1",
            "The shortest saturated run must be from 2 to 100." },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        const SuggestCheck check = CheckSuggestText(row.parameter, QString::fromLatin1(row.text));
        EXPECT_EQ(check.ok, *row.reason == '\0');
        EXPECT_EQ(check.reason.toStdString(), row.reason);
    }
    EXPECT_TRUE(CheckSuggestSettings(SuggestSettings {}).ok);
    SuggestSettings bad;
    bad.spikeThreshold = std::nan("");
    bad.spikeHalfWindow = 0;
    EXPECT_EQ(
        CheckSuggestSettings(bad).reason.toStdString(), "The spike threshold must be a number.");
    // Refused settings still give an answer, as if brought into range.
    std::mt19937 rng(3);
    Scan s = boundaryScan({ 400, 1e-3, true, 3 }, rng);
    s.conc[200] += 0.05f;
    EXPECT_EQ(suggested(SuggestBadPoints(s.points(), bad)), std::set<int> { 201 });
}
