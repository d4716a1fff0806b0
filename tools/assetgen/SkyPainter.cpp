#include "assetgen/SkyPainter.h"

#include <cmath>

namespace assetgen {

namespace {

const Colour ZENITH = rgb(52, 104, 188);
const Colour MID_SKY = rgb(112, 160, 218);
const Colour HORIZON = rgb(206, 222, 232);
const Colour SEA_HAZE = rgb(120, 144, 158);
const Colour DEEP_SEA = rgb(22, 42, 56);
const Colour ISLAND = rgb(88, 110, 118);
const Colour SUN_GLOW = rgb(255, 226, 170);

} // namespace

SkyPainter::SkyPainter() : clouds_(1201), islands_(77) {}

Direction SkyPainter::sunDirection() { return normalise({0.38f, 0.30f, 0.87f}); }

float SkyPainter::cloudDensity(const Direction& d) const {
    if (d.y <= 0.0f) return 0.0f;
    // Clouds lie on a flat layer overhead: project the direction onto it so they
    // shrink and crowd towards the horizon as real cloud fields do.
    const float k = 1.0f / (d.y + 0.12f);
    const float px = d.x * k * 1.6f, pz = d.z * k * 1.6f;
    const float warp = clouds_.fbm3(px * 0.6f, pz * 0.6f, 3.1f, 3) * 0.8f;
    const float n = clouds_.fbm3(px + warp, pz - warp, 0.37f, 6);
    float density = smoothstep(0.02f, 0.42f, n);
    // Fade the layer out near the horizon, where its detail would only shimmer.
    density *= smoothstep(0.03f, 0.28f, d.y);
    return density;
}

float SkyPainter::islandHeight(const Direction& d) const {
    // Distant islands as a silhouette rising a few degrees above the horizon.
    // Noise over the horizontal unit circle keeps the outline continuous all round.
    const float h = std::sqrt(d.x * d.x + d.z * d.z);
    if (h <= 0.0f) return 0.0f;
    const float cx = d.x / h, cz = d.z / h;
    const float ridge = islands_.fbm3(cx * 2.2f, cz * 2.2f, 5.3f, 4);
    const float chain = smoothstep(-0.05f, 0.35f, islands_.fbm3(cx * 1.1f, cz * 1.1f, 9.1f, 2));
    return std::fmax(0.0f, ridge + 0.15f) * 0.16f * chain;
}

float SkyPainter::sunDisc(const Direction& d) const {
    return smoothstep(0.99935f, 0.99965f, dot(d, sunDirection()));
}

Colour SkyPainter::sunGlow(const Direction& d, Colour base) const {
    const float c = std::fmax(0.0f, dot(d, sunDirection()));
    const float wide = std::pow(c, 8.0f) * 0.18f;
    const float near = std::pow(c, 300.0f) * 0.5f;
    Colour out = add(base, scale(SUN_GLOW, wide + near));
    // Keep the glow below white so the disc itself stays the brightest spot.
    const float peak = std::fmax(out.r, std::fmax(out.g, out.b));
    if (peak > 0.96f) out = scale(out, 0.96f / peak);
    return mix(out, rgb(255, 253, 246), sunDisc(d));
}

Colour SkyPainter::skyAbove(const Direction& d) const {
    const float e = std::fmax(0.0f, d.y);
    // Two-stage gradient: a pale band near the horizon, deep blue overhead.
    Colour c = mix(HORIZON, MID_SKY, smoothstep(0.0f, 0.28f, std::sqrt(e) * 0.75f));
    c = mix(c, ZENITH, smoothstep(0.25f, 1.0f, e));
    c = sunGlow(d, c);
    const float density = cloudDensity(d);
    if (density > 0.0f) {
        // Clouds are lit from the sun's side and greyer underneath.
        const float facing = 0.5f + 0.5f * dot(d, sunDirection());
        Colour cloud = mix(rgb(178, 184, 196), rgb(252, 250, 246), 0.55f + 0.45f * facing);
        c = mix(c, cloud, density * 0.92f);
    }
    return c;
}

Colour SkyPainter::sky(const Direction& raw) const {
    const Direction d = normalise(raw);
    if (d.y >= 0.0f) {
        Colour c = skyAbove(d);
        // The silhouette's top edge is blended over about two texels, so the
        // nearest-neighbour filtering of the sky box shows no stair steps.
        const float island = islandHeight(d);
        if (island > 0.0f) {
            const float cover = smoothstep(island, island - 0.008f, d.y);
            c = mix(c, mix(ISLAND, HORIZON, 0.35f + 0.4f * clamp01(d.y / island)), cover);
        }
        return c;
    }
    // Below the horizon: haze over the sea, darkening towards the ground.
    const float depth = -d.y;
    Colour c = mix(HORIZON, SEA_HAZE, smoothstep(0.0f, 0.06f, depth));
    return mix(c, DEEP_SEA, smoothstep(0.04f, 0.7f, depth));
}

Colour SkyPainter::reflection(const Direction& raw) const {
    const Direction d = normalise(raw);
    if (d.y >= 0.0f) {
        // The sea mirrors the sky a little darker and bluer; the islands stand out
        // darker in it, as reflections of land do.
        Colour c = skyAbove(d);
        c = mix(c, rgb(40, 90, 130), 0.18f);
        c = mix(c, rgb(255, 250, 236), sunDisc(d));
        const float island = islandHeight(d);
        if (island > 0.0f) {
            const float cover = smoothstep(island, island - 0.008f, d.y);
            c = mix(c, mix(rgb(62, 84, 90), c, 0.25f * clamp01(d.y / island)), cover);
        }
        return c;
    }
    // Rays that waves tilt below the horizon see into the water.
    const float depth = -d.y;
    return mix(rgb(60, 98, 118), rgb(14, 40, 56), smoothstep(0.0f, 0.5f, depth));
}

Raster SkyPainter::paintFace(CubeLayout layout, CubeFace face, int size, bool reflectionCube) const {
    Raster raster(size, size, 3);
    raster.fill([&](int x, int y) {
        const Direction d = CubeFaces::direction(layout, face, (x + 0.5f) / size, (y + 0.5f) / size);
        return reflectionCube ? reflection(d) : sky(d);
    });
    return raster;
}

} // namespace assetgen
