#pragma once
// The engine singleton. It owns the scene root, holds the viewport size, sets
// up the GL state and the perspective projection, draws one frame per pass of
// the application's event loop and advances the scene on a fixed 15 ms tick
// that is independent of the frame rate. Each tick also applies the held keys
// and the mouse-look and re-centres the pointer; frames are counted over
// one-second windows for the overlay.
//
// The clock, the pointer reading, the pointer warp and the buffer swap go
// through replaceable hooks (SDL by default) so that FrameDriver can run frames
// and ticks on a synthetic clock without a real event loop.

#include <cstdint>
#include <functional>
#include <memory>

#include "engine/IRenderableObject.h"

namespace zel {

class SDLApplication;

class CoreEngine {
public:
    using TimeSource = std::function<std::uint32_t()>;
    using PointerReader = std::function<void(int& x, int& y)>;
    using PointerWarper = std::function<void(int x, int y)>;
    using BufferSwapper = std::function<void()>;

    static constexpr std::uint32_t TICK_INTERVAL_MS = 15;
    static constexpr int DEFAULT_WIDTH = 800;
    static constexpr int DEFAULT_HEIGHT = 600;

    static CoreEngine& instance();

    // Deletes the root (when still set). The texture registry is not touched
    // here: at process exit it has already been destroyed and released its
    // textures itself; the normal path releases it in shutdown().
    virtual ~CoreEngine();

    // Remembers the application, sets the 800 x 600 viewport and the GL state,
    // creates the texture registry and initialises the font renderer. Needs a
    // current GL context.
    void initGL(SDLApplication* application);
    // Perspective projection (45 degrees, width / height, 0.1 to 1500), then an
    // identity model-view matrix.
    void setupProjection();
    // One frame: when running, clear, identity model-view, root render; then
    // swap (unless swapBuffers is false) and run the tick when it is due,
    // followed by the mouse-look and the pointer warp to the centre.
    void renderFrame(bool swapBuffers = true);
    // One fixed update (only when running): held keys, root update, fps window.
    void tick(std::uint32_t elapsedMs);
    // Deletes the scene root, then releases the texture registry. Called at the
    // end of the event loop while the GL context is still current.
    void shutdown();

    SDLApplication* getApplication() const { return application_; }
    int getWidth() const { return width_; }
    int getHeight() const { return height_; }
    // Sets the viewport size used by the projection, the world's passes and
    // the pointer centre.
    void setViewport(int width, int height);
    unsigned getFps() const { return fps_; }
    std::uint32_t getFrameCount() const { return frameCount_; }
    std::uint32_t getFpsTimer() const { return fpsTimer_; }
    std::uint32_t getLastTick() const { return lastTick_; }
    std::uint32_t getTickInterval() const { return tickInterval_; }
    bool isRunning() const { return running_; }
    // Set once by the application's onInit.
    void setRunning() { running_ = true; }
    // What the application's onInit does: the root's init once (when there is
    // a root), then running. Nothing when already running.
    void start();

    IRenderableObject* getRoot() const { return root_.get(); }
    // Takes ownership of the root, deleting any previous one.
    void setRoot(std::unique_ptr<IRenderableObject> root);

    // Replaces the clock read after each frame; lastTick becomes its current
    // value. Null restores SDL_GetTicks.
    void setTimeSource(TimeSource source);
    // Replaces SDL_GetMouseState; null restores it.
    void setPointerReader(PointerReader reader);
    // Replaces SDL_WarpMouse; null restores it.
    void setPointerWarper(PointerWarper warper);
    // Replaces SDL_GL_SwapBuffers; null restores it.
    void setBufferSwapper(BufferSwapper swapper);
    // For harnesses: deletes the root, clears running and the frame counters,
    // forgets the application and restores the SDL hooks, so the next user
    // starts from a freshly constructed engine (GL state is kept).
    void reset();

private:
    CoreEngine();
    CoreEngine(const CoreEngine&) = delete;
    CoreEngine& operator=(const CoreEngine&) = delete;
    void restoreDefaultHooks();

    SDLApplication* application_ = nullptr; // not owned
    int width_ = 0;
    int height_ = 0;
    std::uint32_t tickInterval_ = TICK_INTERVAL_MS;
    std::uint32_t lastTick_ = 0;
    bool running_ = false;
    std::uint32_t frameCount_ = 0;
    std::uint32_t fpsTimer_ = 0;
    std::uint32_t fps_ = 0;
    std::unique_ptr<IRenderableObject> root_;

    TimeSource timeSource_;
    PointerReader pointerReader_;
    PointerWarper pointerWarper_;
    BufferSwapper bufferSwapper_;
};

} // namespace zel
