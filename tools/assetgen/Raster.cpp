#include "assetgen/Raster.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

float clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

float smoothstep(float edge0, float edge1, float x) {
    float t = clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3.0f - 2.0f * t);
}

Colour mix(const Colour& x, const Colour& y, float t) {
    return {x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t,
            x.a + (y.a - x.a) * t};
}

Colour scale(const Colour& c, float f) { return {c.r * f, c.g * f, c.b * f, c.a}; }

Colour add(const Colour& x, const Colour& y) { return {x.r + y.r, x.g + y.g, x.b + y.b, x.a}; }

Colour rgb(int r, int g, int b, int a) { return {r / 255.0f, g / 255.0f, b / 255.0f, a / 255.0f}; }

namespace {
uint8_t toByte(float v) { return static_cast<uint8_t>(std::lround(clamp01(v) * 255.0f)); }
} // namespace

Raster::Raster(int width, int height, int channels)
    : width_(std::max(width, 0)), height_(std::max(height, 0)),
      channels_(channels == 4 ? 4 : 3),
      bytes_(static_cast<size_t>(width_) * height_ * channels_, 0) {
    if (channels_ == 4)
        for (size_t i = 3; i < bytes_.size(); i += 4) bytes_[i] = 255;
}

void Raster::set(int x, int y, const Colour& c) {
    setBytes(x, y, toByte(c.r), toByte(c.g), toByte(c.b), toByte(c.a));
}

void Raster::setBytes(int x, int y, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    uint8_t* p = &bytes_[(static_cast<size_t>(y) * width_ + x) * channels_];
    p[0] = r;
    p[1] = g;
    p[2] = b;
    if (channels_ == 4) p[3] = a;
}

Colour Raster::get(int x, int y) const {
    x = std::clamp(x, 0, width_ - 1);
    y = std::clamp(y, 0, height_ - 1);
    const uint8_t* p = &bytes_[(static_cast<size_t>(y) * width_ + x) * channels_];
    return {p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f, channels_ == 4 ? p[3] / 255.0f : 1.0f};
}

uint8_t Raster::byteAt(int x, int y, int ch) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || ch < 0 || ch >= channels_) return 0;
    return bytes_[(static_cast<size_t>(y) * width_ + x) * channels_ + ch];
}

} // namespace assetgen
