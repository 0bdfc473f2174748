// SPDX-License-Identifier: GPL-3.0-or-later
// kelvane_generate_run FOLDER [public|small|three-columns|settled|changing]: writes a
// generated run for trying the run window and the report by hand, for the
// guide's pictures and for timing the report.
#include "support/RunGenerator.h"

#include <QString>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace
{

constexpr const char *Usage
    = "usage: kelvane_generate_run FOLDER [public|small|three-columns|settled|changing]\n"
      "Writes a generated run of scans into FOLDER (made when missing):\n"
      "  public         7 cells of 90 scans at 16000, 24000 and 30000 rpm (the default)\n"
      "  small          2 cells of 21 scans at 16000 and 24000 rpm\n"
      "  three-columns  the public run's shape with three sample columns a scan\n"
      "  settled        one cell of 36 scans that come to equilibrium\n"
      "  changing       one cell of 36 scans still far from it\n";

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
    const char *kinds[] = { "public", "small", "three-columns", "settled", "changing" };
    if (argc > 2 && std::none_of(std::begin(kinds), std::end(kinds), [&](const char *kind) {
            return std::strcmp(kind, argv[2]) == 0;
        })) {
        std::fprintf(stderr, "kelvane_generate_run: unknown kind '%s'\n%s", argv[2], Usage);
        return 1;
    }
    const char *kind = argc > 2 ? argv[2] : "public";
    RunPlan plan = std::strcmp(kind, "small") == 0 ? RunPlan() : PublicRunPlan();
    // The guide's two runs: one cell whose settings come to equilibrium, and
    // one still changing.
    if (std::strcmp(kind, "settled") == 0 || std::strcmp(kind, "changing") == 0) {
        plan.cells = { 1 };
        const double tau = std::strcmp(kind, "settled") == 0 ? 8.0 : 60.0;
        plan.speeds = { { 16000, 36, tau } };
    }
    if (std::strcmp(kind, "three-columns") == 0) {
        plan.columns = { { 5.80, 6.12 }, { 6.35, 6.65 }, { 6.87, 7.20 } };
        plan.step = 0.003;
        plan.columnShiftPerSpeed = 0.004;
    }
    if (!WriteRun(GenerateRun(plan), QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "kelvane_generate_run: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
