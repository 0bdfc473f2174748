// SPDX-License-Identifier: GPL-3.0-or-later
// Generated runs of instrument scans, as real runs come: several cells,
// speeds and wavelengths taken in turn, the header variants of real files
// (zero- and blank-padded fields, a trailing blank, descriptions starting
// with a digit or a dot), CR LF and LF, exponents of 2 to 4 digits, a last
// line without its line end, place-holder rows (1.0 with deviation 0) and
// saturated rows (4.0 with deviation 0) near the bottom.
//
// With realArtifacts, each scan crosses what a real one crosses: air inside
// the first meniscus, the reference sector's meniscus spike, the sample's
// spike 0.02-0.05 cm further out, the solution, and the base (a spike or a
// steep rise, then saturated or wild readings); in a six-channel scan the
// septa between the columns give wild and saturated readings and the next
// channel's air. The seed varies the spikes' heights, signs and widths and
// the base's look.
//
// The solution follows sedimentation equilibrium: each column relaxes from
// its profile at the previous speed (the loading concentration at first)
// towards exp(sigma (r^2 - rm^2) / 2) with a time constant; or, in a
// velocity run, one species' boundary moves out from the meniscus. Each
// scan gets its own baseline offset and Gaussian noise. Everything a test
// derives from the files, the columns as drawn among it, is kept beside
// their bytes.
#pragma once

#include "runs/ScanHeader.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

struct SpeedStep {
    int rpm = 16000;
    int scans = 12; // of one cell at this speed, the wavelengths in turn
    double tauHours = 12.0; // relaxation time constant towards equilibrium
};

// Where a scan's solution is (cm). The meniscus is where the sample's
// solution begins: the outer edge of the sample's meniscus spike, every
// reading outward of it up to the bottom being solution. The bottom is where
// the base's artifact begins, every reading inward of it down to the
// meniscus being solution.
struct SampleColumn {
    double meniscus = 6.80;
    double bottom = 7.12;
};

// A sedimentation velocity run: the plan's first speed alone, its scans of
// a cell `minutesBetweenScans` apart (varied a little), one species whose
// boundary leaves the meniscus and spreads as it moves out.
struct VelocityPlan {
    double sedimentation = 6.0; // S (1e-13 s)
    double diffusion = 6e-7; // cm^2/s
    double minutesBetweenScans = 3.0;
};

struct RunPlan {
    std::vector<int> cells { 1, 2 };
    std::vector<SpeedStep> speeds { { 16000, 12, 12.0 }, { 24000, 9, 10.0 } };
    std::vector<double> wavelengths { 280, 260, 230 }; // nm, taken in turn
    double hoursBetweenScans = 2.0; // between two scans of one cell
    double temperature = 10.0; // C
    double buoyantMass = 15000.0; // g/mol, M (1 - vbar rho)
    double loading = 0.5; // reading of the loaded cell at the first wavelength
    double noise = 0.004; // standard deviation of the readings
    double offsetSpread = 0.01; // standard deviation of each scan's baseline offset
    std::vector<SampleColumn> columns { SampleColumn() };
    // cm every meniscus and bottom (and the radii scanned with them) move at
    // each later speed, as the rotor stretches: columns + shift * speed index.
    double columnShiftPerSpeed = 0.0;
    // What the menisci add to the readings: the reference's spike, then the
    // sample's, both inside each meniscus (real scans reach -2 and +2).
    double innerSpike = -0.35;
    double outerSpike = 0.9;
    // The artifacts of real scans, varied by the seed: air inside the first
    // meniscus, the two menisci 0.02-0.05 cm apart with heights about the
    // spikes' above (signs may turn), a spike or a steep rise at each base
    // then saturated or wild readings, and in the septa the next channel's
    // air. Without it both spikes are 0.006 cm wide and side by side, and
    // past each bottom the readings saturate (septa: saturated and wild).
    // Interference scans always have the real ones.
    bool realArtifacts = false;
    double step = 0.0012; // mean radial step (cm); steps vary by up to 60 %
    bool evenSteps = false;
    bool variants = true; // the header and file variants of real runs
    bool placeHolders = true; // place-holder and saturated rows
    // A scan whose readings are changed, as an outlier: its index in the
    // scans of its setting (from the first), and the change at the bottom.
    std::optional<int> outlierInSetting;
    double outlierChange = 0.05;
    unsigned seed = 1;
    // A concentrated sample: past `saturatesAt` the solution's readings are
    // what real instruments write there, noisy values between 3 and 4 and
    // 4.0 with deviation 0, up to the bottom.
    bool saturatedBottom = false;
    double saturatesAt = 2.8;
    // Interference optics: type P, files NNNNN.IPn of radius and fringes at
    // even steps of 0.0007 cm, one wavelength (660 nm), `loading` in fringes,
    // each scan's offset of either sign and up to `fringeOffset` fringes.
    bool interference = false;
    double fringeOffset = 3.0;
    std::optional<VelocityPlan> velocity;
};

struct GeneratedScan {
    QString relativePath; // e.g. "00012.RA1" or "00012.ra1"
    QByteArray bytes;
    QByteArray description; // line 1 as written, without its line end
    ScanHeader header; // the values written into line 2
    int points = 0; // data lines: the points getdata reads
    int speedIndex = 0; // into RunPlan::speeds
    double wavelength = 0.0; // the setting's nominal wavelength (the header may differ by 1)
    int indexInSetting = 0; // 0 for the first scan of its setting
    double offset = 0.0; // the baseline offset added to every reading
    std::vector<SampleColumn> columns; // as drawn in this scan, column 1 at the lowest radius
    // For each data line, the solution's reading without noise (offset
    // included); NaN where the line is no solution, or saturated.
    std::vector<double> solution;
};

struct GeneratedRun {
    std::vector<GeneratedScan> scans;
    std::vector<std::pair<QString, QByteArray>> otherFiles; // logs and notes, not scans
};

GeneratedRun GenerateRun(const RunPlan &plan);

// The columns of every scan as drawn, in CSV: the header
// `file,cell,column,speed_rpm,meniscus_cm,bottom_cm`, then a row for each
// scan and column (column 1 at the lowest radius), file as relativePath.
QByteArray ColumnsCsv(const GeneratedRun &run);

// The plan's columns at the speed of this index into RunPlan::speeds.
std::vector<SampleColumn> ColumnsAt(const RunPlan &plan, int speedIndex);

// The public run's shape: 7 cells of 90 scans (36 at 16000 rpm, 27 at
// 24000, 27 at 30000), three wavelengths in turn, about 330 lines a scan.
RunPlan PublicRunPlan();

// One cell of a six-channel centerpiece: three sample columns (5.80-6.12,
// 6.35-6.65 and 6.87-7.20 cm, moving 0.004 cm at each later speed) whose
// readings stay below saturation, 9 scans at each of 16000, 20000 and
// 24000 rpm, radii about 0.003 cm apart.
RunPlan SixChannelPlan();

// One cell of 40 interference scans at 40000 rpm, 3 minutes apart: an
// antibody-like species (6.5 S) sedimenting through a 6.00-7.20 cm column.
RunPlan VelocityRunPlan();

// Writes the run's files under `folder` (created); returns false on failure.
bool WriteRun(const GeneratedRun &run, const QString &folder);

// sigma = M (1 - vbar rho) omega^2 / (R T), cm^-2.
double SigmaOf(double buoyantMass, int rpm, double temperature);

// One scan at equilibrium of one or two ideal species (cm, reading), as the
// ln c tests need: points from `from` to `to` at `step`, header line 2 with
// the speed and temperature, no offset; `noise` 0 gives exact readings.
struct IdealSpecies {
    double buoyantMass; // g/mol
    double readingAtMeniscus;
};
QByteArray IdealScanBytes(const std::vector<IdealSpecies> &species, int rpm, double temperature,
    double from, double to, double step, double noise, unsigned seed);
