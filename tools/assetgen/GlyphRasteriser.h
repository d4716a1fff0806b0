#pragma once
// Rasterises characters of a TrueType font into coverage masks through FreeType.
// The font atlas (font.bmp) and the question mark of the fallback texture use it.

#include <string>
#include <vector>

namespace assetgen {

// Anti-aliased coverage of one glyph: width x height values in 0..1, rows top
// first; left and top place the bitmap relative to the pen position on the
// baseline (top counts upwards from the baseline).
struct GlyphBitmap {
    int width = 0, height = 0;
    int left = 0, top = 0;
    std::vector<float> coverage;
    float at(int x, int y) const;
};

class GlyphRasteriser {
public:
    // Opens the font file at the given pixel height. ok() tells whether it worked.
    GlyphRasteriser(const std::string& fontFile, int pixelHeight);
    ~GlyphRasteriser();
    GlyphRasteriser(const GlyphRasteriser&) = delete;
    GlyphRasteriser& operator=(const GlyphRasteriser&) = delete;

    bool ok() const { return face_ != nullptr; }
    // Ascender and descender in pixels (descender positive, below the baseline).
    int ascender() const { return ascender_; }
    int descender() const { return descender_; }
    // The horizontal advance of character c in pixels.
    int advance(unsigned char c) const;

    // Coverage of character c; an empty bitmap for blanks or on failure.
    GlyphBitmap render(unsigned char c) const;

private:
    void* library_ = nullptr;  // FT_Library
    void* face_ = nullptr;     // FT_Face
    int ascender_ = 0;
    int descender_ = 0;
};

// The font the generator uses for the overlay font and the fallback texture.
std::string defaultFontFile();

} // namespace assetgen
