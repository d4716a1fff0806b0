#include "engine/GLApplication.h"

#include <GL/glew.h>

#include <cstdio>

#include "engine/CoreEngine.h"
#include "engine/InputState.h"

namespace zel {

GLApplication::GLApplication(const std::string& caption) {
    windowCreated_ = create(caption);
    if (windowCreated_) {
        glewInit();
        CoreEngine::instance().initGL(this);
    } else {
        printf("Could not create the window.");
    }
}

void GLApplication::onInit() {
    CoreEngine::instance().start();
}

void GLApplication::onResize(int width, int height) {
    // Keeps the aspect ratio finite.
    if (height == 0)
        height = 1;
    CoreEngine& engine = CoreEngine::instance();
    engine.setViewport(width, height);
    engine.setupProjection();
}

void GLApplication::onKeyDown(int key) {
    InputState::instance().keyDown(key);
}

void GLApplication::onKeyUp(int key) {
    InputState::instance().keyUp(key);
}

void GLApplication::onMouseButtonDown(std::uint8_t, std::uint16_t, std::uint16_t) {
    InputState::instance().setMouseButtonHeld(true);
}

void GLApplication::onMouseButtonUp(std::uint8_t, std::uint16_t, std::uint16_t) {
    InputState::instance().setMouseButtonHeld(false);
}

void GLApplication::onFrame() {
    CoreEngine::instance().renderFrame();
}

void GLApplication::onShutdown() {
    CoreEngine::instance().shutdown();
}

} // namespace zel
