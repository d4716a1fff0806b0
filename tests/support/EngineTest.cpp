#include "support/EngineTest.h"

namespace zeltest {

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
