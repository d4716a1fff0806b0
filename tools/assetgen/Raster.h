#pragma once
// An 8-bit-per-channel picture in memory, rows top first, channels R, G, B (and A).
// Every generator paints into a Raster; ImageWriter turns it into TGA, BMP or JPEG
// files. Also holds the small colour helpers the painters share.

#include <cstdint>
#include <vector>

namespace assetgen {

// A linear colour with components in 0..1 (values outside are clamped on store).
struct Colour {
    float r = 0.0f, g = 0.0f, b = 0.0f, a = 1.0f;
};

Colour mix(const Colour& x, const Colour& y, float t);
Colour scale(const Colour& c, float f);
Colour add(const Colour& x, const Colour& y);
// Colour from 0..255 byte values.
Colour rgb(int r, int g, int b, int a = 255);

float clamp01(float v);
float smoothstep(float edge0, float edge1, float x);

class Raster {
public:
    // channels is 3 (RGB) or 4 (RGBA); the picture starts black (alpha 255 when RGBA).
    Raster(int width, int height, int channels);

    int width() const { return width_; }
    int height() const { return height_; }
    int channels() const { return channels_; }

    // Pixel bytes, rows top first, width * channels bytes per row.
    const std::vector<uint8_t>& bytes() const { return bytes_; }

    void set(int x, int y, const Colour& c);
    void setBytes(int x, int y, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255);
    Colour get(int x, int y) const;
    // The byte of channel ch (0 = red) at pixel (x, y).
    uint8_t byteAt(int x, int y, int ch) const;

    // Fills every pixel from fn(x, y) -> Colour.
    template <typename Fn>
    void fill(Fn&& fn) {
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) set(x, y, fn(x, y));
    }

private:
    int width_;
    int height_;
    int channels_;
    std::vector<uint8_t> bytes_;
};

} // namespace assetgen
