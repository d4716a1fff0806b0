#include "environment/HeightmapLoader.h"

#include <cstdio>

#include "resources/Image.h"

namespace zel {

HeightmapLoader::HeightmapLoader() = default;

HeightmapLoader::~HeightmapLoader() = default;

bool HeightmapLoader::load(const std::string& fileName) {
    image_ = std::make_unique<Image>(fileName, false, 0, 0, 0);
    if (image_->format == ImageFormat::RGBA) {
        printf("INFO: [%s] Heightmap type: RGBA\n", "Terrain");
    }
    return image_->loaded;
}

bool HeightmapLoader::hasUsableImage() const {
    return image_ && image_->loaded && image_->data && image_->width > 0 && image_->height > 0 &&
           image_->bitsPerPixel / 8 > 0;
}

std::vector<Vector3> HeightmapLoader::createVertexGrid(const Vector3& origin, float heightScale, int countX,
                                                       int countZ, float sizeX, float sizeZ) const {
    if (!hasUsableImage()) {
        return sampleGrid(nullptr, 0, 0, 0, origin, heightScale, countX, countZ, sizeX, sizeZ);
    }
    return sampleGrid(image_->data.get(), image_->width, image_->height, image_->bitsPerPixel / 8, origin,
                      heightScale, countX, countZ, sizeX, sizeZ);
}

int HeightmapLoader::samplePosition(int index, int count, int size) {
    if (count <= 0 || size <= 0) return 0;
    if (index < 0) index = 0;
    if (index > count) index = count;
    const float ratio = static_cast<float>(index) / static_cast<float>(count);
    int position = static_cast<int>(ratio * static_cast<float>(size));
    // Float rounding (or index == count) could land on size itself.
    if (position > size - 1) position = size - 1;
    if (position < 0) position = 0;
    return position;
}

std::vector<Vector3> HeightmapLoader::sampleGrid(const unsigned char* pixels, int width, int height,
                                                 int bytesPerPixel, const Vector3& origin, float heightScale,
                                                 int countX, int countZ, float sizeX, float sizeZ) {
    std::vector<Vector3> grid;
    if (countX <= 0 || countZ <= 0) return grid;
    if (static_cast<long long>(countX) * countZ > MAX_GRID_VERTICES) return grid;
    const bool usable = pixels && width > 0 && height > 0 && bytesPerPixel > 0;
    const float stepX = sizeX / static_cast<float>(countX);
    const float stepZ = sizeZ / static_cast<float>(countZ);
    grid.reserve(static_cast<std::size_t>(countX) * static_cast<std::size_t>(countZ));
    for (int j = 0; j < countZ; ++j) {
        const int pz = usable ? samplePosition(j, countZ, height) : 0;
        for (int i = 0; i < countX; ++i) {
            float grey = 0.0f;
            if (usable) {
                const int px = samplePosition(i, countX, width);
                const std::size_t offset =
                    (static_cast<std::size_t>(pz) * static_cast<std::size_t>(width) + static_cast<std::size_t>(px)) *
                    static_cast<std::size_t>(bytesPerPixel);
                grey = static_cast<float>(pixels[offset]);
            }
            grid.emplace_back(origin.x + static_cast<float>(i) * stepX, origin.y + heightScale * grey,
                              origin.z + static_cast<float>(j) * stepZ);
        }
    }
    return grid;
}

} // namespace zel
