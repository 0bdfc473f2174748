// SPDX-License-Identifier: GPL-3.0-or-later
// Generated runs of instrument scans, as real runs come: several cells,
// speeds and wavelengths taken in turn, the header variants of real files
// (zero- and blank-padded fields, a trailing blank, descriptions starting
// with a digit or a dot), CR LF and LF, exponents of 2 to 4 digits, a last
// line without its line end, place-holder rows (1.0 with deviation 0) and
// saturated rows (4.0 with deviation 0) near the bottom.
//
// The readings follow sedimentation equilibrium: each column relaxes from
// its profile at the previous speed (the loading concentration at first)
// towards exp(sigma (r^2 - rm^2) / 2) with a time constant, and each scan
// gets its own baseline offset and Gaussian noise. Everything a test derives
// from the files is kept beside their bytes.
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

struct SampleColumn {
    double meniscus = 6.80; // cm
    double bottom = 7.12; // cm
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
    // What the menisci add to the readings: the reference's spike just
    // inside each meniscus, the sample's just outside (real scans reach -2
    // and +2).
    double innerSpike = -0.35;
    double outerSpike = 0.9;
    double step = 0.0012; // mean radial step (cm); steps vary by up to 60 %
    bool evenSteps = false;
    bool variants = true; // the header and file variants of real runs
    bool placeHolders = true; // place-holder and saturated rows
    // A scan whose readings are changed, as an outlier: its index in the
    // scans of its setting (from the first), and the change at the bottom.
    std::optional<int> outlierInSetting;
    double outlierChange = 0.05;
    unsigned seed = 1;
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
};

struct GeneratedRun {
    std::vector<GeneratedScan> scans;
    std::vector<std::pair<QString, QByteArray>> otherFiles; // logs and notes, not scans
};

GeneratedRun GenerateRun(const RunPlan &plan);

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
