#include "environment/DayNightCycle.h"

#include <cstdint>

namespace zel {

DayNightCycle& DayNightCycle::instance() {
    static DayNightCycle cycle;
    return cycle;
}

DayNightCycle::DayNightCycle() = default;

bool DayNightCycle::hold(std::int32_t elapsedMs, std::int32_t holdMs) {
    // Summed in 64 bits so that no elapsed value can overflow the accumulator.
    const std::int64_t total = static_cast<std::int64_t>(elapsedMs_) + elapsedMs;
    if (total >= holdMs) {
        // Time beyond the hold is dropped, not carried into the fade.
        elapsedMs_ = 0;
        return true;
    }
    elapsedMs_ = static_cast<std::int32_t>(total < INT32_MIN ? INT32_MIN : total);
    return false;
}

void DayNightCycle::update(std::int32_t elapsedMs) {
    switch (phase_) {
    case NIGHT_HOLD:
        if (hold(elapsedMs, nightHoldMs_))
            phase_ = FADING_TO_DAY;
        break;
    case DAY_HOLD:
        if (hold(elapsedMs, dayHoldMs_))
            phase_ = FADING_TO_NIGHT;
        break;
    case FADING_TO_NIGHT:
        // The fader turns by itself at its bounds, so its direction is already
        // right except on the very first fade, whose first step overshoots 1.
        fader_.update();
        if (fader_.getValue() <= 0.0f) {
            fader_.setValue(0.0f);
            phase_ = NIGHT_HOLD;
        }
        break;
    case FADING_TO_DAY:
        fader_.update();
        if (fader_.getValue() >= 1.0f) {
            fader_.setValue(1.0f);
            phase_ = DAY_HOLD;
        }
        break;
    default:
        break;
    }
}

} // namespace zel
