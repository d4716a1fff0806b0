#pragma once
// A real OpenGL context for tests: an 800 x 600 SDL window with a GL context on
// the X display that the test script provides (Xvfb with Mesa's llvmpipe when no
// display is set), with GLEW initialised. One context per test process.

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <string>

namespace zeltest {

// Creates the window and context on first call; later calls return at once.
// Returns false (and the reason in *error) when no context can be made.
bool ensureGLContext(std::string* error = nullptr);

// Base for tests that need GL: makes the context before the suite and checks
// that each test leaves no GL error behind.
class GLTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;
};

// Reads an RGBA pixel from the back buffer (window coordinates, origin bottom-left).
struct Pixel {
    unsigned char r, g, b, a;
};
Pixel readPixel(int x, int y);

// A fresh, empty folder under the test build tree for files a test writes.
std::string scratchDir(const std::string& name);

// Writes text to dir/name (binary) and returns the path.
std::string writeFile(const std::string& dir, const std::string& name, const std::string& text);

// The whole file as bytes; empty when it cannot be read.
std::string readFile(const std::string& path);

// Runs fn with standard output captured; returns what it printed.
template <typename Fn>
std::string captureStdout(Fn&& fn) {
    fflush(stdout);
    ::testing::internal::CaptureStdout();
    fn();
    fflush(stdout);
    return ::testing::internal::GetCapturedStdout();
}

} // namespace zeltest
