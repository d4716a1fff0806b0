#pragma once
// Draws overlay text from one bitmap font texture holding a 16 x 16 grid of
// glyph cells; each character becomes one textured, alpha-tested quad. A
// singleton created when the engine sets up its GL state and used by the text
// labels of the statistics overlay. Positions are GUI coordinates: origin at the
// window's top-left corner, y growing downward, one unit per pixel under the
// world's orthographic overlay projection.

#include <cstdint>
#include <string>

#include "engine/IRenderableObject.h"

namespace zel {

class Texture;

// A point in OpenGL window coordinates (origin bottom-left).
struct GLPoint {
    int x;
    int y;
};

// GUI point (x, y) to GL window point (x, viewportHeight - y).
GLPoint toGLPoint(int x, int y, int viewportHeight);
// The same with the engine's current viewport height.
GLPoint toGLPoint(int x, int y);

// The texture rectangle of a glyph cell.
struct GlyphCell {
    float s0, t0, s1, t1;
};

class FontRenderer : public IRenderableObject {
public:
    // The cell size as a fraction of the texture.
    static constexpr float CELL = 0.0625f;

    // The singleton; its constructor fetches "font.bmp" as the alpha texture "defaultfont".
    static FontRenderer& instance();

    ~FontRenderer() override = default;
    FontRenderer(const FontRenderer&) = delete;
    FontRenderer& operator=(const FontRenderer&) = delete;

    // Fetches the font texture from the registry again (the engine calls this
    // whenever it sets up its GL state) and reports whether it was obtained.
    bool init() override;
    void render() override;
    void update(std::uint32_t elapsedMs) override;

    // Draws text with its first glyph's top-left corner at GUI point (x, y);
    // glyphs advance by size - size / 3 pixels. Every character draws a cell.
    void drawText(const std::string& text, int size, int x, int y);
    // Draws one glyph quad of size x size pixels with its top-left corner at (x, y).
    void drawChar(int size, int x, int y, char c);

    // The cell of character c (taken as signed 8-bit, code = c - 32, column =
    // code % 16, row = code / 16, truncating toward zero).
    static GlyphCell glyphCell(char c);
    // The x of glyph i of a text drawn at x with the given size.
    static int glyphX(int x, int size, int index);

    Texture* getTexture() const { return texture_; }

private:
    FontRenderer();

    Texture* texture_ = nullptr; // not owned; lives in the texture database
};

} // namespace zel
