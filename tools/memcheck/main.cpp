// world-of-ulmera-memcheck: runs the assembled demo scene through the frame
// harness for a bounded, deterministic session, for memory checkers such as
// valgrind (scripts/memcheck.sh). Run from the run layout's bin/ folder so
// ../data resolves, on an X display with GLX.
//
// The session: 100 frames by day, then engine ticks of 15 ms (the day hold and
// the fade to night) with one frame after every 30 ticks, then 100 frames at
// night, when the effect test's lights show. Ticks between frames run through
// CoreEngine::tick, exactly what a frame does when a tick is due, without the
// cost of drawing each one. At the end the engine is torn down as the program
// does it (scene, then registry, while the GL context exists).
//
//   world-of-ulmera-memcheck [frames-by-day [frames-by-night [ticks-per-frame]]]
//
// ticks-per-frame (default 30) sets how many ticks of the day hold and the fade
// run between two drawn frames.

#include <GL/glew.h>
#include <SDL/SDL.h>
#include <libxml/parser.h>

#include <cstdio>
#include <cstdlib>

#include "demo/DemoScene.h"
#include "engine/CoreEngine.h"
#include "engine/FrameDriver.h"
#include "environment/DayNightCycle.h"
#include "scene/World.h"

namespace {

int argumentOr(int argc, char** argv, int index, int fallback) {
    if (index < argc) {
        const int value = std::atoi(argv[index]);
        if (value >= 0 && value <= 100000) return value;
    }
    return fallback;
}

} // namespace

int main(int argc, char** argv) {
    const int dayFrames = argumentOr(argc, argv, 1, 100);
    const int nightFrames = argumentOr(argc, argv, 2, 100);
    const int stride = argumentOr(argc, argv, 3, 30) > 0 ? argumentOr(argc, argv, 3, 30) : 30;

    xmlInitParser();
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) < 0) {
        std::printf("memcheck: SDL_Init failed: %s\n", SDL_GetError());
        return 2;
    }
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    if (SDL_SetVideoMode(800, 600, 24, SDL_OPENGL) == nullptr) {
        std::printf("memcheck: SDL_SetVideoMode failed: %s\n", SDL_GetError());
        SDL_Quit();
        return 2;
    }
    if (glewInit() != GLEW_OK) {
        std::printf("memcheck: glewInit failed\n");
        SDL_Quit();
        return 2;
    }

    int frames = 0;
    int ticks = 0;
    {
        zel::FrameDriver driver;
        driver.initGL();
        zel::World& world = driver.createWorld();
        zel::buildDemoScene(world);
        driver.start();

        frames += driver.runTicks(dayFrames);
        ticks += dayFrames;

        zel::CoreEngine& engine = zel::CoreEngine::instance();
        zel::DayNightCycle& cycle = zel::DayNightCycle::instance();
        // Through the rest of the day hold and the whole fade, until night.
        const int tickLimit = 10000;
        while (cycle.getPhase() != zel::DayNightCycle::NIGHT_HOLD && ticks < tickLimit) {
            engine.tick(zel::CoreEngine::TICK_INTERVAL_MS);
            ++ticks;
            if (ticks % stride == 0) {
                frames += driver.runTicks(1);
                ++ticks;
            }
        }
        if (cycle.getPhase() != zel::DayNightCycle::NIGHT_HOLD) {
            std::printf("memcheck: night did not come within %d ticks\n", tickLimit);
            return 1;
        }
        frames += driver.runTicks(nightFrames);
        ticks += nightFrames;
        std::printf("memcheck: %d frames, %d ticks, day/night value %.3f\n", frames, ticks,
                    static_cast<double>(cycle.getValue()));

        engine.shutdown();
    }

    SDL_Quit();
    xmlCleanupParser();
    return 0;
}
