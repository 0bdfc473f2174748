// SPDX-License-Identifier: GPL-3.0-or-later
// The solution column's finder and the split's proposal on arbitrary points
// and flags: they must return, and every column must lie within the points.
#include "runs/ChannelSplit.h"
#include "runs/SolutionColumn.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const int count = int(size / (3 * sizeof(float)));
    std::vector<float> points(size_t(3 * count));
    if (count > 0)
        std::memcpy(points.data(), data, points.size() * sizeof(float));
    double low = INFINITY, high = -INFINITY;
    for (int i = 0; i < count; ++i) {
        const float x = points[size_t(3 * i)];
        if (points[size_t(3 * i + 2)] > 0.0f && std::isfinite(x)
            && std::isfinite(points[size_t(3 * i + 1)])) {
            low = std::min(low, double(x));
            high = std::max(high, double(x));
        }
    }
    for (const bool absorbance : { true, false }) {
        for (const ColumnEstimate &column : EstimateColumns(points.data(), count, absorbance)) {
            if (!(column.meniscus >= low && column.reach <= high
                    && column.meniscus <= column.reach))
                abort();
            if (column.bottom && !(*column.bottom >= column.meniscus && *column.bottom <= high))
                abort();
        }
    }
    Scan scan;
    scan.header = ScanHeader { 'R', 1, 20.0, 16000, 0, 0.0, 280.0, 1 };
    scan.numPoints = count;
    scan.points = points;
    for (const RadiusRange &range : ProposeColumns({ &scan, &scan })) {
        if (!(range.from >= float(low) && range.to <= float(high) && range.from <= range.to))
            abort();
    }
    return 0;
}
