#pragma once
// A GL test with the engine prepared by a FrameDriver (viewport, GL state, texture
// registry, fonts) and, when asked for, a World as the engine's root. The driver
// is destroyed before the base class checks for GL errors.

#include "engine/FrameDriver.h"
#include "scene/World.h"
#include "support/GLContext.h"

#include <memory>

namespace zeltest {

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
