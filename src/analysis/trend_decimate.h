#pragma once

#include <span>
#include <vector>

namespace protmon {

// Indices of the points worth drawing when `x` (ascending) is shown over [from, to] in `columns`
// pixel columns: per column the first, lowest, highest and last point, in index order, and the
// nearest point outside each end so the line runs to the edge. Every point when there are no
// more than four per column.
std::vector<int> DecimateMinMax(std::span<const double> x, std::span<const double> y, double from,
                                double to, int columns);

} // namespace protmon
