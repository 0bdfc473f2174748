// SPDX-License-Identifier: GPL-3.0-or-later
// kelvane_generate_run FOLDER [KIND]: writes a generated run for trying the
// run window and the report by hand, for the guide's pictures and for timing
// the report, and beside it columns.csv, where each scan's columns were drawn.
#include "support/RunGenerator.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace
{

constexpr const char *Usage
    = "usage: kelvane_generate_run FOLDER "
      "[public|small|three-columns|settled|changing|interference|velocity|saturated-bottom]\n"
      "Writes a generated run of scans into FOLDER (made when missing), and\n"
      "FOLDER/columns.csv: each scan's meniscus and bottom (cm) of each column\n"
      "as drawn (file,cell,column,speed_rpm,meniscus_cm,bottom_cm).\n"
      "  public         7 cells of 90 scans at 16000, 24000 and 30000 rpm (the default)\n"
      "  small          2 cells of 21 scans at 16000 and 24000 rpm\n"
      "  three-columns  the public run's shape with three sample columns a scan\n"
      "  settled        one cell of 36 scans that come to equilibrium\n"
      "  changing       one cell of 36 scans still far from it\n"
      "  interference   the small run in interference scans (NNNNN.IPn, fringes)\n"
      "  velocity       one cell of 40 interference scans 3 minutes apart at 40000 rpm\n"
      "  saturated-bottom  the small run of a concentrated sample, saturated before\n"
      "                 its bottom\n";

} // namespace

int main(int argc, char *argv[])
{
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(Usage, stdout);
        return 0;
    }
    if (argc < 2 || argv[1][0] == '-') {
        std::fputs(Usage, stderr);
        return 1;
    }
    const char *kinds[] = { "public", "small", "three-columns", "settled", "changing",
        "interference", "velocity", "saturated-bottom" };
    if (argc > 2 && std::none_of(std::begin(kinds), std::end(kinds), [&](const char *kind) {
            return std::strcmp(kind, argv[2]) == 0;
        })) {
        std::fprintf(stderr, "kelvane_generate_run: unknown kind '%s'\n%s", argv[2], Usage);
        return 1;
    }
    const char *kind = argc > 2 ? argv[2] : "public";
    const auto is = [kind](const char *name) { return std::strcmp(kind, name) == 0; };
    RunPlan plan = is("public") || is("three-columns") ? PublicRunPlan() : RunPlan();
    // The guide's two runs: one cell whose settings come to equilibrium, and
    // one still changing, drawn as real scans look.
    if (is("settled") || is("changing")) {
        plan.cells = { 1 };
        const double tau = is("settled") ? 8.0 : 60.0;
        plan.speeds = { { 16000, 36, tau } };
        plan.realArtifacts = true;
    }
    if (is("interference")) {
        plan.interference = true;
        plan.realArtifacts = true;
        plan.loading = 3.0;
        plan.noise = 0.01;
    }
    if (is("velocity"))
        plan = VelocityRunPlan();
    if (is("saturated-bottom")) {
        plan.saturatedBottom = true;
        plan.realArtifacts = true;
        plan.loading = 1.0;
    }
    if (is("three-columns")) {
        plan.columns = { { 5.80, 6.12 }, { 6.35, 6.65 }, { 6.87, 7.20 } };
        plan.step = 0.003;
        plan.columnShiftPerSpeed = 0.004;
    }
    const GeneratedRun run = GenerateRun(plan);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QFile columns(QDir(folder).filePath(QStringLiteral("columns.csv")));
    const QByteArray csv = ColumnsCsv(run);
    if (!WriteRun(run, folder) || !columns.open(QIODevice::WriteOnly)
        || columns.write(csv) != csv.size()) {
        std::fprintf(stderr, "kelvane_generate_run: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
