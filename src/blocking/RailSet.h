#pragma once

#include <bit>
#include <cstdint>

namespace blocking {

// The rails of one school year the blocking can tell apart: the workspace holds at most 101.
constexpr int kMaxRails = 128;

// A set of rails (dense rail numbers 0..kMaxRails-1): the rails a course stands on, or a
// student's occupied rails. Two words, so that the per-student tests in the search stay a few
// instructions.
class RailSet {
public:
    constexpr RailSet() = default;
    static RailSet of(int rail) {
        RailSet s;
        s.add(rail);
        return s;
    }

    void add(int rail) { w_[rail >> 6] |= std::uint64_t{1} << (rail & 63); }
    void remove(int rail) { w_[rail >> 6] &= ~(std::uint64_t{1} << (rail & 63)); }
    bool has(int rail) const { return (w_[rail >> 6] >> (rail & 63)) & 1; }
    bool empty() const { return (w_[0] | w_[1]) == 0; }
    int count() const { return std::popcount(w_[0]) + std::popcount(w_[1]); }
    // More than one rail (without counting them: no popcount instruction everywhere).
    bool several() const {
        return (w_[0] && w_[1]) || (w_[0] & (w_[0] - 1)) || (w_[1] & (w_[1] - 1));
    }
    bool intersects(const RailSet& o) const { return ((w_[0] & o.w_[0]) | (w_[1] & o.w_[1])) != 0; }
    // The lowest rail, -1 for the empty set.
    int first() const {
        if (w_[0])
            return std::countr_zero(w_[0]);
        if (w_[1])
            return 64 + std::countr_zero(w_[1]);
        return -1;
    }
    // Calls f(rail) for every rail in ascending order.
    template <class F> void forEach(F&& f) const {
        for (int i = 0; i < 2; ++i)
            for (std::uint64_t w = w_[i]; w; w &= w - 1)
                f(i * 64 + std::countr_zero(w));
    }

    RailSet& operator|=(const RailSet& o) {
        w_[0] |= o.w_[0];
        w_[1] |= o.w_[1];
        return *this;
    }
    RailSet operator|(const RailSet& o) const { return RailSet(*this) |= o; }
    RailSet operator&(const RailSet& o) const {
        RailSet s;
        s.w_[0] = w_[0] & o.w_[0];
        s.w_[1] = w_[1] & o.w_[1];
        return s;
    }
    RailSet without(const RailSet& o) const {
        RailSet s;
        s.w_[0] = w_[0] & ~o.w_[0];
        s.w_[1] = w_[1] & ~o.w_[1];
        return s;
    }
    bool operator==(const RailSet&) const = default;

private:
    std::uint64_t w_[2] = {0, 0};
};

} // namespace blocking
