#pragma once
// The engine's pseudo-random generator: integers 0..32767 from a fixed linear
// congruential sequence (next = next * 1103515245 + 12345, result
// (next / 65536) mod 32768) that starts from state 1 in every run and is never
// seeded, so every run draws the same numbers. The particle system's births and
// the effect test's light jitter draw from the one shared instance, so their
// draws interleave in call order. Instances are plain values: a test can copy
// the shared generator to predict its next draws without disturbing it.

#include <cstdint>

namespace zel {

class Random {
public:
    static constexpr int MAX = 32767;
    static constexpr std::uint32_t INITIAL_STATE = 1;

    Random() = default;
    explicit Random(std::uint32_t state) : state_(state) {}

    // The process-wide generator shared by every effect.
    static Random& shared();

    // The next integer in 0..MAX.
    int next();

    // r mapped linearly from [0, MAX] onto [0, 1], with r clamped to that range.
    static float unit(int r);

    std::uint32_t getState() const { return state_; }
    void setState(std::uint32_t state) { state_ = state; }

private:
    std::uint32_t state_ = INITIAL_STATE;
};

} // namespace zel
