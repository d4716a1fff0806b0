#include "assetgen/Rng.h"

namespace assetgen {

uint64_t Rng::next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

float Rng::uniform() { return static_cast<float>(next() >> 40) / 16777216.0f; }

float Rng::range(float lo, float hi) { return lo + (hi - lo) * uniform(); }

int Rng::below(int n) { return n <= 0 ? 0 : static_cast<int>(next() % static_cast<uint64_t>(n)); }

} // namespace assetgen
