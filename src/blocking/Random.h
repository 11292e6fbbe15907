#pragma once

#include <cstdint>
#include <vector>

namespace blocking {

// splitmix64: small, fast and the same everywhere, so that a seed gives the same plan on every
// machine (the standard library's distributions differ between implementations).
class Random {
public:
    explicit Random(std::uint64_t seed) : s_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 .. n-1
    int below(int n) {
        return static_cast<int>(((next() >> 32) * static_cast<std::uint64_t>(n)) >> 32);
    }
    // [0, 1)
    double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    template <class T> void shuffle(std::vector<T>& v) {
        for (int i = static_cast<int>(v.size()) - 1; i > 0; --i)
            std::swap(v[i], v[below(i + 1)]);
    }

private:
    std::uint64_t s_;
};

} // namespace blocking
