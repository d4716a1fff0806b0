#pragma once
// The day/night value of the scene, from 0 (night) to 1 (full day). One
// instance per process (instance()); the world advances it once per engine tick,
// and the sky box, the light and water shaders and the effect test read it.
// It holds the day, fades to night one fader step per update, holds the night
// and fades back: phases 1 -> 2 -> 0 -> 3 -> 1.

#include <cstdint>

#include "environment/ValueFader.h"

namespace zel {

class DayNightCycle {
public:
    enum Phase { NIGHT_HOLD = 0, DAY_HOLD = 1, FADING_TO_NIGHT = 2, FADING_TO_DAY = 3 };

    static DayNightCycle& instance();

    // A cycle at full day, at the start of the day hold. The program uses only
    // instance(); separate cycles serve tests.
    DayNightCycle();
    virtual ~DayNightCycle() = default;

    // Advances by elapsedMs: hold phases accumulate the time, fading phases
    // step the fader once whatever the time.
    void update(std::int32_t elapsedMs);
    float getValue() const { return fader_.getValue(); }

    int getPhase() const { return phase_; }
    std::int32_t getElapsedMs() const { return elapsedMs_; }
    std::int32_t getDayHoldMs() const { return dayHoldMs_; }
    std::int32_t getNightHoldMs() const { return nightHoldMs_; }
    const ValueFader& getFader() const { return fader_; }

private:
    // Adds elapsedMs to the hold accumulator; true (and the accumulator reset)
    // when it has reached holdMs.
    bool hold(std::int32_t elapsedMs, std::int32_t holdMs);

    ValueFader fader_{1.0f, true, 0.0f, 1.0f, 0.001f};
    std::int32_t phase_ = DAY_HOLD;
    std::int32_t dayHoldMs_ = 30000;
    std::int32_t nightHoldMs_ = 30000;
    std::int32_t elapsedMs_ = 0;
};

} // namespace zel
