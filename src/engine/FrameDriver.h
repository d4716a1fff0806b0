#pragma once
// A harness that drives the engine singleton's frames and ticks on a synthetic
// clock, for tests, tools and the benchmark: no event loop, no real waiting.
//
// Constructing a FrameDriver resets the engine (deleting any root) and installs
// hooks: the clock reads the driver's own millisecond counter, the pointer is a
// simulated one that stays where the last warp put it (the window centre)
// unless the caller moves it, warps are recorded, and by default frames are
// rendered without the buffer swap so the caller can glReadPixels the back
// buffer. The destructor resets the engine again and restores the SDL hooks.
//
// Typical use, with a current GL context (zeltest::GLTest or a tool's window):
//     FrameDriver driver;          // clock at 0, engine reset
//     driver.initGL();             // 800 x 600 viewport, GL state, registry, fonts
//     World& world = driver.createWorld();   // world becomes the engine's root
//     world.addBloomChild(...);    // attach objects (call their init first)
//     driver.start();              // what onInit does: root init once, running
//     driver.frame(15);            // clock += 15, one frame, tick due -> runs
//     driver.runTicks(100);        // 100 frames 15 ms apart, one tick each
// Only one driver may exist at a time.

#include <cstdint>
#include <memory>

#include "engine/IRenderableObject.h"

namespace zel {

class World;

class FrameDriver {
public:
    // Resets the engine and installs the synthetic clock at startMs; the
    // engine's last tick time becomes startMs.
    explicit FrameDriver(std::uint32_t startMs = 0);
    ~FrameDriver();
    FrameDriver(const FrameDriver&) = delete;
    FrameDriver& operator=(const FrameDriver&) = delete;

    // CoreEngine::initGL without an application (Escape then stops nothing).
    // Needs a current GL context.
    void initGL();
    // Builds a World (needs a GL context) and makes it the engine's root.
    World& createWorld();
    // Makes any object the engine's root (null clears it).
    void setRoot(std::unique_ptr<IRenderableObject> root);
    // What the application's onInit does: the root's init once, then running.
    void start();

    // Moves the synthetic clock forward without drawing.
    void advance(std::uint32_t ms);
    // Moves the clock forward by ms, then renders one engine frame (which runs
    // the tick when due). Returns true when a tick ran.
    bool frame(std::uint32_t ms = 0);
    // Renders frames ms apart until count ticks have run (ms is raised to the
    // tick interval when smaller); returns the number of frames drawn.
    int runTicks(int count, std::uint32_t ms = 15);

    std::uint32_t now() const { return clock_; }
    // Number of ticks run by frames of this driver, and the elapsed time the
    // last one received.
    int getTickCount() const { return tickCount_; }
    std::uint32_t getLastElapsed() const { return lastElapsed_; }

    // Moves the simulated pointer; the next tick's mouse-look reads it.
    void setPointer(int x, int y);
    int getPointerX() const { return pointerX_; }
    int getPointerY() const { return pointerY_; }
    // Warps the engine requested so far and the position of the last one.
    int getWarpCount() const { return warpCount_; }
    int getLastWarpX() const { return lastWarpX_; }
    int getLastWarpY() const { return lastWarpY_; }

    // With swapping on, frames end with SDL_GL_SwapBuffers; off (the default)
    // the finished image stays in the back buffer.
    void setSwapBuffers(bool swap) { swap_ = swap; }

private:
    std::uint32_t clock_ = 0;
    bool swap_ = false;
    int tickCount_ = 0;
    std::uint32_t lastElapsed_ = 0;
    int pointerX_ = 0;
    int pointerY_ = 0;
    int warpCount_ = 0;
    int lastWarpX_ = -1;
    int lastWarpY_ = -1;
};

} // namespace zel
