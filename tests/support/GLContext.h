#pragma once
// A real OpenGL context for tests: an 800 x 600 SDL window with a GL context on
// the X display that the test script provides (Xvfb with Mesa's llvmpipe when no
// display is set), with GLEW initialised. One context per test process.

#include <GL/glew.h>
#include <gtest/gtest.h>

#include "math/Vector3.h"

#include <array>
#include <string>

namespace zeltest {

// Creates the window and context on first call; later calls return at once.
// Returns false (and the reason in *error) when no context can be made.
bool ensureGLContext(std::string* error = nullptr);

// Keeps every shared library loaded now loaded until exit, so the leak checker can still name
// the driver code whose allocations outlive SDL_Quit (and its suppressions match).
void keepLoadedLibraries();

// Base for tests that need GL: makes the context and checks that each test leaves no GL error behind.
class GLTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

// Reads an RGBA pixel from the back buffer (window coordinates, origin bottom-left).
struct Pixel {
    unsigned char r, g, b, a;
};
Pixel readPixel(int x, int y);
inline bool isBlack(const Pixel& p) {
    return p.r == 0 && p.g == 0 && p.b == 0;
}
inline bool isWhite(const Pixel& p) {
    return p.r == 255 && p.g == 255 && p.b == 255;
}
inline int brightness(const Pixel& p) {
    return p.r + p.g + p.b;
}
// Expects the colour channels of the pixel at (x, y) within tolerance of (r, g, b).
void expectPixel(int x, int y, int r, int g, int b, int tolerance = 2);

// The whole 800 x 600 window as viewport, the projection glOrtho(left, right,
// bottom, top, -1, 1), an identity model-view matrix and depth testing off.
void orthoView(double left, double right, double bottom, double top);
// The same with the projection gluPerspective(fovY, 800 / 600, zNear, zFar).
void perspectiveView(double fovY, double zNear, double zFar);
// A black frame under a view where one unit is one pixel, origin at the
// bottom-left corner (orthoView over the window), with blending and the alpha
// test off and the colour opaque white.
void pixelView();

// A uniform of program read back: floats as floats, a sampler's unit as the
// first element; elements the uniform lacks stay -7. A name the program does
// not use fails the test.
std::array<float, 4> uniformValue(GLhandleARB program, const char* name, bool sampler = false);

// Expects each coordinate of actual within tolerance of expected.
void expectNear(const zel::Vector3& actual, const zel::Vector3& expected, float tolerance = 1e-5f);

// Steps a clock that starts at 0 with advance(time) until it restarts at 0, or
// max steps have been taken. Returns the steps; *last is the value before the
// restart.
template <typename Advance> long stepsUntilRestart(Advance advance, long max, float* last) {
    float time = 0.0f;
    long steps = 0;
    do {
        *last = time;
        time = advance(time);
        ++steps;
    } while (time != 0.0f && steps < max);
    return steps;
}

// A fresh, empty folder under the test build tree for files a test writes.
std::string scratchDir(const std::string& name);

// Writes text to dir/name (binary) and returns the path.
std::string writeFile(const std::string& dir, const std::string& name, const std::string& text);

// The whole file as bytes; empty when it cannot be read.
std::string readFile(const std::string& path);

// Runs a shell command with its standard output and error captured through files
// in dir; returns the exit status (128 + the signal when a signal ended it).
int runCommand(const std::string& command, std::string& out, std::string& err, const std::string& dir);

// Runs fn with standard output captured; returns what it printed.
template <typename Fn> std::string captureStdout(Fn&& fn) {
    fflush(stdout);
    ::testing::internal::CaptureStdout();
    fn();
    fflush(stdout);
    return ::testing::internal::GetCapturedStdout();
}

// Runs fn with standard error captured; returns what it printed.
template <typename Fn> std::string captureStderr(Fn&& fn) {
    fflush(stderr);
    ::testing::internal::CaptureStderr();
    fn();
    fflush(stderr);
    return ::testing::internal::GetCapturedStderr();
}

} // namespace zeltest
