#include "assetgen/Noise.h"

#include <cmath>

namespace assetgen {

namespace {

int wrap(int v, int period) {
    if (period <= 0) return v;
    int m = v % period;
    return m < 0 ? m + period : m;
}

float fade(float t) { return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f); }

float lerp(float a, float b, float t) { return a + (b - a) * t; }

// Gradient noise is zero on its lattice, and the lattices of all octaves share
// the first one's points; shifting each octave by a fraction of a cell keeps the
// sum from showing that grid. A constant shift keeps the pattern periodic.
const float OCTAVE_SHIFT[8][2] = {{0.0f, 0.0f},   {0.37f, 0.71f}, {0.59f, 0.23f}, {0.13f, 0.47f},
                                  {0.83f, 0.61f}, {0.29f, 0.91f}, {0.67f, 0.11f}, {0.41f, 0.53f}};

} // namespace

uint32_t Noise::hash(int x, int y, int z) const {
    uint32_t h = seed_ * 0x9E3779B1u;
    h ^= static_cast<uint32_t>(x) * 0x85EBCA77u;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<uint32_t>(y) * 0xC2B2AE3Du;
    h = (h << 17) | (h >> 15);
    h ^= static_cast<uint32_t>(z) * 0x27D4EB2Fu;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

float Noise::hashUnit(int x, int y, int z) const {
    return static_cast<float>(hash(x, y, z) >> 8) / 16777216.0f;
}

float Noise::gradient2(float x, float y, int period) const {
    const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    const float fx = x - x0, fy = y - y0;
    auto corner = [&](int cx, int cy, float dx, float dy) {
        const uint32_t h = hash(wrap(cx, period), wrap(cy, period));
        const float angle = static_cast<float>(h >> 8) / 16777216.0f * 6.2831853f;
        return std::cos(angle) * dx + std::sin(angle) * dy;
    };
    const float n00 = corner(x0, y0, fx, fy);
    const float n10 = corner(x0 + 1, y0, fx - 1.0f, fy);
    const float n01 = corner(x0, y0 + 1, fx, fy - 1.0f);
    const float n11 = corner(x0 + 1, y0 + 1, fx - 1.0f, fy - 1.0f);
    const float u = fade(fx), v = fade(fy);
    // Unit gradients give at most about 0.707; scale to roughly [-1, 1].
    return lerp(lerp(n00, n10, u), lerp(n01, n11, u), v) * 1.41f;
}

float Noise::fbm2(float x, float y, int octaves, int period) const {
    return octaves2(x, y, octaves, period, false);
}

float Noise::turbulence2(float x, float y, int octaves, int period) const {
    return octaves2(x, y, octaves, period, true);
}

float Noise::octaves2(float x, float y, int octaves, int period, bool absolute) const {
    float sum = 0.0f, amplitude = 1.0f, norm = 0.0f;
    for (int i = 0; i < octaves; ++i) {
        const float g = gradient2(x + OCTAVE_SHIFT[i % 8][0], y + OCTAVE_SHIFT[i % 8][1], period);
        sum += amplitude * (absolute ? std::fabs(g) : g);
        norm += amplitude;
        x *= 2.0f;
        y *= 2.0f;
        if (period > 0) period *= 2;
        amplitude *= 0.5f;
    }
    return norm > 0.0f ? sum / norm : 0.0f;
}

float Noise::gradient3(float x, float y, float z) const {
    const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y)),
              z0 = static_cast<int>(std::floor(z));
    const float fx = x - x0, fy = y - y0, fz = z - z0;
    // Twelve edge-midpoint gradients of a cube, as in improved Perlin noise.
    static const float G[12][3] = {{1, 1, 0}, {-1, 1, 0}, {1, -1, 0}, {-1, -1, 0},
                                   {1, 0, 1}, {-1, 0, 1}, {1, 0, -1}, {-1, 0, -1},
                                   {0, 1, 1}, {0, -1, 1}, {0, 1, -1}, {0, -1, -1}};
    auto corner = [&](int i, int j, int k) {
        const float* g = G[hash(x0 + i, y0 + j, z0 + k) % 12];
        return g[0] * (fx - i) + g[1] * (fy - j) + g[2] * (fz - k);
    };
    const float u = fade(fx), v = fade(fy), w = fade(fz);
    const float a = lerp(lerp(corner(0, 0, 0), corner(1, 0, 0), u),
                         lerp(corner(0, 1, 0), corner(1, 1, 0), u), v);
    const float b = lerp(lerp(corner(0, 0, 1), corner(1, 0, 1), u),
                         lerp(corner(0, 1, 1), corner(1, 1, 1), u), v);
    return lerp(a, b, w);
}

float Noise::fbm3(float x, float y, float z, int octaves) const {
    float sum = 0.0f, amplitude = 1.0f, norm = 0.0f;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * gradient3(x, y, z);
        norm += amplitude;
        x *= 2.0f;
        y *= 2.0f;
        z *= 2.0f;
        amplitude *= 0.5f;
    }
    return norm > 0.0f ? sum / norm : 0.0f;
}

CellSample Noise::cells2(float x, float y, int period, float jitter) const {
    const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    CellSample best;
    best.f1 = best.f2 = 1e9f;
    for (int j = -1; j <= 1; ++j) {
        for (int i = -1; i <= 1; ++i) {
            const int cx = wrap(x0 + i, period), cy = wrap(y0 + j, period);
            const uint32_t h = hash(cx, cy, 7);
            const float jx = 0.5f + jitter * (static_cast<float>(h & 0xFFFF) / 65536.0f - 0.5f);
            const float jy = 0.5f + jitter * (static_cast<float>(h >> 16) / 65536.0f - 0.5f);
            const float px = static_cast<float>(x0 + i) + jx - x;
            const float py = static_cast<float>(y0 + j) + jy - y;
            const float d = std::sqrt(px * px + py * py);
            if (d < best.f1) {
                best.f2 = best.f1;
                best.f1 = d;
                best.id = h;
                best.dx = px;
                best.dy = py;
            } else if (d < best.f2) {
                best.f2 = d;
            }
        }
    }
    return best;
}

} // namespace assetgen
