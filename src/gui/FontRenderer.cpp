#include "gui/FontRenderer.h"

#include <GL/glew.h>

#include "engine/CoreEngine.h"
#include "resources/Texture.h"
#include "resources/TextureDatabase.h"

namespace zel {

GLPoint toGLPoint(int x, int y, int viewportHeight) { return GLPoint{x, viewportHeight - y}; }

GLPoint toGLPoint(int x, int y) { return toGLPoint(x, y, CoreEngine::instance().getHeight()); }

FontRenderer& FontRenderer::instance() {
    static FontRenderer renderer;
    return renderer;
}

FontRenderer::FontRenderer() {
    texture_ = TextureDatabase::getInstance().getAlphaTexture("font.bmp", "defaultfont");
}

// The registry may have been released and rebuilt since construction (the
// event loop releases it at its end), so the record is fetched again; an
// existing record is handed back unchanged.
bool FontRenderer::init() {
    texture_ = TextureDatabase::getInstance().getAlphaTexture("font.bmp", "defaultfont");
    return texture_ != nullptr;
}

void FontRenderer::render() {}

void FontRenderer::update(std::uint32_t) {}

GlyphCell FontRenderer::glyphCell(char c) {
    // Characters are signed 8-bit here, so codes above 127 give negative cells,
    // with the remainder taking the sign of the code (C++ division truncates).
    const int code = static_cast<int>(static_cast<signed char>(c)) - 32;
    const int column = code % 16;
    const int row = code / 16;
    const float s0 = static_cast<float>(column) * CELL;
    const float t0 = static_cast<float>(row) * CELL;
    return GlyphCell{s0, t0, s0 + CELL, t0 + CELL};
}

int FontRenderer::glyphX(int x, int size, int index) { return x + index * (size - size / 3); }

void FontRenderer::drawText(const std::string& text, int size, int x, int y) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        drawChar(size, glyphX(x, size, static_cast<int>(i)), y, text[i]);
    }
}

void FontRenderer::drawChar(int size, int x, int y, char c) {
    const GlyphCell cell = glyphCell(c);

    glEnable(GL_BLEND);
    glEnable(GL_ALPHA_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glAlphaFunc(GL_GREATER, 0.0f);
    if (texture_ != nullptr) {
        glEnable(GL_TEXTURE_2D);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glBindTexture(GL_TEXTURE_2D, texture_->getId());
    }
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);

    const GLPoint topLeft = toGLPoint(x, y);
    const GLPoint topRight = toGLPoint(x + size, y);
    const GLPoint bottomRight = toGLPoint(x + size, y + size);
    const GLPoint bottomLeft = toGLPoint(x, y + size);
    glBegin(GL_QUADS);
    glMultiTexCoord2f(GL_TEXTURE0, cell.s0, cell.t0);
    glVertex2i(topLeft.x, topLeft.y);
    glMultiTexCoord2f(GL_TEXTURE0, cell.s1, cell.t0);
    glVertex2i(topRight.x, topRight.y);
    glMultiTexCoord2f(GL_TEXTURE0, cell.s1, cell.t1);
    glVertex2i(bottomRight.x, bottomRight.y);
    glMultiTexCoord2f(GL_TEXTURE0, cell.s0, cell.t1);
    glVertex2i(bottomLeft.x, bottomLeft.y);
    glEnd();

    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
}

} // namespace zel
