#include "engine/FrameDriver.h"

#include <SDL/SDL.h>

#include "engine/CoreEngine.h"
#include "engine/InputState.h"
#include "scene/World.h"

namespace zel {

FrameDriver::FrameDriver(std::uint32_t startMs) : clock_(startMs) {
    CoreEngine& engine = CoreEngine::instance();
    engine.reset();
    InputState::instance().releaseAll();
    pointerX_ = engine.getWidth() / 2;
    pointerY_ = engine.getHeight() / 2;
    engine.setTimeSource([this] { return clock_; });
    engine.setPointerReader([this](int& x, int& y) {
        x = pointerX_;
        y = pointerY_;
    });
    // A warp moves the simulated pointer, as SDL_WarpMouse moves the real one.
    engine.setPointerWarper([this](int x, int y) {
        ++warpCount_;
        lastWarpX_ = x;
        lastWarpY_ = y;
        pointerX_ = x;
        pointerY_ = y;
    });
    engine.setBufferSwapper([this] {
        if (swap_)
            SDL_GL_SwapBuffers();
    });
}

FrameDriver::~FrameDriver() {
    CoreEngine::instance().reset();
    InputState::instance().releaseAll();
}

void FrameDriver::initGL() {
    CoreEngine& engine = CoreEngine::instance();
    engine.initGL(nullptr);
    pointerX_ = engine.getWidth() / 2;
    pointerY_ = engine.getHeight() / 2;
}

World& FrameDriver::createWorld() {
    auto world = std::make_unique<World>();
    World& result = *world;
    CoreEngine::instance().setRoot(std::move(world));
    return result;
}

void FrameDriver::setRoot(std::unique_ptr<IRenderableObject> root) {
    CoreEngine::instance().setRoot(std::move(root));
}

void FrameDriver::start() {
    CoreEngine::instance().start();
}

void FrameDriver::advance(std::uint32_t ms) {
    clock_ += ms;
}

bool FrameDriver::frame(std::uint32_t ms) {
    CoreEngine& engine = CoreEngine::instance();
    clock_ += ms;
    const std::uint32_t before = engine.getLastTick();
    engine.renderFrame(true);
    const std::uint32_t after = engine.getLastTick();
    if (after == before)
        return false;
    ++tickCount_;
    lastElapsed_ = after - before;
    return true;
}

int FrameDriver::runTicks(int count, std::uint32_t ms) {
    const std::uint32_t step =
        ms < CoreEngine::instance().getTickInterval() ? CoreEngine::instance().getTickInterval() : ms;
    int frames = 0;
    for (int ticks = 0; ticks < count; ++frames) {
        if (frame(step))
            ++ticks;
    }
    return frames;
}

void FrameDriver::setPointer(int x, int y) {
    pointerX_ = x;
    pointerY_ = y;
}

} // namespace zel
