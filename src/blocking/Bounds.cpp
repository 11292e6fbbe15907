#include "blocking/Bounds.h"

#include "blocking/Model.h"

#include <algorithm>
#include <climits>

namespace blocking {

namespace {

int clampTo(int level, int least, int most) {
    return std::max(least, most < 0 ? level : std::min(level, most));
}

} // namespace

std::vector<int> evenSizes(int total, const std::vector<int>& least, const std::vector<int>& most) {
    const size_t k = least.size();
    long long low = 0;
    long long high = 0;
    for (size_t i = 0; i < k; ++i) {
        if (most[i] >= 0 && least[i] > most[i])
            return {};
        low += least[i];
        high = (high == LLONG_MAX || most[i] < 0) ? LLONG_MAX : high + most[i];
    }
    if (k == 0 || total < low || total > high)
        return {};
    const auto sum = [&](int level) {
        long long s = 0;
        for (size_t i = 0; i < k; ++i)
            s += clampTo(level, least[i], most[i]);
        return s;
    };
    // The highest level whose clamped sizes do not exceed the total; the rest goes one each to
    // courses that sit at that level and may grow.
    int lo = 0;
    int hi = total;
    while (lo < hi) {
        const int mid = lo + (hi - lo + 1) / 2;
        if (sum(mid) <= total)
            lo = mid;
        else
            hi = mid - 1;
    }
    std::vector<int> sizes(k);
    long long rest = total;
    for (size_t i = 0; i < k; ++i) {
        sizes[i] = clampTo(lo, least[i], most[i]);
        rest -= sizes[i];
    }
    for (size_t i = 0; i < k && rest > 0; ++i)
        if (sizes[i] == lo && least[i] <= lo && (most[i] < 0 || lo < most[i])) {
            ++sizes[i];
            --rest;
        }
    return sizes;
}

void computeBounds(const Model& m, Group& g) {
    std::vector<int> least, most, loads, none;
    for (int k : g.courses) {
        const Course& c = m.courses[k];
        least.push_back(std::max(c.fixedLoad, c.min));
        most.push_back(c.max > 0 ? c.max : -1);
        loads.push_back(c.fixedLoad);
        none.push_back(-1);
    }
    std::vector<int> sizes = evenSizes(g.total, least, most);
    if (sizes.empty())
        sizes = evenSizes(g.total, loads, none);
    long long squares = 0;
    for (int s : sizes)
        squares += static_cast<long long>(s) * s;
    const auto [lo, hi] = std::minmax_element(sizes.begin(), sizes.end());
    g.differenceBound = sizes.empty() ? 0 : *hi - *lo;
    g.squareBound = squares;
    const double k = static_cast<double>(sizes.size());
    g.deviationBound =
        sizes.empty() ? 0.0
                      : static_cast<double>(squares) - static_cast<double>(g.total) * g.total / k;
}

} // namespace blocking
