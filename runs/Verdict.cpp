// SPDX-License-Identifier: GPL-3.0-or-later
#include "runs/Verdict.h"

#include <cmath>

QString HoursText(double hours)
{
    return QStringLiteral("%1 h").arg(hours, 0, 'f', 1);
}

QString ScoreText(double score, int fewest)
{
    // As many decimals as it takes to tell the score from the limit.
    for (int decimals = fewest; decimals < 6; ++decimals) {
        const QString text = QString::number(score, 'f', decimals);
        if (score == ScoreLimit || text != QString::number(ScoreLimit, 'f', decimals))
            return text;
    }
    return QString::number(score, 'g', 10);
}

QString VerdictText(const Run &run, const RunAnalysis &analysis, int group)
{
    const ScanGroup &g = analysis.groups.groups[size_t(group)];
    const GroupVerdict &verdict = analysis.verdicts[size_t(group)];
    const int n = int(g.scans.size());
    if (verdict.reached) {
        const Scan &since = run.scans[size_t(verdict.since)];
        return QStringLiteral("Equilibrium reached: scans since %1 (%2) differ from the last by "
                              "noise alone")
            .arg(since.name, HoursText(double(since.header->time) / 3600.0));
    }
    if (n < ScansBeforeLast + 1)
        return QStringLiteral("Too few scans to judge: the setting has %1 scan%2; the check needs "
                              "at least %3")
            .arg(n)
            .arg(n == 1 ? "" : "s")
            .arg(ScansBeforeLast + 1);
    for (int k = n - 2; k >= 0; --k) {
        const int scan = g.scans[size_t(k)];
        const ScanCheck &check = analysis.checks[size_t(scan)];
        const QString &name = run.scans[size_t(scan)].name;
        if (!check.score)
            return QStringLiteral("Not at equilibrium: %1 cannot be compared with the last (%2 "
                                  "points; at least %3 are needed)")
                .arg(name)
                .arg(check.points)
                .arg(MinCheckPoints);
        if (!std::isfinite(*check.score))
            return QStringLiteral("Not at equilibrium: %1 differs from the last, and neither "
                                  "shows any noise to measure the difference by")
                .arg(name);
        if (*check.score > ScoreLimit)
            return QStringLiteral("Not at equilibrium: %1 still differs from the last by %2 times "
                                  "the noise")
                .arg(name, ScoreText(*check.score));
    }
    return QStringLiteral("Not at equilibrium");
}
