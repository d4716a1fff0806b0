#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "environment/DayNightCycle.h"

using namespace zel;

namespace {

// The values seen over updates of 15 ms until the phase changes (the last one after it).
std::vector<float> runPhase(DayNightCycle& cycle, int limit) {
    std::vector<float> values;
    const int phase = cycle.getPhase();
    for (int i = 0; i < limit && cycle.getPhase() == phase; ++i) {
        cycle.update(15);
        values.push_back(cycle.getValue());
    }
    return values;
}

} // namespace

TEST(DayNightCycleTest, FullCycleAtFifteenMillisecondTicks) {
    // The fader turns at or beyond its bounds without clamping; it starts at 1, still rising.
    DayNightCycle cycle;
    EXPECT_EQ(cycle.getValue(), 1.0f);
    EXPECT_TRUE(cycle.getFader().isIncreasing());
    // A hold is 2000 updates of 15 ms (30 s) at an exact value. A fade moves
    // 0.001 per update to an exact end: dusk first overshoots one step above 1
    // (the fader still rises), dawn starts upward at once (it turned at 0).
    const struct {
        DayNightCycle::Phase phase;
        std::size_t least, most;
        float first, last, step;
    } phases[] = {{DayNightCycle::DAY_HOLD, 2000, 2000, 1.0f, 1.0f, 0.0f},
                  {DayNightCycle::FADING_TO_NIGHT, 1000, 1003, 1.001f, 0.0f, -0.001f},
                  {DayNightCycle::NIGHT_HOLD, 2000, 2000, 0.0f, 0.0f, 0.0f},
                  {DayNightCycle::FADING_TO_DAY, 999, 1002, 0.001f, 1.0f, 0.001f}};
    for (const auto& p : phases) {
        SCOPED_TRACE(p.phase);
        ASSERT_EQ(cycle.getPhase(), p.phase);
        const std::vector<float> values = runPhase(cycle, 5000);
        ASSERT_TRUE(values.size() >= p.least && values.size() <= p.most) << values.size();
        EXPECT_NEAR(values[0], p.first, 1e-6f);
        EXPECT_EQ(values.back(), p.last);
        for (std::size_t i = 1; i + 1 < values.size(); ++i) {
            ASSERT_NEAR(values[i] - values[i - 1], p.step, p.step == 0.0f ? 0.0f : 1e-4f) << "update " << i;
            ASSERT_TRUE(p.step == 0.0f || i < 2 || (values[i] > 0.0f && values[i] < 1.0f)) << "update " << i;
        }
    }
    EXPECT_EQ(cycle.getPhase(), DayNightCycle::DAY_HOLD);

    // The second dusk has no overshoot: the fader turned at 1.
    EXPECT_EQ(runPhase(cycle, 5000).size(), 2000u);
    cycle.update(15);
    EXPECT_NEAR(cycle.getValue(), 0.999f, 1e-6f);
}

TEST(DayNightCycleTest, LongUpdatesEndAHoldAtOnceAndDropTheExcess) {
    DayNightCycle cycle;
    ASSERT_EQ(cycle.getDayHoldMs(), 30000);
    cycle.update(29999);
    EXPECT_EQ(cycle.getPhase(), DayNightCycle::DAY_HOLD);
    EXPECT_EQ(cycle.getElapsedMs(), 29999);
    cycle.update(100000);
    EXPECT_EQ(cycle.getPhase(), DayNightCycle::FADING_TO_NIGHT);
    EXPECT_EQ(cycle.getElapsedMs(), 0);

    // A fade takes one step per update whatever the elapsed time.
    cycle.update(1000000);
    EXPECT_NEAR(cycle.getValue(), 1.001f, 1e-6f);
    while (cycle.getPhase() == DayNightCycle::FADING_TO_NIGHT)
        cycle.update(100000);

    // The night hold starts from zero: the excess of the day hold was dropped.
    // A huge elapsed time on top of the nearly full hold does not overflow.
    cycle.update(29999);
    EXPECT_EQ(cycle.getPhase(), DayNightCycle::NIGHT_HOLD);
    cycle.update(INT32_MAX);
    EXPECT_EQ(cycle.getPhase(), DayNightCycle::FADING_TO_DAY);
}
