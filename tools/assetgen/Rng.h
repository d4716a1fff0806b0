#pragma once
// A small deterministic pseudo-random generator (SplitMix64) with a fixed seed,
// so every run of the asset generator draws the same numbers. Used by the
// painters for scattered details (cloud puffs, stones, grass blades).

#include <cstdint>

namespace assetgen {

class Rng {
public:
    explicit Rng(uint64_t seed) : state_(seed) {}

    uint64_t next();
    // Uniform in [0, 1).
    float uniform();
    // Uniform in [lo, hi).
    float range(float lo, float hi);
    // Uniform integer in [0, n); 0 when n <= 0.
    int below(int n);

private:
    uint64_t state_;
};

} // namespace assetgen
