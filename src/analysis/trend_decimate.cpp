#include "analysis/trend_decimate.h"

#include <algorithm>

namespace protmon {

namespace {

struct TColumn {
    int First = -1;
    int Low = -1;
    int High = -1;
    int Last = -1;
};

void AppendColumn(std::vector<int>& out, const TColumn& c) {
    int picks[] = {c.First, c.Low, c.High, c.Last};
    std::sort(std::begin(picks), std::end(picks));
    for (int i : picks)
        if (out.empty() || out.back() != i)
            out.push_back(i);
}

} // namespace

std::vector<int> DecimateMinMax(std::span<const double> x, std::span<const double> y, double from,
                                double to, int columns) {
    const int n = static_cast<int>(std::min(x.size(), y.size()));
    const int begin =
        static_cast<int>(std::lower_bound(x.begin(), x.begin() + n, from) - x.begin());
    const int end = static_cast<int>(std::upper_bound(x.begin(), x.begin() + n, to) - x.begin());
    const int first = std::max(0, begin - 1);
    const int last = std::min(n, end + 1);
    std::vector<int> out;
    if (columns <= 0 || to <= from || last - first <= 4 * columns) {
        for (int i = first; i < last; ++i)
            out.push_back(i);
        return out;
    }
    out.reserve(static_cast<std::size_t>(4 * columns + 2));
    if (first < begin)
        out.push_back(first);
    const double perColumn = columns / (to - from);
    TColumn column;
    int current = -1;
    for (int i = begin; i < end; ++i) {
        const int c = std::min(columns - 1, static_cast<int>((x[i] - from) * perColumn));
        if (c != current) {
            if (current >= 0)
                AppendColumn(out, column);
            column = {i, i, i, i};
            current = c;
            continue;
        }
        column.Last = i;
        if (y[i] < y[column.Low])
            column.Low = i;
        if (y[i] > y[column.High])
            column.High = i;
    }
    if (current >= 0)
        AppendColumn(out, column);
    if (end < last)
        out.push_back(end);
    return out;
}

} // namespace protmon
