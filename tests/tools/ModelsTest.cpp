// The generated village models: the SGF writer read back by the engine's own
// reader, determinism and clean faces. How they stand in the village is checked
// on the demo scene.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "assetgen/Models.h"
#include "assetgen/SgfDocument.h"
#include "geometry/SGFFile.h"
#include "support/GLContext.h"

using assetgen::sgf::Vec2;
using assetgen::sgf::Vec3;
using zel::SGFFile;
using zel::Vector3;

namespace {

Vector3 normalOf(const Vector3* p) {
    return zel::cross(p[1] - p[0], p[2] - p[0]);
}

} // namespace

TEST(SgfWriterTest, ReaderSeesExactlyWhatWasWritten) {
    assetgen::sgf::Document doc("round trip");
    auto& first = doc.addMesh("first");
    // Corners chosen so that coordinates repeat (and are left out of the file).
    const Vec3 q[4] = {{0, 0, 0}, {2, 0, 0}, {2, 3, 0}, {0, 3, 0}};
    const Vec2 quv[4] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
    first.addQuad(q, quv, "x\\y\\plaster.jpg");
    const Vec3 t[3] = {{2, 3, 0}, {2, 3, -1.5}, {0, 3, 0}};
    const Vec2 tuv[3] = {{0.5, 0.25}, {0.75, 0.25}, {0.5, 0.5}};
    first.addTriangle(t, tuv, "plaster.jpg"); // same file name: left out of the file
    first.addTriangle(t, tuv, "door.jpg");
    const Vec3 s[3] = {{0, 0, 5}, {1, 0, 5}, {0, 1, 5}};
    doc.addMesh("second").addTriangle(s, tuv, "door.jpg"); // a new mesh starts without a texture name
    doc.addLight({1.5, 1.0, 0.5, 0.25, {1, 2, 3}});

    const SGFFile file(
        zeltest::writeFile(zeltest::scratchDir("models-roundtrip"), "roundtrip.sgf", doc.toXml()));
    ASSERT_EQ(2u, file.getMeshes().size());
    const zel::SGFMesh& m0 = file.getMeshes()[0];
    ASSERT_EQ(5u, m0.vertices.size());
    EXPECT_EQ(Vector3(2, 3, -1.5f), m0.vertices[4]);
    ASSERT_EQ(4u, m0.faces.size());
    // The quad is split into corners (1, 2, 3) and (3, 4, 1).
    const int* split = m0.faces[1].indices;
    EXPECT_EQ(std::vector<int>(split, split + 3), (std::vector<int>{2, 3, 0}));
    EXPECT_EQ(m0.faces[1].texCoords[2], zel::Vector2(0, 1));
    for (int f = 0; f < 4; ++f)
        EXPECT_EQ(f < 3 ? "plaster.jpg" : "door.jpg", m0.faces[f].texture) << f;
    const zel::SGFMesh& m1 = file.getMeshes()[1];
    ASSERT_EQ(1u, m1.faces.size());
    EXPECT_EQ("door.jpg", m1.faces[0].texture);
    ASSERT_EQ(1u, file.getLights().size());
    const zel::SGFLight& light = file.getLights()[0];
    EXPECT_EQ((std::vector<float>{light.scalar, light.blue, light.z}),
              (std::vector<float>{1.5f, 0.25f, 3.0f}));
}

// The library writes the bytes the build's generator wrote for the demo, and
// the engine's reader finds clean faces with the generated materials in them.
TEST(ModelsTest, EveryModelIsWrittenAsTheDemoHasItAndReadsCleanly) {
    EXPECT_EQ("", assetgen::buildModel("castle"));
    const std::string dir = zeltest::scratchDir("models-run");
    ASSERT_TRUE(assetgen::writeModels(dir));
    const std::set<std::string> materials = {
        "stone_wall.jpg", "plaster.jpg", "timber.jpg",     "roof_tiles.jpg",     "door.jpg",
        "window.jpg",     "cobbles.jpg", "well_stone.jpg", "fountain_water.jpg", "wood.jpg"};
    for (const std::string& name : assetgen::modelNames()) {
        SCOPED_TRACE(name);
        const std::string path = dir + "/data/models/" + name + ".sgf";
        EXPECT_EQ(zeltest::readFile(path), zeltest::readFile("../data/models/" + name + ".sgf"));
        const SGFFile file(path);
        ASSERT_TRUE(file.isLoaded());
        ASSERT_FALSE(file.getMeshes().empty());
        for (const zel::SGFMesh& mesh : file.getMeshes()) {
            ASSERT_FALSE(mesh.faces.empty());
            for (const zel::SGFFace& f : mesh.faces) {
                EXPECT_EQ(1u, materials.count(f.texture)) << f.texture;
                const Vector3 p[3] = {mesh.vertices.at(f.indices[0]), mesh.vertices.at(f.indices[1]),
                                      mesh.vertices.at(f.indices[2])};
                ASSERT_GT(normalOf(p).lengthSquared(), 4e-10f);
            }
        }
    }
    for (const std::string& texture : materials)
        EXPECT_TRUE(std::filesystem::exists("../data/textures/" + texture)) << texture;

    // A file standing where the models folder should be makes writing fail loudly.
    const std::string blocked = zeltest::scratchDir("models-blocked");
    std::ofstream(blocked + "/data") << "not a folder";
    bool ok = true;
    const std::string out = zeltest::captureStdout([&] { ok = assetgen::writeModels(blocked); });
    EXPECT_FALSE(ok);
    EXPECT_NE(std::string::npos, out.find("ERROR: [Models]"));
}
