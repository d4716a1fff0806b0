#pragma once
// The program's application: an SDLApplication whose handlers drive the engine
// singleton (init, frames, viewport) and the input state (keys, mouse buttons).
// Its constructor creates the window, initialises GLEW and the engine's GL
// state; the entry point reads isWindowCreated() and exits when it is false.

#include <string>

#include "engine/SDLApplication.h"

namespace zel {

class GLApplication : public SDLApplication {
public:
    // Creates the window; on failure prints "Could not create the window."
    // (no line break) and does nothing else.
    explicit GLApplication(const std::string& caption);
    ~GLApplication() override = default;

    bool isWindowCreated() const { return windowCreated_; }

    // Initialises the engine's root once and marks the engine running.
    void onInit() override;
    // Stores the size as the engine's viewport (height 0 becomes 1) and
    // re-establishes the perspective projection.
    void onResize(int width, int height) override;
    void onKeyDown(int key) override;
    void onKeyUp(int key) override;
    void onMouseButtonDown(std::uint8_t button, std::uint16_t x, std::uint16_t y) override;
    void onMouseButtonUp(std::uint8_t button, std::uint16_t x, std::uint16_t y) override;
    // One engine frame (draw, swap, tick when due).
    void onFrame() override;

protected:
    // Tears the scene and the texture registry down while the context exists.
    void onShutdown() override;

private:
    bool windowCreated_ = false;
};

} // namespace zel
