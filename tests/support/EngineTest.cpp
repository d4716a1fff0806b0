#include "support/EngineTest.h"

#include "environment/DayNightCycle.h"

#include <cmath>

namespace zeltest {

bool driveDayNightTo(float target) {
    zel::DayNightCycle& cycle = zel::DayNightCycle::instance();
    for (int i = 0; i < 20000; ++i) {
        if (std::fabs(cycle.getValue() - target) < 0.0005f) return true;
        cycle.update(15);
    }
    return false;
}

void EngineTest::SetUp() {
    GLTest::SetUp();
    if (HasFatalFailure()) return;
    driver_ = std::make_unique<zel::FrameDriver>();
    driver_->initGL();
    if (withWorld_) world_ = &driver_->createWorld();
}

void EngineTest::TearDown() {
    world_ = nullptr;
    driver_.reset();
    GLTest::TearDown();
}

} // namespace zeltest
