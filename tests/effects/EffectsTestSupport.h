#pragma once
// Helpers shared by the effects tests: a pixel-exact orthographic view of the
// 800 x 600 window and small readers of GL state.

#include <GL/glew.h>

#include "support/GLContext.h"

namespace effectstest {

// Clears to black and sets a projection where one unit is one pixel, origin at
// the bottom-left corner, with an identity model-view matrix.
inline void pixelView() {
    glViewport(0, 0, 800, 600);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, 800.0, 0.0, 600.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_TEXTURE_2D);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

using zeltest::isBlack;

inline bool isWhite(const zeltest::Pixel& p) { return p.r == 255 && p.g == 255 && p.b == 255; }

inline void currentColor(float out[4]) { glGetFloatv(GL_CURRENT_COLOR, out); }

} // namespace effectstest
