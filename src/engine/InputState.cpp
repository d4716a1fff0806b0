#include "engine/InputState.h"

#include <SDL/SDL.h>

#include "engine/Camera.h"
#include "engine/CoreEngine.h"
#include "engine/SDLApplication.h"
#include "scene/World.h"

#include <cstdlib>

namespace zel {

InputState& InputState::instance() {
    static InputState state;
    return state;
}

InputState::InputState() {
    bindings_[FORWARD] = {SDLK_w, Camera::FORWARD, false};
    bindings_[BACKWARD] = {SDLK_s, Camera::BACKWARD, false};
    bindings_[TURN_LEFT] = {SDLK_LEFT, Camera::TURN_LEFT, false};
    bindings_[TURN_RIGHT] = {SDLK_RIGHT, Camera::TURN_RIGHT, false};
    bindings_[STRAFE_LEFT] = {SDLK_a, Camera::STRAFE_LEFT, false};
    bindings_[STRAFE_RIGHT] = {SDLK_d, Camera::STRAFE_RIGHT, false};
    bindings_[UP] = {SDLK_x, Camera::UP, false};
    bindings_[DOWN] = {SDLK_c, Camera::DOWN, false};
}

void InputState::keyDown(int key) {
    for (KeyBinding& b : bindings_) {
        if (b.key == key)
            b.held = true;
    }
    if (key == SDLK_ESCAPE) {
        SDLApplication* application = CoreEngine::instance().getApplication();
        if (application)
            application->stop();
    }
}

void InputState::keyUp(int key) {
    for (KeyBinding& b : bindings_) {
        if (b.key == key)
            b.held = false;
    }
}

void InputState::releaseAll() {
    for (KeyBinding& b : bindings_)
        b.held = false;
    mouseButtonHeld_ = false;
}

void InputState::applyHeldKeys() {
    World* world = World::current();
    if (!world)
        return;
    for (const KeyBinding& b : bindings_) {
        if (!b.held)
            continue;
        const bool turning = b.command == Camera::TURN_LEFT || b.command == Camera::TURN_RIGHT;
        world->cameraCommand(turning ? Camera::KEY_STEP : 0, b.command);
    }
}

void InputState::mouseMoved(int x, int y) {
    World* world = World::current();
    if (!world)
        return;
    const CoreEngine& engine = CoreEngine::instance();
    const int cx = engine.getWidth() / 2;
    const int cy = engine.getHeight() / 2;
    const int dx = std::abs(cx - x);
    if (x < cx) {
        world->cameraCommand(dx, Camera::TURN_LEFT);
    } else if (x > cx) {
        world->cameraCommand(dx, Camera::TURN_RIGHT);
    }
    const int dy = std::abs(cy - y);
    if (y < cy) {
        world->cameraCommand(dy, Camera::LOOK_UP);
    } else if (y > cy) {
        world->cameraCommand(dy, Camera::LOOK_DOWN);
    }
}

} // namespace zel
