#include "assetgen/HeightmapPainter.h"

#include "assetgen/Noise.h"

#include <cmath>

namespace assetgen {

float HeightmapPainter::greyAt(float x, float z) {
    static const Noise hills(301), coast(302), seabed(303);
    const float r = std::sqrt(x * x + z * z);

    // The coastline wanders between about 240 and 320 units from the centre; the
    // shore falls from the hills to the sea floor over some 130 units.
    const float cx = r > 0.0f ? x / r : 1.0f, cz = r > 0.0f ? z / r : 0.0f;
    const float coastRadius = 280.0f + 60.0f * coast.fbm3(cx * 1.3f, cz * 1.3f, 0.5f, 3);
    const float land = 1.0f - smoothstep(coastRadius - 80.0f, coastRadius + 50.0f, r);

    // Rolling hills inland, a little higher in a ring around the village.
    const float ring = smoothstep(110.0f, 190.0f, r) * (1.0f - smoothstep(200.0f, 280.0f, r));
    const float inland = 188.0f + 40.0f * hills.fbm2(x / 150.0f + 3.7f, z / 150.0f - 1.3f, 4) +
                         22.0f * ring;
    const float sea = 48.0f + 14.0f * seabed.fbm2(x / 90.0f, z / 90.0f, 3);
    float grey = sea + (inland - sea) * land;

    // Flat plateau for the village, blended smoothly into the hills.
    const float ax = std::fabs(x), az = std::fabs(z);
    const float square = std::pow(ax * ax * ax * ax + az * az * az * az, 0.25f);
    const float plateau = 1.0f - smoothstep(PLATEAU_HALF_SIZE, PLATEAU_HALF_SIZE + 65.0f, square);
    grey += (PLATEAU_GREY - grey) * plateau;
    return grey < 0.0f ? 0.0f : (grey > 255.0f ? 255.0f : grey);
}

Raster HeightmapPainter::paint(int size) {
    Raster raster(size, size, 4);
    const float step = 800.0f / size;
    for (int pz = 0; pz < size; ++pz) {
        for (int px = 0; px < size; ++px) {
            const float grey = greyAt(-400.0f + px * step, -400.0f + pz * step);
            const uint8_t g = static_cast<uint8_t>(std::lround(grey));
            raster.setBytes(px, pz, g, g, g, 255);
        }
    }
    return raster;
}

} // namespace assetgen
