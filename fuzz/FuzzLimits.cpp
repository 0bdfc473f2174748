// SPDX-License-Identifier: GPL-3.0-or-later
// A limits file on arbitrary bytes: reading returns, every row read holds
// finite values in the order a column needs, each error names a line, and
// matching the rows to a run's settings returns lines that were read.
#include "runs/LimitsFile.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const LimitsRead read = ReadLimitsCsv(bytes);
    if (read.limits.size() != read.lines.size()
        || size_t(read.errors.size()) != read.errorLines.size())
        abort();
    if (!read.failure.isEmpty() && !read.limits.empty())
        abort();
    for (const ColumnLimits &row : read.limits) {
        const SolutionColumn &c = row.values;
        for (double v : { c.meniscus, c.bottom, c.inner, c.outer, row.lowestWavelength,
                 row.highestWavelength }) {
            if (!std::isfinite(v))
                abort();
        }
        if (!(c.meniscus < c.inner && c.inner < c.outer && c.outer < c.bottom))
            abort();
    }
    // A run of two settings of cell 1, whatever the file says.
    RunGroups groups;
    for (int speed : { 16000, 24000 }) {
        ScanGroup group;
        group.cell = 1;
        group.type = 'R';
        group.speed = speed;
        group.lowestWavelength = group.highestWavelength = 280.0;
        groups.groups.push_back(group);
    }
    for (int line : UnmatchedLines(read, groups)) {
        if (std::find(read.lines.begin(), read.lines.end(), line) == read.lines.end())
            abort();
    }
    const QByteArray again = LimitsCsv(RunAnalysis {});
    if (!ReadLimitsCsv(again).failure.isEmpty())
        abort();
    return 0;
}
