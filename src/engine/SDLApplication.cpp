#include "engine/SDLApplication.h"

#include <GL/glew.h>
#include <GL/glx.h>

#include <cstdlib>
#include <cstring>

#include "engine/HeapTuning.h"

namespace zel {

namespace {

// The swap-interval entry points, looked up once per process.
using SwapIntervalEXT = void (*)(Display*, GLXDrawable, int);
using SwapIntervalMESA = int (*)(unsigned int);
using SwapIntervalSGI = int (*)(int);
SwapIntervalEXT swapIntervalEXT = nullptr;
SwapIntervalMESA swapIntervalMESA = nullptr;
SwapIntervalSGI swapIntervalSGI = nullptr;

// True when the space-separated extension list names exactly this extension.
bool listsExtension(const char* list, const char* name) {
    if (!list)
        return false;
    const std::size_t length = std::strlen(name);
    for (const char* p = std::strstr(list, name); p; p = std::strstr(p + 1, name)) {
        const bool startsWord = p == list || p[-1] == ' ';
        const bool endsWord = p[length] == ' ' || p[length] == '\0';
        if (startsWord && endsWord)
            return true;
    }
    return false;
}

template <typename Fn> Fn lookUp(const char* name) {
    return reinterpret_cast<Fn>(glXGetProcAddress(reinterpret_cast<const GLubyte*>(name)));
}

} // namespace

SDLApplication::~SDLApplication() {
    width_ = 0;
    height_ = 0;
    depthBits_ = 0;
    fullscreen_ = false;
    videoFlags_ = 0;
    screen_ = nullptr;
    caption_.clear();
}

bool SDLApplication::create(const std::string& caption) {
    width_ = 800;
    height_ = 600;
    depthBits_ = 24;
    fullscreen_ = true;
    caption_ = caption;
    screen_ = nullptr;
    videoFlags_ = 0;
    running_ = false;

    // Without an X display SDL 1.2 would fall back to its text-mode drivers
    // (aalib, libcaca), which take over the terminal. Only X11 is wanted here.
    setenv("SDL_VIDEODRIVER", "x11", 0);
    tuneHeapForLoading();
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO) < 0)
        return false;

    videoFlags_ = SDL_OPENGLBLIT | SDL_RESIZABLE | SDL_ANYFORMAT | SDL_HWPALETTE | SDL_DOUBLEBUF;
    if (fullscreen_)
        videoFlags_ |= SDL_FULLSCREEN;

    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    if (!info)
        return false;
    if (info->hw_available)
        videoFlags_ |= SDL_HWSURFACE;
    if (info->blit_hw)
        videoFlags_ |= SDL_HWACCEL;

    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depthBits_);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_RED_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_GREEN_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_BLUE_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_ALPHA_SIZE, 0);

    screen_ = SDL_SetVideoMode(width_, height_, depthBits_, videoFlags_);
    if (!screen_)
        return false;

    // The mouse-look warps the pointer back to the centre after every tick.
    SDL_ShowCursor(SDL_DISABLE);
    SDL_WM_GrabInput(SDL_GRAB_ON);
    SDL_WM_SetCaption(caption_.c_str(), caption_.c_str());

    // The frame rate is not tied to the display refresh.
    if (initSwapControl())
        setSwapInterval(0);
    return true;
}

bool SDLApplication::initSwapControl() {
    Display* display = glXGetCurrentDisplay();
    if (!display)
        return false;
    const char* extensions = glXQueryExtensionsString(display, DefaultScreen(display));
    if (!swapIntervalEXT && listsExtension(extensions, "GLX_EXT_swap_control")) {
        swapIntervalEXT = lookUp<SwapIntervalEXT>("glXSwapIntervalEXT");
    }
    if (!swapIntervalMESA && listsExtension(extensions, "GLX_MESA_swap_control")) {
        swapIntervalMESA = lookUp<SwapIntervalMESA>("glXSwapIntervalMESA");
    }
    if (!swapIntervalSGI && listsExtension(extensions, "GLX_SGI_swap_control")) {
        swapIntervalSGI = lookUp<SwapIntervalSGI>("glXSwapIntervalSGI");
    }
    return swapIntervalEXT || swapIntervalMESA || swapIntervalSGI;
}

bool SDLApplication::setSwapInterval(int interval) {
    if (swapIntervalEXT) {
        Display* display = glXGetCurrentDisplay();
        const GLXDrawable drawable = glXGetCurrentDrawable();
        if (display && drawable) {
            swapIntervalEXT(display, drawable, interval);
            return true;
        }
    }
    if (swapIntervalMESA)
        return swapIntervalMESA(static_cast<unsigned int>(interval)) == 0;
    // The SGI call refuses an interval of 0.
    if (swapIntervalSGI && interval > 0)
        return swapIntervalSGI(interval) == 0;
    return false;
}

bool SDLApplication::dispatch(const SDL_Event& event) {
    switch (event.type) {
    case SDL_KEYDOWN:
        onKeyDown(event.key.keysym.sym);
        break;
    case SDL_KEYUP:
        onKeyUp(event.key.keysym.sym);
        break;
    case SDL_MOUSEBUTTONDOWN:
        onMouseButtonDown(event.button.button, event.button.x, event.button.y);
        break;
    case SDL_MOUSEBUTTONUP:
        onMouseButtonUp(event.button.button, event.button.x, event.button.y);
        break;
    case SDL_QUIT:
        // The remaining events of this pass are still handled.
        running_ = false;
        break;
    case SDL_VIDEORESIZE:
        screen_ = SDL_SetVideoMode(event.resize.w, event.resize.h, depthBits_, videoFlags_);
        onResize(event.resize.w, event.resize.h);
        if (!screen_)
            return false;
        break;
    default:
        // Mouse motion included: the engine polls the pointer on its tick.
        break;
    }
    return true;
}

void SDLApplication::run() {
    if (!screen_)
        return;
    onInit();
    running_ = true;
    bool videoLost = false;
    while (running_ && !videoLost) {
        SDL_Event event;
        // A failed video-mode change ends the loop at once: no further event
        // and no frame, but the same teardown below as a quit, so the scene
        // goes while the GL context and the libraries still exist.
        while (!videoLost && SDL_PollEvent(&event))
            videoLost = !dispatch(event);
        if (!videoLost)
            onFrame();
    }
    running_ = false;
    onShutdown();
    if (screen_)
        SDL_FreeSurface(screen_);
    screen_ = nullptr;
    SDL_ShowCursor(SDL_ENABLE);
    SDL_Quit();
}

} // namespace zel
