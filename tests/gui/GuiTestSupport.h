#pragma once
// Helpers for the overlay tests: the world's overlay projection over a black
// 800 x 600 frame, and conversion of GUI rows to GL window rows.

#include <GL/glew.h>

#include "support/EngineTest.h"

namespace guitest {

inline void overlayView() { zeltest::pixelView(); }

// The pixel covering GUI column x and GUI row y (rows counted from the top).
inline zeltest::Pixel guiPixel(int x, int y) { return zeltest::readPixel(x, 599 - y); }

using zeltest::isBlack;

// True when some pixel of the GUI rectangle [x0, x1) x [y0, y1) is grey or
// white with every channel above the level.
inline bool anyWhite(int x0, int y0, int x1, int y1, int level = 200) {
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const zeltest::Pixel p = guiPixel(x, y);
            if (p.r > level && p.g > level && p.b > level) return true;
        }
    return false;
}

// The engine prepared for drawing the overlay, over a black frame; leaves
// texturing off and the colour white.
class OverlayTest : public zeltest::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (!HasFatalFailure()) overlayView();
    }
    void TearDown() override {
        glDisable(GL_TEXTURE_2D);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        EngineTest::TearDown();
    }
};

} // namespace guitest
