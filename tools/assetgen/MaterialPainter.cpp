#include "assetgen/MaterialPainter.h"

#include "assetgen/Noise.h"
#include "assetgen/Rng.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace assetgen {

namespace {

int wrapIndex(int v, int n) {
    const int m = v % n;
    return m < 0 ? m + n : m;
}

// Lights a height field (in pixels of relief) with colour from albedo, light
// from the upper left. Both fields are evaluated at wrapped integer texels, so a
// tiling field stays tiling.
Raster shade(int width, int height, const std::vector<float>& heights,
             const std::vector<Colour>& albedo, float strength) {
    Raster raster(width, height, 3);
    const float lx = -0.5f, ly = -0.6f, lz = 0.62f;  // towards the light (x right, y down, z out)
    const float lightLen = std::sqrt(lx * lx + ly * ly + lz * lz);
    auto h = [&](int x, int y) {
        return heights[static_cast<size_t>(wrapIndex(y, height)) * width + wrapIndex(x, width)];
    };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const float gx = (h(x + 1, y) - h(x - 1, y)) * 0.5f * strength;
            const float gy = (h(x, y + 1) - h(x, y - 1)) * 0.5f * strength;
            const float nl = std::sqrt(gx * gx + gy * gy + 1.0f);
            const float diffuse = std::fmax(0.0f, (-gx * lx - gy * ly + lz) / (nl * lightLen));
            // Normalised so that a flat texel keeps its albedo.
            const float flat = lz / lightLen;
            const float light = 0.35f + 0.65f * diffuse / flat;
            raster.set(x, y, scale(albedo[static_cast<size_t>(y) * width + x], light));
        }
    }
    return raster;
}

// Tileable fractal noise over the image with `period` lattice cells across.
float tiled(const Noise& n, int x, int y, int size, int period, int octaves) {
    const float k = static_cast<float>(period) / size;
    return n.fbm2(x * k, y * k, octaves, period);
}

// Masonry of courses of stones of irregular width. Returns heights and albedo.
struct Masonry {
    int courses;
    int minWidth, maxWidth;
    float mortar;        // mortar half-gap in pixels
    float cornerRadius;  // rounding of the stones
    Colour mortarColour;
    std::vector<Colour> stonePalette;
    float moss;          // 0..1, amount of green growth in the joints
    uint32_t seed;
};

void paintMasonry(const Masonry& m, int size, std::vector<float>& heights,
                  std::vector<Colour>& albedo) {
    Rng rng(m.seed);
    const Noise grain(m.seed + 1), wobble(m.seed + 2), blotch(m.seed + 3);
    const int courseHeight = size / m.courses;
    // Per course: the x positions where stones start (wrapping at size).
    std::vector<std::vector<int>> starts(m.courses);
    for (int c = 0; c < m.courses; ++c) {
        int x = rng.below(size);
        const int first = x;
        std::vector<int>& row = starts[c];
        row.push_back(first);
        int covered = 0;
        while (true) {
            const int w = m.minWidth + rng.below(m.maxWidth - m.minWidth + 1);
            if (covered + w + m.minWidth > size) break;
            covered += w;
            row.push_back((first + covered) % size);
        }
        std::sort(row.begin(), row.end());
    }
    heights.assign(static_cast<size_t>(size) * size, 0.0f);
    albedo.assign(static_cast<size_t>(size) * size, Colour{});
    for (int y = 0; y < size; ++y) {
        const int course = y / courseHeight;
        const std::vector<int>& row = starts[std::min(course, m.courses - 1)];
        for (int x = 0; x < size; ++x) {
            // Find the stone containing x: the last start at or before x, wrapping.
            auto it = std::upper_bound(row.begin(), row.end(), x);
            const int idx = it == row.begin() ? static_cast<int>(row.size()) - 1
                                               : static_cast<int>(it - row.begin()) - 1;
            const int left = row[idx];
            const int right = idx + 1 < static_cast<int>(row.size()) ? row[idx + 1] : row[0] + size;
            int lx = x - left;
            if (lx < 0) lx += size;
            const float width = static_cast<float>(wrapIndex(right - left, size) == 0 ? size : wrapIndex(right - left, size));
            const float ly = static_cast<float>(y - course * courseHeight);
            // Rounded-box distance, perturbed so the outlines look hewn, not drawn.
            const float hx = width * 0.5f, hy = courseHeight * 0.5f;
            const float px = std::fabs(lx + 0.5f - hx), py = std::fabs(ly + 0.5f - hy);
            const float r = m.cornerRadius;
            const float qx = px - (hx - m.mortar - r), qy = py - (hy - m.mortar - r);
            const float outside = std::sqrt(std::fmax(qx, 0.0f) * std::fmax(qx, 0.0f) +
                                            std::fmax(qy, 0.0f) * std::fmax(qy, 0.0f));
            float dist = outside + std::fmin(std::fmax(qx, qy), 0.0f) - r;
            dist += 2.2f * tiled(wobble, x, y, size, 16, 3);
            const float depth = -dist;  // > 0 inside the stone
            const uint32_t id = static_cast<uint32_t>(course * 131 + idx * 17 + 5);
            const Colour base = m.stonePalette[id % m.stonePalette.size()];
            const float tone = 0.86f + 0.28f * static_cast<float>((id * 2654435761u) >> 24) / 255.0f;
            const float g = tiled(grain, x, y, size, 64, 3);
            const float b = tiled(blotch, x, y, size, 8, 4);
            const size_t i = static_cast<size_t>(y) * size + x;
            if (depth > 0.0f) {
                const float dome = smoothstep(0.0f, 7.0f, depth);
                heights[i] = 4.0f * dome + 1.2f * g + 1.5f * b;
                Colour c = scale(base, tone * (0.9f + 0.25f * b + 0.12f * g));
                if (m.moss > 0.0f) {
                    const float growth = m.moss * smoothstep(0.1f, 0.5f, b) * (1.0f - smoothstep(1.0f, 6.0f, depth));
                    c = mix(c, rgb(78, 98, 48), growth);
                }
                albedo[i] = c;
            } else {
                heights[i] = -1.0f + 0.6f * g;
                Colour c = scale(m.mortarColour, 0.9f + 0.2f * g);
                if (m.moss > 0.0f) c = mix(c, rgb(70, 92, 44), m.moss * smoothstep(-0.1f, 0.4f, b));
                albedo[i] = c;
            }
        }
    }
}

} // namespace

Raster MaterialPainter::stoneWall(int size) {
    Masonry m{8, size / 8, size / 3, 2.5f, 6.0f, rgb(168, 160, 146),
              {rgb(132, 126, 116), rgb(150, 140, 124), rgb(120, 118, 112), rgb(142, 128, 108),
               rgb(160, 152, 138), rgb(110, 104, 96)},
              0.0f, 41};
    std::vector<float> heights;
    std::vector<Colour> albedo;
    paintMasonry(m, size, heights, albedo);
    return shade(size, size, heights, albedo, 0.9f);
}

Raster MaterialPainter::wellStone(int size) {
    Masonry m{10, size / 10, size / 5, 3.0f, 9.0f, rgb(120, 116, 104),
              {rgb(116, 116, 112), rgb(100, 102, 100), rgb(128, 122, 112), rgb(92, 94, 90),
               rgb(136, 132, 124)},
              0.55f, 57};
    std::vector<float> heights;
    std::vector<Colour> albedo;
    paintMasonry(m, size, heights, albedo);
    return shade(size, size, heights, albedo, 1.1f);
}

Raster MaterialPainter::plaster(int size) {
    const Noise broad(61), fine(62), stain(63);
    std::vector<float> heights(static_cast<size_t>(size) * size);
    std::vector<Colour> albedo(heights.size());
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const size_t i = static_cast<size_t>(y) * size + x;
            const float b = tiled(broad, x, y, size, 4, 5);
            const float f = tiled(fine, x, y, size, 64, 2);
            const float s = smoothstep(0.25f, 0.7f, tiled(stain, x, y, size, 3, 4));
            heights[i] = 1.4f * b + 0.5f * f;
            Colour c = mix(rgb(236, 226, 204), rgb(214, 200, 174), 0.5f + 0.6f * b);
            albedo[i] = mix(scale(c, 1.0f + 0.05f * f), rgb(190, 176, 150), 0.45f * s);
        }
    return shade(size, size, heights, albedo, 0.6f);
}

Raster MaterialPainter::timber(int size) {
    const Noise warp(71), streak(72), knot(73);
    std::vector<float> heights(static_cast<size_t>(size) * size);
    std::vector<Colour> albedo(heights.size());
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const size_t i = static_cast<size_t>(y) * size + x;
            // Grain lines run along y: a sine across x, bent by noise.
            const float w = tiled(warp, x, y, size, 4, 4);
            const float phase = (x + 22.0f * w) / size * 6.2831853f * 12.0f;
            const float ring = 0.5f + 0.5f * std::sin(phase);
            const float s = tiled(streak, x * 4, y / 4, size, 16, 3);
            const float crack = smoothstep(0.72f, 0.9f, std::fabs(tiled(knot, x * 2, y / 6, size, 8, 2)) * 1.6f) * 0.6f;
            heights[i] = 1.5f * ring + 0.8f * s - 3.0f * crack;
            Colour c = mix(rgb(92, 62, 38), rgb(58, 38, 24), ring * 0.7f + 0.3f * (0.5f + s));
            albedo[i] = mix(c, rgb(30, 20, 14), crack * 0.8f);
        }
    return shade(size, size, heights, albedo, 0.8f);
}

Raster MaterialPainter::roofTiles(int size) {
    const int rows = 8, perRow = 8;
    const int rowH = size / rows, tileW = size / perRow;
    const int overlap = rowH / 5;  // the rounded tail of each row reaches into the next
    const Noise grain(81), blotch(82);
    std::vector<float> heights(static_cast<size_t>(size) * size);
    std::vector<Colour> albedo(heights.size());
    // Rounded-bottom tile outline: inside when above the tail's curve.
    auto insideTail = [&](float lx, float lyBelowRow) {
        // lx in [0, tileW), lyBelowRow >= 0 distance below the row's band
        const float c = tileW * 0.5f, rad = tileW * 0.5f - 1.5f;
        const float dx = std::fabs(lx + 0.5f - c);
        if (dx > rad) return false;
        const float curve = overlap * std::sqrt(1.0f - (dx / rad) * (dx / rad));
        return lyBelowRow < curve;
    };
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const size_t i = static_cast<size_t>(y) * size + x;
            const int row = y / rowH;
            const float ly = static_cast<float>(y - row * rowH);
            // Which tile is on top here: the tail of the row above, else this row.
            int tileRow = row;
            float along = ly;  // distance from the top of the visible tile part
            const int upper = row - 1;
            const int upperShift = wrapIndex(upper, rows) % 2 == 0 ? 0 : tileW / 2;
            const int ux = wrapIndex(x - upperShift, size) % tileW;
            if (insideTail(static_cast<float>(ux), ly)) {
                tileRow = upper;
                along = rowH + ly;
            }
            const int shift = wrapIndex(tileRow, rows) % 2 == 0 ? 0 : tileW / 2;
            const int sx = wrapIndex(x - shift, size);
            const int column = sx / tileW;
            const float lx = static_cast<float>(sx % tileW);
            // Barrel curve across the tile, a gap between neighbours.
            const float across = (lx + 0.5f) / tileW * 2.0f - 1.0f;
            const float barrel = std::sqrt(std::fmax(0.0f, 1.0f - across * across));
            const float gap = smoothstep(0.93f, 0.99f, std::fabs(across));
            // Shadow under the tail of the row above, on this row's tile.
            float shadow = 0.0f;
            if (tileRow == row) {
                float below = 1e9f;
                for (int d = 0; d < 10 && ly - d >= 0.0f; ++d)
                    if (insideTail(static_cast<float>(ux), ly - d)) { below = static_cast<float>(d); break; }
                if (below < 1e8f) shadow = 1.0f - smoothstep(0.0f, 9.0f, below);
            }
            const uint32_t id = static_cast<uint32_t>(wrapIndex(tileRow, rows) * 37 + column * 11 + 3) * 2654435761u;
            const float tone = 0.82f + 0.3f * static_cast<float>(id >> 24) / 255.0f;
            const float g = tiled(grain, x, y, size, 64, 2);
            const float b = tiled(blotch, x, y, size, 8, 4);
            heights[i] = 5.0f * barrel + 0.04f * along + 0.6f * g - 4.0f * gap;
            Colour c = scale(mix(rgb(178, 84, 52), rgb(140, 66, 44), 0.5f + 0.5f * b), tone);
            c = mix(c, rgb(96, 88, 70), smoothstep(0.35f, 0.8f, b) * 0.35f);
            c = scale(c, 1.0f - 0.55f * shadow - 0.6f * gap);
            albedo[i] = c;
        }
    return shade(size, size, heights, albedo, 0.7f);
}

Raster MaterialPainter::wood(int size) {
    const int planks = 8;
    const int plankH = size / planks;
    const Noise warp(91), streak(92);
    Rng rng(93);
    std::vector<int> joints(planks);
    std::vector<float> tones(planks * 2);
    for (int p = 0; p < planks; ++p) joints[p] = rng.below(size);
    for (float& t : tones) t = rng.range(0.85f, 1.12f);
    std::vector<float> heights(static_cast<size_t>(size) * size);
    std::vector<Colour> albedo(heights.size());
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const size_t i = static_cast<size_t>(y) * size + x;
            const int p = y / plankH;
            const float ly = static_cast<float>(y - p * plankH);
            const int dj = wrapIndex(x - joints[p], size);
            const int piece = dj < size / 2 ? 0 : 1;
            const float jointDist = static_cast<float>(std::min({dj, size - dj, std::abs(dj - size / 2)}));
            const float seam = std::fmin(ly + 0.5f, plankH - ly - 0.5f);
            const float edge = 1.0f - smoothstep(0.0f, 2.5f, std::fmin(seam, jointDist));
            const float w = tiled(warp, x, y, size, 4, 4);
            const float phase = (y + 18.0f * w + p * 13.0f) / size * 6.2831853f * 20.0f;
            const float ring = 0.5f + 0.5f * std::sin(phase);
            const float s = tiled(streak, x / 4, y * 3, size, 16, 3);
            // Nails near the ends of each piece.
            float nail = 0.0f;
            for (int end : {3 * plankH / 10, 7 * plankH / 10}) {
                const float nx = std::fmin(std::fabs(jointDist - 6.0f), 100.0f);
                const float ny = std::fabs(ly - end);
                if (std::sqrt(nx * nx + ny * ny) < 1.8f) nail = 1.0f;
            }
            heights[i] = 1.0f * ring + 0.5f * s - 3.0f * edge;
            Colour c = mix(rgb(176, 130, 84), rgb(138, 96, 58), ring * 0.6f + 0.25f * (0.5f + s));
            c = scale(c, tones[p * 2 + piece]);
            c = mix(c, rgb(50, 34, 22), edge * 0.8f);
            albedo[i] = mix(c, rgb(40, 40, 44), nail);
        }
    return shade(size, size, heights, albedo, 0.8f);
}

Raster MaterialPainter::door(int width, int height) {
    const Noise warp(101), streak(102), rust(103);
    const int frame = width / 14;
    const int planks = 5;
    const float plankW = static_cast<float>(width - 2 * frame) / planks;
    const float bandH = height / 24.0f;
    const float bands[2] = {height * 0.2f, height * 0.78f};
    const float ringX = width * 0.78f, ringY = height * 0.52f, ringR = width * 0.07f;
    std::vector<float> heights(static_cast<size_t>(width) * height);
    std::vector<Colour> albedo(heights.size());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const size_t i = static_cast<size_t>(y) * width + x;
            const bool inFrame = x < frame || x >= width - frame || y < frame;
            const float w = warp.fbm2(x / 60.0f, y / 60.0f, 3);
            const float s = streak.fbm2(x / 3.0f, y / 40.0f, 3);
            Colour c;
            float h;
            if (inFrame) {
                const float ring = 0.5f + 0.5f * std::sin((y + 10.0f * w) * 0.25f);
                c = mix(rgb(80, 54, 34), rgb(60, 40, 26), ring);
                h = 6.0f + 0.5f * s;
                // Bevel where the frame meets the door leaf.
                const float inner = std::fmin(std::fmin(std::fabs(x - frame + 0.5f),
                                                        std::fabs(width - frame - x - 0.5f)),
                                              std::fabs(y - frame + 0.5f));
                h -= 3.0f * (1.0f - smoothstep(0.0f, 3.0f, inner));
            } else {
                const float px = (x - frame) / plankW;
                const int plank = static_cast<int>(px);
                const float lx = (px - plank) * plankW;
                const float seam = std::fmin(lx, plankW - lx);
                const float ring = 0.5f + 0.5f * std::sin((x + 14.0f * w + plank * 31.0f) * 0.35f);
                c = mix(rgb(128, 86, 50), rgb(98, 64, 38), ring * 0.7f + 0.2f * (0.5f + s));
                c = scale(c, 0.9f + 0.06f * static_cast<float>((plank * 7) % 5));
                h = 2.0f + 0.6f * ring + 0.4f * s - 2.5f * (1.0f - smoothstep(0.0f, 2.0f, seam));
                c = mix(c, rgb(40, 26, 16), 0.7f * (1.0f - smoothstep(0.0f, 2.0f, seam)));
            }
            // Iron bands with rivets across the leaf.
            for (float by : bands) {
                if (!inFrame && std::fabs(y - by) < bandH) {
                    const float r = rust.fbm2(x / 12.0f, y / 12.0f, 3);
                    c = mix(rgb(58, 58, 62), rgb(104, 64, 40), smoothstep(0.0f, 0.6f, r));
                    h = 4.0f + 0.5f * r;
                    for (int k = 0; k < planks; ++k) {
                        const float rx = frame + (k + 0.5f) * plankW - x, ry = by - y;
                        const float d = std::sqrt(rx * rx + ry * ry);
                        if (d < bandH * 0.45f) {
                            h += 2.0f * std::sqrt(1.0f - d / (bandH * 0.45f));
                            c = rgb(80, 80, 84);
                        }
                    }
                }
            }
            // Ring handle with its mounting plate.
            const float dx = x - ringX, dy = y - ringY;
            const float d = std::sqrt(dx * dx + dy * dy);
            if (std::fabs(d - ringR) < ringR * 0.16f) {
                c = rgb(70, 68, 66);
                h = 8.0f + 2.0f * (1.0f - std::fabs(d - ringR) / (ringR * 0.16f));
            } else if (std::fabs(dx) < ringR * 0.35f && dy < -ringR * 0.6f && dy > -ringR * 1.5f) {
                c = rgb(54, 52, 52);
                h = 6.0f;
            }
            heights[i] = h;
            albedo[i] = c;
        }
    return shade(width, height, heights, albedo, 0.8f);
}

Raster MaterialPainter::window(int size) {
    const Noise warp(111), dirt(112);
    const int frame = size / 10, mullion = size / 28;
    std::vector<float> heights(static_cast<size_t>(size) * size);
    std::vector<Colour> albedo(heights.size());
    const float mid = size * 0.5f;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const size_t i = static_cast<size_t>(y) * size + x;
            const bool outer = x < frame || y < frame || x >= size - frame || y >= size - frame;
            const bool cross = std::fabs(x + 0.5f - mid) < mullion || std::fabs(y + 0.5f - mid) < mullion;
            const float w = warp.fbm2(x / 50.0f, y / 50.0f, 3);
            if (outer || cross) {
                const bool sill = y >= size - frame;
                const float ring = 0.5f + 0.5f * std::sin(((cross && !outer && std::fabs(x + 0.5f - mid) < mullion) ? y : x) * 0.3f + 8.0f * w);
                Colour c = mix(rgb(236, 230, 214), rgb(214, 206, 188), ring * 0.5f);  // painted wood
                if (sill) c = scale(c, 0.92f);
                // Distance to the glass for a bevelled edge.
                const float ex = std::fmin(std::fabs(x + 0.5f - frame), std::fabs(size - frame - x - 0.5f));
                const float ey = std::fmin(std::fabs(y + 0.5f - frame), std::fabs(size - frame - y - 0.5f));
                const float edge = std::fmin(std::fmin(ex, ey), std::fmin(std::fabs(std::fabs(x + 0.5f - mid) - mullion),
                                                                           std::fabs(std::fabs(y + 0.5f - mid) - mullion)));
                heights[i] = 6.0f + 2.0f * smoothstep(0.0f, 5.0f, edge);
                albedo[i] = c;
            } else {
                // Glass: darker below, the sky's light reflected in a diagonal sheen.
                const float v = static_cast<float>(y) / size;
                Colour c = mix(rgb(96, 130, 160), rgb(26, 38, 52), smoothstep(0.0f, 1.0f, v));
                const float sheen = smoothstep(0.1f, 0.0f, std::fabs((x + y) / static_cast<float>(size) - 0.7f + 0.05f * w));
                c = mix(c, rgb(200, 220, 236), sheen * 0.5f);
                c = mix(c, rgb(70, 66, 58), 0.25f * smoothstep(0.2f, 0.8f, dirt.fbm2(x / 30.0f, y / 30.0f, 3)));
                heights[i] = 0.0f;
                albedo[i] = c;
            }
        }
    return shade(size, size, heights, albedo, 0.8f);
}

Raster MaterialPainter::cobbles(int size) {
    const Noise cells(121), grain(122), dirt(123);
    const int period = 10;
    const float k = static_cast<float>(period) / size;
    std::vector<float> heights(static_cast<size_t>(size) * size);
    std::vector<Colour> albedo(heights.size());
    const Colour palette[] = {rgb(128, 124, 116), rgb(112, 106, 98), rgb(142, 134, 120),
                              rgb(100, 98, 96), rgb(136, 120, 104)};
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const size_t i = static_cast<size_t>(y) * size + x;
            const CellSample c = cells.cells2(x * k, y * k, period, 0.8f);
            const float edge = (c.f2 - c.f1);  // 0 on the boundary between stones
            const float stone = smoothstep(0.05f, 0.3f, edge);
            const float g = tiled(grain, x, y, size, 48, 3);
            const float d = tiled(dirt, x, y, size, 6, 3);
            heights[i] = 6.0f * std::sqrt(stone) + 0.6f * g;
            Colour base = palette[c.id % 5];
            base = scale(base, 0.85f + 0.3f * static_cast<float>((c.id >> 8) & 0xFF) / 255.0f + 0.1f * g);
            const Colour gap = mix(rgb(70, 60, 48), rgb(90, 96, 60), smoothstep(0.0f, 0.5f, d));
            albedo[i] = mix(gap, base, smoothstep(0.0f, 0.15f, edge));
        }
    return shade(size, size, heights, albedo, 0.6f);
}

Raster MaterialPainter::fountainWater(int size) {
    const Noise a(131), b(132), tint(133);
    const int period = 6;
    const float k = static_cast<float>(period) / size;
    Raster raster(size, size, 3);
    raster.fill([&](int x, int y) {
        // Caustics: bright where light gathers along the borders of two cell layers.
        // The lines wave because the lookup is bent by tiling noise.
        const float wx = 0.35f * tiled(tint, x + 97, y, size, 4, 3);
        const float wy = 0.35f * tiled(tint, x, y + 61, size, 4, 3);
        const CellSample c1 = a.cells2(x * k + wx, y * k + wy, period, 1.0f);
        const CellSample c2 = b.cells2(x * k * 2.0f + 0.3f - wy, y * k * 2.0f + 0.7f + wx, period * 2, 1.0f);
        const float l1 = std::pow(1.0f - smoothstep(0.0f, 0.3f, c1.f2 - c1.f1), 3.0f);
        const float l2 = std::pow(1.0f - smoothstep(0.0f, 0.25f, c2.f2 - c2.f1), 3.0f);
        const float t = tiled(tint, x, y, size, 3, 3);
        Colour c = mix(rgb(34, 100, 122), rgb(60, 140, 150), 0.5f + 0.6f * t);
        return add(c, scale(rgb(190, 235, 235), 0.38f * l1 + 0.22f * l2));
    });
    return raster;
}

Raster MaterialPainter::grass(int size) {
    const Noise patches(141), clumps(142), fine(143), soil(144);
    Rng rng(145);
    std::vector<float> heights(static_cast<size_t>(size) * size);
    std::vector<Colour> albedo(heights.size());
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const size_t i = static_cast<size_t>(y) * size + x;
            // Broad patches stay faint so that the tile's repetition across the
            // terrain does not show; the mid-sized clumps carry the variation.
            const float p = tiled(patches, x, y, size, 4, 4);
            const float c = tiled(clumps, x, y, size, 24, 3);
            const float f = tiled(fine, x, y, size, 128, 2);
            const float s = smoothstep(0.35f, 0.6f, tiled(soil, x, y, size, 5, 4));
            Colour col = mix(rgb(76, 116, 42), rgb(102, 136, 50), 0.5f + 0.35f * p + 0.3f * c);
            col = mix(col, rgb(44, 80, 30), smoothstep(0.0f, 0.5f, c) * 0.6f);
            col = scale(col, 0.92f + 0.16f * f);
            col = mix(col, rgb(110, 100, 62), s * 0.3f);
            heights[i] = 2.0f * c + 0.8f * f;
            albedo[i] = col;
        }
    // Short blade strokes scattered over the tile, wrapping at its edges.
    const int blades = size * size / 10;
    for (int n = 0; n < blades; ++n) {
        const int x0 = rng.below(size), y0 = rng.below(size);
        const float angle = rng.range(-0.6f, 0.6f) - 1.5708f;
        const int length = 3 + rng.below(5);
        const float light = rng.range(-0.12f, 0.16f);
        for (int t = 0; t < length; ++t) {
            const int x = wrapIndex(x0 + static_cast<int>(std::lround(std::cos(angle) * t)), size);
            const int y = wrapIndex(y0 + static_cast<int>(std::lround(std::sin(angle) * t)), size);
            const size_t i = static_cast<size_t>(y) * size + x;
            const float tip = static_cast<float>(t) / length;
            albedo[i] = scale(albedo[i], 1.0f + light * (0.5f + tip));
            heights[i] += 0.8f * tip;
        }
    }
    return shade(size, size, heights, albedo, 0.5f);
}

} // namespace assetgen
