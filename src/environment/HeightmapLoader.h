#pragma once
// Reads a grey-scale heightmap image and samples it into a regular grid of
// world positions. The terrain uses it during construction and releases it
// afterwards. The sampling itself (sampleGrid) works on plain pixel memory, so
// it is usable without files or GL.

#include <memory>
#include <string>
#include <vector>

#include "math/Vector3.h"

namespace zel {

class Image;

class HeightmapLoader {
public:
    HeightmapLoader();
    virtual ~HeightmapLoader();
    HeightmapLoader(const HeightmapLoader&) = delete;
    HeightmapLoader& operator=(const HeightmapLoader&) = delete;

    // Loads the image exactly as stored (no conversion). Reports a 32-bit image
    // with "INFO: [Terrain] Heightmap type: RGBA". Returns the image's loaded flag.
    bool load(const std::string& fileName);

    // countX x countZ positions, row-major (column i, row j at j * countX + i):
    // (origin.x + i * sizeX / countX, origin.y + heightScale * grey, origin.z +
    // j * sizeZ / countZ), grey being the first byte of the sampled pixel. Without
    // a usable image every grey level is 0 (a flat grid at origin.y). Empty when
    // a count is not positive or the grid would be unreasonably large.
    std::vector<Vector3> createVertexGrid(const Vector3& origin, float heightScale, int countX, int countZ,
                                          float sizeX, float sizeZ) const;

    // True when an image is loaded and has pixels that can be sampled.
    bool hasUsableImage() const;
    // The loaded image, or null before load.
    const Image* getImage() const { return image_.get(); }

    // Pixel column (or row) sampled for grid index i of count: trunc(i / count *
    // size) in single precision, kept inside [0, size - 1].
    static int samplePosition(int index, int count, int size);
    // The sampling over rows of width pixels of bytesPerPixel bytes each; null
    // pixels (or a non-positive size) give a flat grid.
    static std::vector<Vector3> sampleGrid(const unsigned char* pixels, int width, int height, int bytesPerPixel,
                                           const Vector3& origin, float heightScale, int countX, int countZ,
                                           float sizeX, float sizeZ);

    // Largest grid (in vertices) createVertexGrid will allocate.
    static constexpr long long MAX_GRID_VERTICES = 16LL * 1024 * 1024;

private:
    std::unique_ptr<Image> image_;
};

} // namespace zel
