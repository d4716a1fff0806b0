// The program's real event loop on its own window: what the window is, the
// order in which queued events, the frame and the shutdown happen, and resizes.
#include <GL/glew.h>
#include <SDL/SDL.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "engine/CoreEngine.h"
#include "engine/GLApplication.h"
#include "engine/InputState.h"
#include "support/GLContext.h"

// After gtest: Xlib's macros (Bool, Status, None) must not reach its headers.
#include <GL/glx.h>

using namespace zel;

namespace {

// The program's application with every handler logged before it does its work.
class LoggingApplication : public GLApplication {
public:
    explicit LoggingApplication(std::vector<std::string>& log) : GLApplication("World Of Ulmera"), log_(log) {}

    void onInit() override { log_.push_back("init"), GLApplication::onInit(); }
    void onResize(int w, int h) override {
        log_.push_back("resize " + std::to_string(w) + "x" + std::to_string(h));
        GLApplication::onResize(w, h);
        glGetFloatv(GL_PROJECTION_MATRIX, projectionAfterResize);
    }
    void onKeyDown(int key) override { log_.push_back("down " + std::to_string(key)), GLApplication::onKeyDown(key); }
    void onKeyUp(int key) override { log_.push_back("up " + std::to_string(key)), GLApplication::onKeyUp(key); }
    void onMouseButtonDown(std::uint8_t button, std::uint16_t x, std::uint16_t y) override {
        log_.push_back("press " + std::to_string(button) + " " + std::to_string(x) + "," + std::to_string(y));
        GLApplication::onMouseButtonDown(button, x, y);
    }
    void onMouseButtonUp(std::uint8_t button, std::uint16_t x, std::uint16_t y) override {
        log_.push_back("release " + std::to_string(button));
        GLApplication::onMouseButtonUp(button, x, y);
        mouseHeldAfterRelease = InputState::instance().isMouseButtonHeld();
    }
    void onFrame() override {
        log_.push_back("frame");
        GLApplication::onFrame();
        if (++frames > 1000) stop(); // a loop that failed to stop must not hang the test
    }

    float projectionAfterResize[16] = {};
    bool mouseHeldAfterRelease = true;
    int frames = 0;

private:
    std::vector<std::string>& log_;
};

class CountingRoot : public IRenderableObject {
public:
    CountingRoot(int& inits, int& deletes) : inits_(inits), deletes_(deletes) {}
    ~CountingRoot() override { ++deletes_; }
    bool init() override { return ++inits_ > 0; }
    void render() override {}
    void update(std::uint32_t) override {}

private:
    int& inits_;
    int& deletes_;
};

SDL_Event key(Uint8 type, SDLKey sym) {
    SDL_Event event{};
    event.key.type = type;
    event.key.keysym.sym = sym;
    return event;
}

SDL_Event button(Uint8 type, Uint8 which, Uint16 x, Uint16 y) {
    SDL_Event event{};
    event.button.type = type;
    event.button.button = which;
    event.button.x = x;
    event.button.y = y;
    return event;
}

SDL_Event quit() {
    SDL_Event event{};
    event.type = SDL_QUIT;
    return event;
}

std::string down(int sym) { return "down " + std::to_string(sym); }

// Each test opens the program's window with a fresh engine and runs the real
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

    void SetUp() override {
        CoreEngine::instance().reset();
        InputState::instance().releaseAll();
        app = std::make_unique<LoggingApplication>(log);
        ASSERT_TRUE(app->isWindowCreated()) << SDL_GetError();
        zeltest::keepLoadedLibraries();
        CoreEngine::instance().setRoot(std::make_unique<CountingRoot>(inits, deletes));
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

    // Queues the events and runs the loop until it ends.
    void run(std::vector<SDL_Event> events) {
        for (SDL_Event& event : events) ASSERT_EQ(SDL_PushEvent(&event), 0);
        app->run();
    }

    std::vector<std::string> log;
    std::unique_ptr<LoggingApplication> app;
    int inits = 0;
    int deletes = 0;
};

} // namespace

TEST_F(EventLoopTest, WindowIsCreatedAsTheProgramNeedsIt) {
    ASSERT_NE(app->getScreen(), nullptr);
    EXPECT_EQ(app->getScreen()->w * 1000 + app->getScreen()->h, 800600);
    EXPECT_EQ(app->getVideoFlags() & 0xF000001Au, 0xF000001Au);
    char* title = nullptr;
    char* icon = nullptr;
    SDL_WM_GetCaption(&title, &icon);
    EXPECT_STREQ(title, "World Of Ulmera");
    EXPECT_STREQ(icon, "World Of Ulmera");
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    EXPECT_EQ(SDL_WM_GrabInput(SDL_GRAB_QUERY), SDL_GRAB_ON);
    GLint depthBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    EXPECT_GE(depthBits, 24);
    EXPECT_EQ(CoreEngine::instance().getApplication(), app.get());
    EXPECT_FALSE(CoreEngine::instance().isRunning());

    // Vertical sync is off wherever GLX offers a swap-control extension.
    Display* display = glXGetCurrentDisplay();
    const std::string extensions = std::string(glXQueryExtensionsString(display, DefaultScreen(display))) + " ";
    if (extensions.find("GLX_EXT_swap_control ") != std::string::npos) {
        unsigned int interval = 99;
        glXQueryDrawable(display, glXGetCurrentDrawable(), GLX_SWAP_INTERVAL_EXT, &interval);
        EXPECT_EQ(interval, 0u);
    } else if (extensions.find("GLX_MESA_swap_control ") != std::string::npos) {
        auto getInterval = reinterpret_cast<int (*)()>(
            glXGetProcAddress(reinterpret_cast<const GLubyte*>("glXGetSwapIntervalMESA")));
        ASSERT_NE(getInterval, nullptr);
        EXPECT_EQ(getInterval(), 0);
    } else {
        EXPECT_EQ(SDLApplication::initSwapControl(), extensions.find("GLX_SGI_swap_control ") != std::string::npos);
    }
}

TEST_F(EventLoopTest, QueuedEventsAreAllHandledBeforeTheFrameThenTheSceneGoesBeforeSDL) {
    run({key(SDL_KEYDOWN, SDLK_w), key(SDL_KEYUP, SDLK_w), button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 12, 34),
         button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 12, 34), key(SDL_KEYDOWN, SDLK_d), quit()});
    EXPECT_EQ(log, (std::vector<std::string>{"init", down(SDLK_w), "up " + std::to_string(SDLK_w), "press 1 12,34",
                                             "release 1", down(SDLK_d), "frame"}));
    EXPECT_FALSE(app->mouseHeldAfterRelease);
    EXPECT_TRUE(InputState::instance().isHeld(InputState::STRAFE_RIGHT));
    EXPECT_FALSE(InputState::instance().isHeld(InputState::FORWARD));
    EXPECT_EQ(inits * 10 + deletes, 11);
    EXPECT_EQ(CoreEngine::instance().getRoot(), nullptr);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
}

TEST_F(EventLoopTest, QuitAndKeyInOnePassStillHandleTheKeyAndDrawOneFrame) {
    run({quit(), key(SDL_KEYDOWN, SDLK_x)});
    EXPECT_EQ(log, (std::vector<std::string>{"init", down(SDLK_x), "frame"}));
    EXPECT_TRUE(InputState::instance().isHeld(InputState::UP));
}

TEST_F(EventLoopTest, EscapeEndsTheLoopAfterThePassEvenWithKeysHeld) {
    run({key(SDL_KEYDOWN, SDLK_w), key(SDL_KEYDOWN, SDLK_ESCAPE), key(SDL_KEYDOWN, SDLK_a)});
    EXPECT_EQ(log, (std::vector<std::string>{"init", down(SDLK_w), down(SDLK_ESCAPE), down(SDLK_a), "frame"}));
    EXPECT_TRUE(InputState::instance().isHeld(InputState::FORWARD));
}

TEST_F(EventLoopTest, ResizeToHeightZeroKeepsTheAspectRatioFinite) {
    SDL_Event resize{};
    resize.resize.type = SDL_VIDEORESIZE;
    resize.resize.w = 640;
    resize.resize.h = 0;
    run({resize, quit()});
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[1], "resize 640x0");
    EXPECT_EQ(CoreEngine::instance().getWidth() * 1000 + CoreEngine::instance().getHeight(), 640001);
    for (float v : app->projectionAfterResize) EXPECT_TRUE(std::isfinite(v));
    EXPECT_NEAR(app->projectionAfterResize[5] / app->projectionAfterResize[0], 640.0f, 1e-2f);
    EXPECT_EQ(app->getHeight(), 600); // the application's own size is unchanged
}

TEST_F(EventLoopTest, InitTwiceInitialisesTheRootOnce) {
    app->onInit();
    app->onInit();
    EXPECT_EQ(inits, 1);
    EXPECT_TRUE(CoreEngine::instance().isRunning());
    run({quit()}); // the loop's own onInit does nothing more either
    EXPECT_EQ(inits, 1);
}
