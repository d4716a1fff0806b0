#pragma once
// A GL test with the engine prepared by a FrameDriver (viewport, GL state, texture
// registry, fonts) and, when asked for, a World as the engine's root. The driver
// is destroyed before the base class checks for GL errors.

#include "engine/FrameDriver.h"
#include "scene/World.h"
#include "support/GLContext.h"

#include <memory>

namespace zeltest {

// Advances the shared day/night cycle in 15 ms ticks until its value is within
// half a fader step of target; false when it never gets there.
bool driveDayNightTo(float target);

class EngineTest : public GLTest {
protected:
    explicit EngineTest(bool withWorld = false) : withWorld_(withWorld) {}
    void SetUp() override;
    void TearDown() override;

    std::unique_ptr<zel::FrameDriver> driver_;
    zel::World* world_ = nullptr;  // owned by the engine, null without a world

private:
    bool withWorld_;
};

} // namespace zeltest
