#include "engine/CoreEngine.h"

#include <GL/glew.h>
#include <GL/glu.h>
#include <SDL/SDL.h>

#include "engine/HeapTuning.h"
#include "engine/InputState.h"
#include "gui/FontRenderer.h"
#include "resources/TextureDatabase.h"

namespace zel {

CoreEngine& CoreEngine::instance() {
    static CoreEngine engine;
    return engine;
}

CoreEngine::CoreEngine() {
    restoreDefaultHooks();
    lastTick_ = timeSource_();
}

CoreEngine::~CoreEngine() {
    // Normally shutdown() has already torn the scene down while the GL context
    // existed; then there is nothing left to delete here.
    root_.reset();
    // At process exit the registry may already be destroyed; releaseInstance
    // then does nothing.
    TextureDatabase::releaseInstance();
}

void CoreEngine::restoreDefaultHooks() {
    timeSource_ = [] { return static_cast<std::uint32_t>(SDL_GetTicks()); };
    pointerReader_ = [](int& x, int& y) { SDL_GetMouseState(&x, &y); };
    pointerWarper_ = [](int x, int y) { SDL_WarpMouse(static_cast<Uint16>(x), static_cast<Uint16>(y)); };
    bufferSwapper_ = [] { SDL_GL_SwapBuffers(); };
}

void CoreEngine::initGL(SDLApplication* application) {
    application_ = application;
    width_ = DEFAULT_WIDTH;
    height_ = DEFAULT_HEIGHT;
    setupProjection();
    // Faces of both windings are drawn.
    glDisable(GL_CULL_FACE);
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glEnable(GL_POLYGON_SMOOTH);
    // Creates the registry (catalogue and default texture) on first use.
    TextureDatabase::getInstance();
    FontRenderer::instance().init();
}

void CoreEngine::start() {
    if (running_)
        return;
    if (root_)
        root_->init();
    setRunning();
}

void CoreEngine::setupProjection() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const float aspect = static_cast<float>(width_) / static_cast<float>(height_);
    gluPerspective(45.0, aspect, 0.1, 1500.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void CoreEngine::setViewport(int width, int height) {
    width_ = width;
    height_ = height;
}

void CoreEngine::setRoot(std::unique_ptr<IRenderableObject> root) {
    root_ = std::move(root);
}

void CoreEngine::renderFrame(bool swapBuffers) {
    if (running_) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        if (root_)
            root_->render();
        ++frameCount_;
        // Loading is over once the first frame has compiled its shaders.
        if (frameCount_ == 1)
            endHeapLoading();
    }
    if (swapBuffers)
        bufferSwapper_();
    const std::uint32_t now = timeSource_();
    if (now >= lastTick_ + tickInterval_) {
        tick(now - lastTick_);
        int x = 0;
        int y = 0;
        pointerReader_(x, y);
        InputState::instance().mouseMoved(x, y);
        pointerWarper_(width_ / 2, height_ / 2);
        lastTick_ = now;
    }
}

void CoreEngine::tick(std::uint32_t elapsedMs) {
    if (!running_)
        return;
    InputState::instance().applyHeldKeys();
    if (root_)
        root_->update(elapsedMs);
    if (fpsTimer_ >= 1000) {
        fps_ = frameCount_;
        frameCount_ = 0;
        fpsTimer_ = 0;
    }
    fpsTimer_ += elapsedMs;
}

void CoreEngine::shutdown() {
    root_.reset();
    TextureDatabase::releaseInstance();
}

void CoreEngine::setTimeSource(TimeSource source) {
    if (source) {
        timeSource_ = std::move(source);
    } else {
        timeSource_ = [] { return static_cast<std::uint32_t>(SDL_GetTicks()); };
    }
    lastTick_ = timeSource_();
}

void CoreEngine::setPointerReader(PointerReader reader) {
    if (reader) {
        pointerReader_ = std::move(reader);
    } else {
        pointerReader_ = [](int& x, int& y) { SDL_GetMouseState(&x, &y); };
    }
}

void CoreEngine::setPointerWarper(PointerWarper warper) {
    if (warper) {
        pointerWarper_ = std::move(warper);
    } else {
        pointerWarper_ = [](int x, int y) { SDL_WarpMouse(static_cast<Uint16>(x), static_cast<Uint16>(y)); };
    }
}

void CoreEngine::setBufferSwapper(BufferSwapper swapper) {
    if (swapper) {
        bufferSwapper_ = std::move(swapper);
    } else {
        bufferSwapper_ = [] { SDL_GL_SwapBuffers(); };
    }
}

void CoreEngine::reset() {
    root_.reset();
    application_ = nullptr;
    running_ = false;
    frameCount_ = 0;
    fpsTimer_ = 0;
    fps_ = 0;
    restoreDefaultHooks();
    lastTick_ = timeSource_();
}

} // namespace zel
