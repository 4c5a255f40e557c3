#pragma once
// The median and 95th percentile of a set of timings.

#include <algorithm>
#include <vector>

struct Spread {
    double median = 0;
    double p95 = 0;
};

inline Spread spread(std::vector<double> values)
{
    if (values.empty())
        return {};
    std::sort(values.begin(), values.end());
    const auto at = [&](double q) { return values[std::min(values.size() - 1, std::size_t(q * double(values.size())))]; };
    return {at(0.5), at(0.95)};
}
