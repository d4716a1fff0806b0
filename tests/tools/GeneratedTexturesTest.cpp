// The generated textures as the engine's Image decodes them, written by the library and
// by the build into the run layout (whose bytes the asset manifest pins). The font is
// checked on screen by the overlay tests, the catalogue by the demo's, which load it all.
#include "assetgen/Catalogue.h"
#include "assetgen/CubeFaces.h"
#include "assetgen/TextureSet.h"

#include "resources/Image.h"
#include "support/GLContext.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace assetgen;

namespace {

std::unique_ptr<zel::Image> loadImage(const std::string& path) {
    std::unique_ptr<zel::Image> image;
    zeltest::captureStdout([&] { image = std::make_unique<zel::Image>(path, false, 0, 0, 0); });
    return image;
}

int channel(const zel::Image& image, int x, int y, int c) {
    return image.data[(static_cast<size_t>(y) * image.width + x) * image.getBytesPerPixel() + c];
}

// The textures as the build wrote them into the run layout with the generator
// program; the first test below proves they equal what the library writes.
std::string runDir() {
    return std::string(ZEL_RUN_BIN) + "/..";
}

std::string texture(const std::string& name) {
    return TextureSet::textureDir(runDir()) + name;
}

} // namespace

// The build ran the generator program into the run layout: the library writes
// the same bytes again.
TEST(GeneratedTextures, EveryFileIsWrittenWithTheSameBytesOnEveryRunAndLoads) {
    const std::string run = zeltest::scratchDir("assets");
    ASSERT_TRUE(TextureSet::writeAll(run) && Catalogue::write(run));
    for (const std::string& name : TextureSet::fileNames()) {
        SCOPED_TRACE(name);
        const std::string a = zeltest::readFile(TextureSet::textureDir(run) + name);
        ASSERT_FALSE(a.empty());
        EXPECT_TRUE(a == zeltest::readFile(texture(name)));

        auto image = loadImage(texture(name));
        ASSERT_TRUE(image->loaded);
        EXPECT_EQ(image->width & (image->width - 1), 0);
        EXPECT_EQ(image->height & (image->height - 1), 0);
    }
    const std::string catalogue = zeltest::readFile(run + "/textures.xml");
    EXPECT_FALSE(catalogue.empty());
    EXPECT_EQ(catalogue, zeltest::readFile(runDir() + "/textures.xml"));
}

// Walks every border texel of every face, finds the texel of the neighbouring
// face that looks in nearly the same direction, and compares colours.
static void checkSeams(const std::string& prefix, CubeLayout layout) {
    std::unique_ptr<zel::Image> faces[CubeFaces::FACE_COUNT];
    for (int f = 0; f < CubeFaces::FACE_COUNT; ++f) {
        faces[f] = loadImage(texture(prefix + CubeFaces::name(CubeFaces::face(f)) + ".jpg"));
        ASSERT_TRUE(faces[f]->loaded);
    }
    const int n = faces[0]->width;
    double total = 0.0;
    long count = 0;
    for (int f = 0; f < CubeFaces::FACE_COUNT; ++f) {
        for (int i = 0; i < n; ++i) {
            for (int side = 0; side < 4; ++side) {
                const int x = side == 0 ? 0 : side == 1 ? n - 1 : i;
                const int y = side == 2 ? 0 : side == 3 ? n - 1 : i;
                const Direction d =
                    CubeFaces::direction(layout, CubeFaces::face(f), (x + 0.5f) / n, (y + 0.5f) / n);
                // The neighbour is the other face this direction lands closest to.
                int best = -1;
                float bestExcess = 1e9f, bu = 0, bv = 0;
                for (int g = 0; g < CubeFaces::FACE_COUNT; ++g) {
                    float u, v;
                    if (g == f || !CubeFaces::project(layout, CubeFaces::face(g), d, u, v))
                        continue;
                    const float excess = std::fmax(std::fmax(-u, u - 1.0f), std::fmax(-v, v - 1.0f));
                    if (excess < bestExcess) {
                        bestExcess = excess;
                        best = g;
                        bu = u;
                        bv = v;
                    }
                }
                ASSERT_LT(bestExcess, 1.5f / n);
                const int nx = std::min(n - 1, std::max(0, static_cast<int>(bu * n)));
                const int ny = std::min(n - 1, std::max(0, static_cast<int>(bv * n)));
                for (int c = 0; c < 3; ++c) {
                    const int diff = std::abs(channel(*faces[f], x, y, c) - channel(*faces[best], nx, ny, c));
                    total += diff;
                    ++count;
                }
            }
        }
    }
    // Across an edge the two texels are about one texel apart: only the image's
    // own gradient and JPEG error separate them.
    EXPECT_LT(total / count, 3.0);
}

TEST(GeneratedTextures, SkyAndReflectionCubeFacesMeetWithoutSeams) {
    checkSeams("sky_", CubeLayout::SkyBox);
    checkSeams("water_", CubeLayout::CubeMap);
}

TEST(GeneratedTextures, HeightmapIsAGreyIslandWithAFlatVillagePlateau) {
    auto map = loadImage(texture("heightmap.tga"));
    ASSERT_TRUE(map->loaded);
    ASSERT_EQ(map->format, zel::ImageFormat::RGBA);
    // The terrain's 100 x 100 grid reads pixel (trunc(i / 100 * W), trunc(j / 100 * H))
    // for vertex (i, j) at world (-400 + 8 i, -400 + 8 j), grey g at height -20 + 0.1 g.
    auto grey = [&](int i, int j) {
        const int px = static_cast<int>((static_cast<float>(i) / 100.0f) * map->width);
        const int pz = static_cast<int>((static_cast<float>(j) / 100.0f) * map->height);
        EXPECT_TRUE(channel(*map, px, pz, 0) == channel(*map, px, pz, 2) && channel(*map, px, pz, 3) == 255);
        return channel(*map, px, pz, 0);
    };
    int highest = 0, steepest = 0;
    for (int j = 0; j < 100; ++j)
        for (int i = 0; i < 100; ++i) {
            const int g = grey(i, j);
            highest = std::max(highest, g);
            if (i > 0)
                steepest = std::max(steepest, std::abs(g - grey(i - 1, j)));
            if (j > 0)
                steepest = std::max(steepest, std::abs(g - grey(i, j - 1)));
            // Vertices 44..56 span x and z from -48 to 48: the walled village and a margin.
            if (i >= 44 && i <= 56 && j >= 44 && j <= 56) {
                ASSERT_EQ(g, 185) << i << "," << j;
            }
            // Every vertex on the outer rows and columns lies below the sea (grey 100).
            if (i < 3 || j < 3 || i > 96 || j > 96) {
                ASSERT_LT(g, 100) << i << "," << j;
            }
        }
    EXPECT_GT(highest, 200); // there are hills above the plateau
    EXPECT_LE(steepest, 25); // at most 2.5 units of rise per 8-unit grid step
}
