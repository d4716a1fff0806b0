#pragma once
// Helpers shared by the effects tests: a pixel-exact orthographic view of the
// 800 x 600 window and small readers of GL state.

#include <GL/glew.h>

#include "support/GLContext.h"

namespace effectstest {

// Clears to black and sets a projection where one unit is one pixel, origin at
// the bottom-left corner, with an identity model-view matrix and texturing off.
inline void pixelView() {
    zeltest::pixelView();
    glDisable(GL_TEXTURE_2D);
}

using zeltest::isBlack;

inline bool isWhite(const zeltest::Pixel& p) { return p.r == 255 && p.g == 255 && p.b == 255; }

inline void currentColor(float out[4]) { glGetFloatv(GL_CURRENT_COLOR, out); }

} // namespace effectstest
