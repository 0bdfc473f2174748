// SPDX-License-Identifier: GPL-3.0-or-later
// The first two lines of an instrument scan: line 1 a free description,
// line 2 the header "R 4 10.0 16000 0028764 8.0640E10 281 20" = type letter,
// cell, temperature (C), speed (rpm), elapsed time (s), omega^2 t (rad^2/s),
// wavelength (nm) and a count, separated by blanks.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>
#include <optional>

struct ScanHeader {
    char type = 0; // 'R' absorbance, 'I' intensity, 'P' interference,
                   // 'F' fluorescence, 'W' wavelength scan
    int cell = 0;
    double temperature = 0.0; // C
    int speed = 0; // rpm
    int64_t time = 0; // s since the start of the run
    double omega2t = 0.0; // rad^2/s
    double wavelength = 0.0; // nm
    int count = 0; // replicates
    bool operator==(const ScanHeader &) const = default;
};

// Line 2 read into its fields: exactly a type letter and seven numbers,
// split at blanks and tabs (runs of them, at either end too). Cell, speed,
// time and count are whole numbers (leading zeros and a sign allowed); the
// other three are decimal numbers with an optional exponent (E or D).
// Anything else, a value out of range or not finite, is no header.
std::optional<ScanHeader> ParseScanHeader(QByteArrayView line);

// The two lines at the start of a file's bytes, without their line ends
// (LF or CR LF; a CR at the very end too). Missing lines are empty.
struct LeadingLines {
    QByteArray description;
    QByteArray header;
};
LeadingLines ReadLeadingLines(QByteArrayView bytes);

// What a type letter stands for: "Absorbance", "Intensity", "Interference",
// "Fluorescence", "Wavelength scan"; empty for any other.
const char *ScanTypeName(char type);
