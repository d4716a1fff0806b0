#include "assetgen/EffectPainter.h"

#include "assetgen/GlyphRasteriser.h"
#include "assetgen/Noise.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

Raster EffectPainter::missingTexture(int size) {
    Raster raster(size, size, 3);
    const int cell = std::max(1, size / 8);
    const float centre = size * 0.5f, radius = size * 0.27f;
    GlyphRasteriser font(defaultFontFile(), std::max(8, size * 3 / 8));
    const GlyphBitmap mark = font.render('?');
    // Centre the question mark's ink on the disc.
    const int ox = static_cast<int>(centre) - mark.width / 2;
    const int oy = static_cast<int>(centre) - mark.height / 2;
    raster.fill([&](int x, int y) {
        const bool odd = ((x / cell) + (y / cell)) % 2 != 0;
        Colour c = odd ? rgb(0, 0, 0) : rgb(255, 0, 255);
        const float dx = x + 0.5f - centre, dy = y + 0.5f - centre;
        const float d = std::sqrt(dx * dx + dy * dy);
        const float disc = 1.0f - smoothstep(radius - 1.0f, radius + 1.0f, d);
        const float ring = 1.0f - smoothstep(radius + 2.0f, radius + 4.0f, d);
        c = mix(c, rgb(0, 0, 0), ring);
        c = mix(c, rgb(255, 255, 255), disc);
        return mix(c, rgb(0, 0, 0), disc * mark.at(x - ox, y - oy));
    });
    return raster;
}

Raster EffectPainter::waterNoise(int size) {
    Raster raster(size, size, 3);
    const Noise r(11), g(12), b(13);
    const int period = 4;
    const float k = static_cast<float>(period) / size;
    raster.fill([&](int x, int y) {
        const float fx = x * k, fy = y * k;
        return Colour{0.5f + 0.55f * r.fbm2(fx, fy, 5, period),
                      0.5f + 0.55f * g.fbm2(fx, fy, 5, period),
                      0.5f + 0.55f * b.fbm2(fx * 2.0f, fy * 2.0f, 4, period * 2), 1.0f};
    });
    return raster;
}

Raster EffectPainter::fireNoise(int size) {
    Raster raster(size, size, 3);
    const Noise r(21), g(22);
    const int period = 4;
    const float k = static_cast<float>(period) / size;
    raster.fill([&](int x, int y) {
        const float fx = x * k, fy = y * k;
        // Grey turbulence; the shader scrolls and scales it for each distortion layer.
        const float t = clamp01(r.turbulence2(fx, fy, 5, period) * 1.7f + 0.15f * g.fbm2(fx, fy, 2, period));
        return Colour{t, t, t, 1.0f};
    });
    return raster;
}

Raster EffectPainter::fireColourRamp(int width, int height) {
    Raster raster(width, height, 3);
    struct Stop {
        float at;
        Colour c;
    };
    const Stop stops[] = {{0.0f, rgb(0, 0, 0)},        {0.18f, rgb(70, 4, 0)},
                          {0.38f, rgb(200, 30, 0)},    {0.58f, rgb(255, 120, 10)},
                          {0.78f, rgb(255, 210, 60)},  {0.92f, rgb(255, 245, 180)},
                          {1.0f, rgb(255, 255, 255)}};
    raster.fill([&](int x, int) {
        const float s = width > 1 ? static_cast<float>(x) / (width - 1) : 0.0f;
        for (size_t i = 1; i < sizeof(stops) / sizeof(stops[0]); ++i)
            if (s <= stops[i].at)
                return mix(stops[i - 1].c, stops[i].c,
                           (s - stops[i - 1].at) / (stops[i].at - stops[i - 1].at));
        return rgb(255, 255, 255);
    });
    return raster;
}

Raster EffectPainter::flameMask(int size) {
    Raster raster(size, size, 3);
    // Teardrop in unit coordinates: round bottom centred at (0.5, 0.68), radius
    // 0.27, narrowing along a curved taper to the tip at y = 0.05.
    const float cy = 0.68f, radius = 0.27f, tip = 0.05f;
    raster.fill([&](int x, int y) {
        const float u = (x + 0.5f) / size, v = (y + 0.5f) / size;
        float halfWidth;
        if (v >= cy) {
            const float dy = v - cy;
            halfWidth = dy < radius ? std::sqrt(radius * radius - dy * dy) : 0.0f;
        } else if (v > tip) {
            const float t = (v - tip) / (cy - tip);
            halfWidth = radius * std::pow(t, 1.4f) * (1.6f - 0.6f * t);
        } else {
            halfWidth = 0.0f;
        }
        const float dx = std::fabs(u - 0.5f);
        if (halfWidth <= 0.0f) return rgb(0, 0, 0);
        // White core, soft rim: opacity falls off over the outer part of the
        // width and towards the rounded base, where a flame sits on its fuel.
        const float inside = 1.0f - dx / halfWidth;
        const float edge = smoothstep(0.0f, 0.5f, inside);
        const float base = 1.0f - 0.35f * smoothstep(cy + radius * 0.4f, cy + radius, v);
        const float value = edge * base;
        return Colour{value, value, value, 1.0f};
    });
    return raster;
}

Raster EffectPainter::glowDroplet(int size) {
    Raster raster(size, size, 4);
    raster.fill([&](int x, int y) {
        const float dx = (x + 0.5f) / size * 2.0f - 1.0f, dy = (y + 0.5f) / size * 2.0f - 1.0f;
        const float r = std::sqrt(dx * dx + dy * dy);
        if (r >= 1.0f) return Colour{1.0f, 1.0f, 1.0f, 0.0f};
        // Bright body with a soft halo that reaches the edge at zero.
        const float body = 1.0f - smoothstep(0.18f, 0.55f, r);
        const float halo = std::pow(1.0f - r, 2.2f);
        const float alpha = clamp01(0.85f * body + 0.6f * halo);
        // A small highlight up and to the left makes it read as a droplet; the
        // rim is faintly cool. Colours stay near white so tints show through.
        const float hx = dx + 0.22f, hy = dy + 0.22f;
        const float highlight = 1.0f - smoothstep(0.0f, 0.16f, std::sqrt(hx * hx + hy * hy));
        const float cool = smoothstep(0.3f, 0.9f, r) * 0.12f;
        Colour c{1.0f - cool, 1.0f - cool * 0.4f, 1.0f, alpha};
        c = mix(c, Colour{1.0f, 1.0f, 1.0f, std::fmax(alpha, 0.95f)}, highlight);
        return c;
    });
    return raster;
}

Raster EffectPainter::fontAtlas(int keyRed, int keyGreen, int keyBlue) {
    const int cell = FONT_CELL, cells = 16, size = cell * cells;
    // Glyphs advance by two thirds of their cell when drawn, so the ink is kept in
    // the left part of the cell: pen at x = 1, baseline 12 pixels down.
    GlyphRasteriser font(defaultFontFile(), 13);
    if (!font.ok()) return Raster(0, 0, 3);
    const int penX = 1, baseline = 12;
    std::vector<float> ink(static_cast<size_t>(size) * size, 0.0f);
    for (int k = 0; k < cells * cells; ++k) {
        // Cells past character 255 stay empty: the font texture holds Latin-1 only.
        if (32 + k > 255) break;
        // Control characters (DEL and the C1 range) have no glyphs worth drawing.
        if (32 + k == 127 || (32 + k >= 128 && 32 + k < 160)) continue;
        const GlyphBitmap glyph = font.render(static_cast<unsigned char>(32 + k));
        const int cellX = (k % cells) * cell, cellY = (k / cells) * cell;
        for (int y = 0; y < glyph.height; ++y) {
            for (int x = 0; x < glyph.width; ++x) {
                const int px = penX + glyph.left + x, py = baseline - glyph.top + y;
                if (px < 0 || py < 0 || px >= cell || py >= cell) continue;
                ink[static_cast<size_t>(cellY + py) * size + cellX + px] = glyph.at(x, y);
            }
        }
    }
    Raster raster(size, size, 3);
    const Colour key = rgb(keyRed, keyGreen, keyBlue);
    const Colour outline = rgb(28, 24, 22);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            // The outline is the glyph grown by one pixel inside its own cell.
            float grown = 0.0f;
            for (int j = -1; j <= 1; ++j)
                for (int i = -1; i <= 1; ++i) {
                    const int sx = x + i, sy = y + j;
                    if (sx / cell != x / cell || sy / cell != y / cell || sx < 0 || sy < 0 ||
                        sx >= size || sy >= size)
                        continue;
                    const float w = (i != 0 && j != 0) ? 0.7f : 1.0f;
                    grown = std::fmax(grown, w * ink[static_cast<size_t>(sy) * size + sx]);
                }
            const float g = ink[static_cast<size_t>(y) * size + x];
            if (grown < 0.3f && g <= 0.0f) {
                raster.set(x, y, key);
            } else {
                raster.set(x, y, mix(outline, rgb(255, 255, 255), g));
            }
        }
    }
    return raster;
}

} // namespace assetgen
