#include <GL/glew.h>
#include <SDL/SDL.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
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

    void onInit() override {
        log_.push_back("init");
        GLApplication::onInit();
    }
    void onResize(int w, int h) override {
        log_.push_back("resize " + std::to_string(w) + "x" + std::to_string(h));
        GLApplication::onResize(w, h);
        glGetFloatv(GL_PROJECTION_MATRIX, projectionAfterResize);
    }
    void onKeyDown(int key) override {
        log_.push_back("down " + std::to_string(key));
        GLApplication::onKeyDown(key);
    }
    void onKeyUp(int key) override {
        log_.push_back("up " + std::to_string(key));
        GLApplication::onKeyUp(key);
    }
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
        // A loop that failed to stop would never end the test.
        if (++frames > 1000) stop();
    }

    float projectionAfterResize[16] = {};
    bool mouseHeldAfterRelease = true;
    int frames = 0;

private:
    std::vector<std::string>& log_;
};

class CountingRoot : public IRenderableObject {
public:
    explicit CountingRoot(int& inits, int& deletes) : inits_(inits), deletes_(deletes) {}
    ~CountingRoot() override { ++deletes_; }
    bool init() override {
        ++inits_;
        return true;
    }
    void render() override {}
    void update(std::uint32_t) override {}

private:
    int& inits_;
    int& deletes_;
};

void pushKey(Uint8 type, SDLKey key) {
    SDL_Event event{};
    event.type = type;
    event.key.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    ASSERT_EQ(SDL_PushEvent(&event), 0);
}

void pushButton(Uint8 type, Uint8 button, Uint16 x, Uint16 y) {
    SDL_Event event{};
    event.type = type;
    event.button.type = type;
    event.button.button = button;
    event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.button.x = x;
    event.button.y = y;
    ASSERT_EQ(SDL_PushEvent(&event), 0);
}

void pushQuit() {
    SDL_Event event{};
    event.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&event), 0);
}

void pushResize(int w, int h) {
    SDL_Event event{};
    event.type = SDL_VIDEORESIZE;
    event.resize.w = w;
    event.resize.h = h;
    ASSERT_EQ(SDL_PushEvent(&event), 0);
}

std::string key(int code) { return std::to_string(code); }

// Each test opens the program's window with a fresh engine and runs the real
// loop; run() ends with SDL_Quit, so the shared test context is re-created
// afterwards for the other tests of this program.
class EventLoopTest : public ::testing::Test {
protected:
    // An X server may reset itself when its last client disconnects, refusing
    // connections meanwhile; run() ends with SDL_Quit, which closes SDL's
    // connection. This one stays open for the whole test program.
    // Xlib is reached through the loader since the tests do not link it.
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
        CoreEngine::instance().setRoot(std::make_unique<CountingRoot>(inits, deletes));
        // Drop whatever the window system queued on its own (expose, focus).
        SDL_PumpEvents();
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

    std::vector<std::string> log;
    std::unique_ptr<LoggingApplication> app;
    int inits = 0;
    int deletes = 0;
};

} // namespace

TEST_F(EventLoopTest, WindowIsCreatedAsTheProgramNeedsIt) {
    EXPECT_EQ(app->getWidth(), 800);
    EXPECT_EQ(app->getHeight(), 600);
    EXPECT_EQ(app->getDepthBits(), 24);
    EXPECT_TRUE(app->isFullscreen());
    EXPECT_EQ(app->getCaption(), "World Of Ulmera");
    ASSERT_NE(app->getScreen(), nullptr);
    EXPECT_EQ(app->getScreen()->w, 800);
    EXPECT_EQ(app->getScreen()->h, 600);
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
    EXPECT_EQ(CoreEngine::instance().getWidth(), 800);
    EXPECT_FALSE(CoreEngine::instance().isRunning());
}

TEST_F(EventLoopTest, VerticalSyncIsSwitchedOffWhereGLXOffersSwapControl) {
    Display* display = glXGetCurrentDisplay();
    ASSERT_NE(display, nullptr);
    const std::string extensions = glXQueryExtensionsString(display, DefaultScreen(display));
    const bool ext = extensions.find("GLX_EXT_swap_control ") != std::string::npos;
    const bool mesa = extensions.find("GLX_MESA_swap_control ") != std::string::npos;
    const bool sgi = extensions.find("GLX_SGI_swap_control") != std::string::npos;
    EXPECT_EQ(SDLApplication::initSwapControl(), ext || mesa || sgi);
    if (ext) {
        unsigned int interval = 99;
        glXQueryDrawable(display, glXGetCurrentDrawable(), GLX_SWAP_INTERVAL_EXT, &interval);
        EXPECT_EQ(interval, 0u);
    }
    if (mesa) {
        using GetInterval = int (*)();
        auto getInterval = reinterpret_cast<GetInterval>(
            glXGetProcAddress(reinterpret_cast<const GLubyte*>("glXGetSwapIntervalMESA")));
        ASSERT_NE(getInterval, nullptr);
        EXPECT_EQ(getInterval(), 0);
    }
    if (!ext && !mesa) GTEST_SKIP() << "no swap control extension: " << extensions;
}

TEST(EventLoopWithoutWindowTest, RunReturnsAtOnceWithoutAWindow) {
    class Bare : public SDLApplication {
    public:
        void onInit() override { ++calls; }
        void onResize(int, int) override { ++calls; }
        void onKeyDown(int) override { ++calls; }
        void onKeyUp(int) override { ++calls; }
        void onMouseButtonDown(std::uint8_t, std::uint16_t, std::uint16_t) override { ++calls; }
        void onMouseButtonUp(std::uint8_t, std::uint16_t, std::uint16_t) override { ++calls; }
        void onFrame() override { ++calls; }
        int calls = 0;
    } bare;
    bare.run();
    EXPECT_EQ(bare.calls, 0);
    EXPECT_FALSE(bare.isRunning());
    EXPECT_EQ(bare.getScreen(), nullptr);
}

TEST_F(EventLoopTest, QueuedEventsAreAllHandledBeforeTheFrame) {
    pushKey(SDL_KEYDOWN, SDLK_w);
    pushKey(SDL_KEYUP, SDLK_w);
    pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 12, 34);
    pushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 12, 34);
    pushKey(SDL_KEYDOWN, SDLK_d);
    pushQuit();
    app->run();

    const std::vector<std::string> expected = {
        "init", "down " + key(SDLK_w), "up " + key(SDLK_w), "press 1 12,34", "release 1", "down " + key(SDLK_d), "frame"};
    EXPECT_EQ(log, expected);
    EXPECT_FALSE(app->mouseHeldAfterRelease);
    EXPECT_TRUE(InputState::instance().isHeld(InputState::STRAFE_RIGHT));
    EXPECT_FALSE(InputState::instance().isHeld(InputState::FORWARD));
    EXPECT_EQ(inits, 1);
    EXPECT_TRUE(CoreEngine::instance().isRunning());
    EXPECT_FALSE(app->isRunning());
    // The loop tore the scene down before shutting SDL down.
    EXPECT_EQ(deletes, 1);
    EXPECT_EQ(CoreEngine::instance().getRoot(), nullptr);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
}

TEST_F(EventLoopTest, QuitAndKeyInOnePassStillHandleTheKeyAndDrawOneFrame) {
    pushQuit();
    pushKey(SDL_KEYDOWN, SDLK_x);
    app->run();
    const std::vector<std::string> expected = {"init", "down " + key(SDLK_x), "frame"};
    EXPECT_EQ(log, expected);
    EXPECT_TRUE(InputState::instance().isHeld(InputState::UP));
}

TEST_F(EventLoopTest, EscapeEndsTheLoopAfterThePassEvenWithKeysHeld) {
    pushKey(SDL_KEYDOWN, SDLK_w);
    pushKey(SDL_KEYDOWN, SDLK_ESCAPE);
    pushKey(SDL_KEYDOWN, SDLK_a);
    app->run();
    const std::vector<std::string> expected = {"init", "down " + key(SDLK_w), "down " + key(SDLK_ESCAPE),
                                               "down " + key(SDLK_a), "frame"};
    EXPECT_EQ(log, expected);
    EXPECT_TRUE(InputState::instance().isHeld(InputState::FORWARD));
    EXPECT_TRUE(InputState::instance().isHeld(InputState::STRAFE_LEFT));
}

TEST_F(EventLoopTest, ResizeToHeightZeroKeepsTheAspectRatioFinite) {
    pushResize(640, 0);
    pushQuit();
    app->run();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[1], "resize 640x0");
    EXPECT_EQ(CoreEngine::instance().getWidth(), 640);
    EXPECT_EQ(CoreEngine::instance().getHeight(), 1);
    for (float v : app->projectionAfterResize) EXPECT_TRUE(std::isfinite(v));
    EXPECT_NEAR(app->projectionAfterResize[5] / app->projectionAfterResize[0], 640.0f, 1e-2f);
    // The application's own size is the created one.
    EXPECT_EQ(app->getWidth(), 800);
    EXPECT_EQ(app->getHeight(), 600);
}

TEST_F(EventLoopTest, InitTwiceInitialisesTheRootOnce) {
    app->onInit();
    app->onInit();
    EXPECT_EQ(inits, 1);
    EXPECT_TRUE(CoreEngine::instance().isRunning());
    // The loop's own onInit does nothing more either.
    pushQuit();
    app->run();
    EXPECT_EQ(inits, 1);
}

TEST_F(EventLoopTest, LoopKeepsDrawingUntilQuit) {
    // Frames run while the queue is empty; a quit pushed from a frame ends it.
    class QuitAfterFrames : public IRenderableObject {
    public:
        bool init() override { return true; }
        void render() override {
            if (++frames == 5) pushQuit();
        }
        void update(std::uint32_t) override {}
        int frames = 0;
    };
    CoreEngine::instance().setRoot(std::make_unique<QuitAfterFrames>());
    app->run();
    EXPECT_EQ(app->frames, 6);
    EXPECT_EQ(std::count(log.begin(), log.end(), "frame"), 6);
}
