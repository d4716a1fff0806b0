#include "effects/Random.h"

namespace zel {

Random& Random::shared() {
    static Random generator;
    return generator;
}

int Random::next() {
    // Unsigned arithmetic wraps modulo 2^32, which is what the sequence expects.
    state_ = state_ * 1103515245u + 12345u;
    return static_cast<int>((state_ / 65536u) % 32768u);
}

float Random::unit(int r) {
    if (r < 0) r = 0;
    if (r > MAX) r = MAX;
    return static_cast<float>(r) / static_cast<float>(MAX);
}

} // namespace zel
