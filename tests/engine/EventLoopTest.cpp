// The program's real event loop on its own window: the order in which queued events, the frame and the
// shutdown happen, and resizes.
#include <GL/glew.h>
#include <SDL/SDL.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "engine/CoreEngine.h"
#include "engine/GLApplication.h"
#include "engine/InputState.h"
#include "support/GLContext.h"

using namespace zel;

namespace {

// Appends an entry to a comma-separated log.
void note(std::string& log, const std::string& entry) {
    log += (log.empty() ? "" : ", ") + entry;
}

// The program's application with its handlers logged after they have done their work (mouse buttons
// only set a flag nothing reads, so they are dispatched but not logged).
class LoggingApplication : public GLApplication {
public:
    explicit LoggingApplication(std::string& log) : GLApplication("World Of Ulmera"), log_(log) {}

    void onInit() override {
        GLApplication::onInit();
        note(log_, "init");
    }
    void onResize(int w, int h) override {
        GLApplication::onResize(w, h);
        note(log_, "resize " + std::to_string(w) + "x" + std::to_string(h));
        glGetFloatv(GL_PROJECTION_MATRIX, projectionAfterResize);
    }
    void onKeyDown(int key) override {
        GLApplication::onKeyDown(key);
        note(log_, "down " + std::to_string(key));
    }
    void onFrame() override {
        GLApplication::onFrame();
        note(log_, "frame");
        if (++frames > 1000)
            stop(); // a loop that failed to stop must not hang the test
    }

    float projectionAfterResize[16] = {};
    int frames = 0;

private:
    std::string& log_;
};

// A root that logs its start and its end.
class LoggingRoot : public IRenderableObject {
public:
    explicit LoggingRoot(std::string& log) : log_(log) {}
    ~LoggingRoot() override { note(log_, "root gone"); }
    bool init() override {
        note(log_, "root init");
        return true;
    }
    void render() override {}
    void update(std::uint32_t) override {}

private:
    std::string& log_;
};

// An event of the type with its key or button, or its new size.
SDL_Event event(Uint8 type, int keyOrButton = 0, int w = 0, int h = 0) {
    SDL_Event e{};
    e.type = type;
    if (type == SDL_KEYDOWN || type == SDL_KEYUP) {
        e.key.keysym.sym = static_cast<SDLKey>(keyOrButton);
    } else if (type == SDL_VIDEORESIZE) {
        e.resize.w = w;
        e.resize.h = h;
    } else {
        e.button.button = static_cast<Uint8>(keyOrButton);
    }
    return e;
}

// Each run opens the program's window with a fresh engine and runs the real
// loop; run() ends with SDL_Quit, so the shared test context is re-created
// afterwards for the other tests of this program.
class EventLoopTest : public ::testing::Test {
protected:
    // An X server may reset itself when its last client disconnects (SDL_Quit
    // closes SDL's connection) and refuse connections meanwhile. This one stays
    // open; Xlib is reached through the loader since the tests do not link it.
    static void SetUpTestSuite() {
        static void* keepServerUp = [] {
            using OpenDisplay = void* (*)(const char*);
            void* xlib = dlopen("libX11.so.6", RTLD_NOW | RTLD_GLOBAL);
            auto open = xlib ? reinterpret_cast<OpenDisplay>(dlsym(xlib, "XOpenDisplay")) : nullptr;
            return open ? open(nullptr) : nullptr;
        }();
        (void)keepServerUp;
    }

    // A fresh engine and window with the logging root.
    void open() {
        app.reset();
        CoreEngine::instance().reset();
        InputState::instance().releaseAll();
        log.clear();
        app = std::make_unique<LoggingApplication>(log);
        ASSERT_TRUE(app->isWindowCreated()) << SDL_GetError();
        ASSERT_NE(app->getScreen(), nullptr);
        zeltest::keepLoadedLibraries();
        CoreEngine::instance().setRoot(std::make_unique<LoggingRoot>(log));
        // Drop whatever the window system queued on its own (expose, focus).
        SDL_Event ignored;
        while (SDL_PollEvent(&ignored)) {
        }
    }

    void TearDown() override {
        app.reset();
        CoreEngine::instance().reset();
        InputState::instance().releaseAll();
        if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
            ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER), 0) << SDL_GetError();
            SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
            SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
            ASSERT_NE(SDL_SetVideoMode(800, 600, 24, SDL_OPENGL), nullptr) << SDL_GetError();
        }
        std::string error;
        EXPECT_TRUE(zeltest::ensureGLContext(&error)) << error;
    }

    std::string log;
    std::unique_ptr<LoggingApplication> app;
};

} // namespace

// Each run: every queued event is handled, then one frame is drawn, then the scene goes before SDL.
TEST_F(EventLoopTest, QueuedEventsAreAllHandledBeforeOneFrameThenTheSceneGoesBeforeSDL) {
    const struct {
        std::vector<SDL_Event> events;
        std::string log;
        std::vector<InputState::Binding> held;
        int earlyInits = 0; // onInit calls before the loop's own
    } runs[] = {
        // A quit before a key in the same pass: the key is still handled.
        {{event(SDL_KEYDOWN, SDLK_w), event(SDL_KEYUP, SDLK_w), event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT),
          event(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT), event(SDL_QUIT), event(SDL_KEYDOWN, SDLK_d)},
         "root init, init, down 119, down 100, frame, root gone",
         {InputState::STRAFE_RIGHT}},
        // Escape ends the loop after the pass, even with keys held.
        {{event(SDL_KEYDOWN, SDLK_w), event(SDL_KEYDOWN, SDLK_ESCAPE), event(SDL_KEYDOWN, SDLK_a)},
         "root init, init, down 119, down 27, down 97, frame, root gone",
         {InputState::FORWARD, InputState::STRAFE_LEFT}},
        // The root is initialised once however often onInit runs.
        {{event(SDL_QUIT)}, "root init, init, init, init, frame, root gone", {}, 2},
        // Height 0 keeps the aspect ratio finite (the checks follow the loop).
        {{event(SDL_VIDEORESIZE, 0, 640, 0), event(SDL_QUIT)},
         "root init, init, resize 640x0, frame, root gone",
         {}},
    };
    for (const auto& r : runs) {
        ASSERT_NO_FATAL_FAILURE(open());
        // An OpenGL window that can be resized, so that resize events arrive.
        EXPECT_EQ(app->getVideoFlags() & (SDL_OPENGL | SDL_RESIZABLE), Uint32{SDL_OPENGL | SDL_RESIZABLE});
        for (int i = 0; i < r.earlyInits; ++i)
            app->onInit();
        EXPECT_EQ(CoreEngine::instance().isRunning(), r.earlyInits > 0);
        for (SDL_Event e : r.events)
            ASSERT_EQ(SDL_PushEvent(&e), 0);
        app->run(); // until it ends
        EXPECT_EQ(log, r.log);
        for (int b = 0; b < InputState::BINDING_COUNT; ++b) {
            const bool held = std::count(r.held.begin(), r.held.end(), b) > 0;
            EXPECT_EQ(InputState::instance().isHeld(static_cast<InputState::Binding>(b)), held) << b;
        }
        EXPECT_FALSE(InputState::instance().isMouseButtonHeld()); // released in the first run
        EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
    }
    EXPECT_EQ(CoreEngine::instance().getWidth() * 1000 + CoreEngine::instance().getHeight(), 640001);
    EXPECT_NEAR(app->projectionAfterResize[5] / app->projectionAfterResize[0], 640.0f, 1e-2f);
    EXPECT_EQ(app->getHeight(), 600); // the application's own size is unchanged
}
