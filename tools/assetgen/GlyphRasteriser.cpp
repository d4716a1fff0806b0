#include "assetgen/GlyphRasteriser.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>

#ifndef ZEL_FONT_FILE
#define ZEL_FONT_FILE "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf"
#endif

namespace assetgen {

std::string defaultFontFile() { return ZEL_FONT_FILE; }

float GlyphBitmap::at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0.0f;
    return coverage[static_cast<size_t>(y) * width + x];
}

GlyphRasteriser::GlyphRasteriser(const std::string& fontFile, int pixelHeight) {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        std::fprintf(stderr, "assetgen: cannot initialise FreeType\n");
        return;
    }
    library_ = library;
    FT_Face face = nullptr;
    if (FT_New_Face(library, fontFile.c_str(), 0, &face) != 0) {
        std::fprintf(stderr, "assetgen: cannot open font %s\n", fontFile.c_str());
        return;
    }
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelHeight)) != 0) {
        std::fprintf(stderr, "assetgen: font %s has no size %d\n", fontFile.c_str(), pixelHeight);
        FT_Done_Face(face);
        return;
    }
    face_ = face;
    ascender_ = static_cast<int>((face->size->metrics.ascender + 63) >> 6);
    descender_ = static_cast<int>((-face->size->metrics.descender + 63) >> 6);
}

GlyphRasteriser::~GlyphRasteriser() {
    if (face_) FT_Done_Face(static_cast<FT_Face>(face_));
    if (library_) FT_Done_FreeType(static_cast<FT_Library>(library_));
}

int GlyphRasteriser::advance(unsigned char c) const {
    if (!face_) return 0;
    FT_Face face = static_cast<FT_Face>(face_);
    if (FT_Load_Char(face, c, FT_LOAD_DEFAULT) != 0) return 0;
    return static_cast<int>((face->glyph->advance.x + 32) >> 6);
}

GlyphBitmap GlyphRasteriser::render(unsigned char c) const {
    GlyphBitmap out;
    if (!face_) return out;
    FT_Face face = static_cast<FT_Face>(face_);
    if (FT_Load_Char(face, c, FT_LOAD_RENDER) != 0) return out;
    const FT_Bitmap& bitmap = face->glyph->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) return out;
    out.width = static_cast<int>(bitmap.width);
    out.height = static_cast<int>(bitmap.rows);
    out.left = face->glyph->bitmap_left;
    out.top = face->glyph->bitmap_top;
    out.coverage.resize(static_cast<size_t>(out.width) * out.height);
    const float levels = bitmap.num_grays > 1 ? static_cast<float>(bitmap.num_grays - 1) : 255.0f;
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            out.coverage[static_cast<size_t>(y) * out.width + x] =
                bitmap.buffer[y * bitmap.pitch + x] / levels;
    return out;
}

} // namespace assetgen
