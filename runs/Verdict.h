// SPDX-License-Identifier: GPL-3.0-or-later
// A setting's equilibrium verdict in words, for the run window and the guide.
#pragma once

#include "runs/RunAnalysis.h"

#include <QString>

// The verdict of group `group` in words: "Equilibrium reached: scans since
// 00007.RA1 (20.1 h) differ from the last by noise alone", or "Not at
// equilibrium: 00034.RA1 still differs from the last by 3.4 times the
// noise", naming the latest scan before the last that keeps it from being
// reached.
QString VerdictText(const Run &run, const RunAnalysis &analysis, int group);

// "12.3 h" (one decimal).
QString HoursText(double hours);

// A score with `fewest` decimals, or with as many as tell it from the limit
// of 2.0 ("2.05", not "2.0", for 2.049).
QString ScoreText(double score, int fewest = 1);
