#pragma once
// The SDL window with an OpenGL context and its event loop. create() opens the
// 800 x 600 full-screen window; run() drains pending events into the virtual
// handlers and draws one frame (onFrame) whenever the queue is empty, until a
// quit event or stop() ends the loop, and then shuts SDL down. GLApplication
// fills the handlers in; the entry point creates one and calls run().

#include <SDL/SDL.h>

#include <cstdint>
#include <string>

namespace zel {

class SDLApplication {
public:
    SDLApplication() = default;
    // Clears the fields; makes no SDL call (SDL was shut down at the end of run()).
    virtual ~SDLApplication();
    SDLApplication(const SDLApplication&) = delete;
    SDLApplication& operator=(const SDLApplication&) = delete;

    virtual void onInit() = 0;
    virtual void onResize(int width, int height) = 0;
    virtual void onKeyDown(int key) = 0;
    virtual void onKeyUp(int key) = 0;
    virtual void onMouseButtonDown(std::uint8_t button, std::uint16_t x, std::uint16_t y) = 0;
    virtual void onMouseButtonUp(std::uint8_t button, std::uint16_t x, std::uint16_t y) = 0;
    virtual void onFrame() = 0;

    // Creates the window and its GL context; false when SDL, the video
    // information or the video mode is unavailable (earlier steps are not undone).
    bool create(const std::string& caption);
    // The event loop; returns at once without a window, otherwise when the
    // running flag is cleared (quit event, stop()) or a resize fails.
    void run();
    // Ends the loop after the current pass.
    void stop() { running_ = false; }
    bool isRunning() const { return running_; }

    // Looks up the GLX swap-interval entry point when the GLX extension string
    // lists one; true when one was found.
    static bool initSwapControl();
    // Sets the swap interval with the entry point found by initSwapControl;
    // false when there is none.
    static bool setSwapInterval(int interval);

    int getWidth() const { return width_; }
    int getHeight() const { return height_; }
    int getDepthBits() const { return depthBits_; }
    bool isFullscreen() const { return fullscreen_; }
    const std::string& getCaption() const { return caption_; }
    SDL_Surface* getScreen() const { return screen_; }
    std::uint32_t getVideoFlags() const { return videoFlags_; }

protected:
    // Runs at the end of run(), after the loop and while the GL context is still
    // current, before the window is freed and SDL shut down.
    virtual void onShutdown() {}

    // Dispatches one event to its handler; false when a failed video-mode
    // change means the loop must end at once.
    bool dispatch(const SDL_Event& event);

private:
    int width_ = 0;
    int height_ = 0;
    int depthBits_ = 0;
    bool fullscreen_ = false;
    std::string caption_;
    SDL_Surface* screen_ = nullptr; // owned by SDL
    std::uint32_t videoFlags_ = 0;
    bool running_ = false;
};

} // namespace zel
