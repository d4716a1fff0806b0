// The generated village models: the SGF writer read back by the engine's own
// reader, determinism, the models placed as the demo scene places them (sizes,
// clearances, the fire in the hearth, the fountain under the particle emitter),
// and every model loaded through SGFMeshModel in a real GL context.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "assetgen/Models.h"
#include "assetgen/SgfDocument.h"
#include "engine/FrameDriver.h"
#include "geometry/SGFFile.h"
#include "geometry/SGFMeshModel.h"
#include "geometry/SingleTexturedMesh.h"
#include "geometry/Triangle.h"
#include "resources/Texture.h"
#include "support/EngineTest.h"

using assetgen::sgf::Document;
using assetgen::sgf::Vec2;
using assetgen::sgf::Vec3;
using zel::SGFFile;
using zel::Vector3;

namespace {

std::string writeScratch(const std::string& name, const std::string& text) {
    return zeltest::writeFile(zeltest::scratchDir("models-" + name), name + ".sgf", text);
}

// A document as the engine's reader sees it.
std::unique_ptr<SGFFile> readBack(const std::string& name, const Document& doc) {
    return std::make_unique<SGFFile>(writeScratch(name, doc.toXml()));
}

struct Tri {
    Vector3 p[3];
    std::string texture;
};

Vector3 normalOf(const Tri& t) { return zel::cross(t.p[1] - t.p[0], t.p[2] - t.p[0]); }

// Every face of every mesh as positions.
std::vector<Tri> triangles(const SGFFile& file) {
    std::vector<Tri> out;
    for (const zel::SGFMesh& mesh : file.getMeshes())
        for (const zel::SGFFace& f : mesh.faces)
            out.push_back({{mesh.vertices.at(f.indices[0]), mesh.vertices.at(f.indices[1]),
                            mesh.vertices.at(f.indices[2])}, f.texture});
    return out;
}

// Box of a set of triangles; axes 0, 1, 2 are x, y, z.
struct Box {
    float min[3] = {1e30f, 1e30f, 1e30f};
    float max[3] = {-1e30f, -1e30f, -1e30f};
    float size(int axis) const { return max[axis] - min[axis]; }
    float centre(int axis) const { return 0.5f * (min[axis] + max[axis]); }
    bool overlapsXZ(const Box& o) const {
        return min[0] < o.max[0] && o.min[0] < max[0] && min[2] < o.max[2] && o.min[2] < max[2];
    }
};

Box boxOf(const std::vector<Tri>& tris) {
    Box b;
    for (const Tri& t : tris)
        for (const Vector3& p : t.p)
            for (int a = 0; a < 3; ++a) {
                const float c = a == 0 ? p.x : a == 1 ? p.y : p.z;
                b.min[a] = std::min(b.min[a], c);
                b.max[a] = std::max(b.max[a], c);
            }
    return b;
}

// The triangles scaled by s and stood with their box's bottom centre on target.
std::vector<Tri> place(std::vector<Tri> tris, const Vector3& target, float scale) {
    for (Tri& t : tris)
        for (Vector3& p : t.p) p = p * scale;
    const Box b = boxOf(tris);
    const Vector3 offset(target.x - b.centre(0), target.y - b.min[1], target.z - b.centre(2));
    for (Tri& t : tris)
        for (Vector3& p : t.p) p = p + offset;
    return tris;
}

std::map<std::string, std::unique_ptr<SGFFile>> readAllModels() {
    std::map<std::string, std::unique_ptr<SGFFile>> files;
    for (const std::string& name : assetgen::modelNames())
        files[name] = std::make_unique<SGFFile>(writeScratch(name, assetgen::buildModel(name)));
    return files;
}

const float GROUND = -1.5f;

} // namespace

// ------------------------------------------------------------------ writer

TEST(SgfWriterTest, ReaderSeesExactlyWhatWasWritten) {
    Document doc("round trip");
    auto& first = doc.addMesh("first");
    // Corners chosen so that coordinates repeat (and are left out of the file).
    const Vec3 q[4] = {{0, 0, 0}, {2, 0, 0}, {2, 3, 0}, {0, 3, 0}};
    const Vec2 quv[4] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
    first.addQuad(q, quv, "x\\y\\plaster.jpg");
    const Vec3 t[3] = {{2, 3, 0}, {2, 3, -1.5}, {0, 3, 0}};
    const Vec2 tuv[3] = {{0.5, 0.25}, {0.75, 0.25}, {0.5, 0.5}};
    first.addTriangle(t, tuv, "plaster.jpg"); // same file name: not repeated in the file
    first.addTriangle(t, tuv, "door.jpg");
    auto& second = doc.addMesh("second");
    const Vec3 s[3] = {{0, 0, 5}, {1, 0, 5}, {0, 1, 5}};
    second.addTriangle(s, tuv, "door.jpg"); // a new mesh starts without a texture name
    doc.addLight({1.5, 1.0, 0.5, 0.25, {1, 2, 3}});

    const std::string xml = doc.toXml();
    size_t textureElements = 0;
    for (size_t at = xml.find("<texture>"); at != std::string::npos; at = xml.find("<texture>", at + 1)) {
        ++textureElements;
    }
    EXPECT_EQ(3u, textureElements) << "the repeated plaster is left out, the new mesh's door kept";

    auto file = readBack("roundtrip", doc);
    ASSERT_EQ(2u, file->getMeshes().size());
    const zel::SGFMesh& m0 = file->getMeshes()[0];
    ASSERT_EQ(5u, m0.vertices.size());
    EXPECT_EQ(Vector3(2, 3, -1.5f), m0.vertices[4]);
    ASSERT_EQ(4u, m0.faces.size());
    // The quad is split into corners (1, 2, 3) and (3, 4, 1).
    const int* split = m0.faces[1].indices;
    EXPECT_TRUE(split[0] == 2 && split[1] == 3 && split[2] == 0);
    EXPECT_TRUE(m0.faces[1].texCoords[1] == zel::Vector2(0, 0) && m0.faces[1].texCoords[2] == zel::Vector2(0, 1));
    EXPECT_EQ(zel::Vector2(0.75f, 0.25f), m0.faces[2].texCoords[1]);
    for (int f = 0; f < 4; ++f) EXPECT_EQ(f < 3 ? "plaster.jpg" : "door.jpg", m0.faces[f].texture) << f;
    const zel::SGFMesh& m1 = file->getMeshes()[1];
    ASSERT_EQ(1u, m1.faces.size());
    EXPECT_EQ(Vector3(0, 1, 5), m1.vertices.at(2));
    EXPECT_EQ("door.jpg", m1.faces[0].texture);
    ASSERT_EQ(1u, file->getLights().size());
    const zel::SGFLight& light = file->getLights()[0];
    EXPECT_TRUE(light.scalar == 1.5f && light.blue == 0.25f && light.z == 3.0f);
}

// ------------------------------------------------------------------ models

TEST(ModelsTest, DeterministicAndWrittenIntoTheRunLayout) {
    ASSERT_EQ(6u, assetgen::modelNames().size());
    EXPECT_EQ("", assetgen::buildModel("castle"));

    const std::string dir = zeltest::scratchDir("models-run");
    ASSERT_TRUE(assetgen::writeModels(dir));
    for (const std::string& name : assetgen::modelNames()) {
        SCOPED_TRACE(name);
        const std::string text = assetgen::buildModel(name);
        EXPECT_EQ(text, assetgen::buildModel(name));
        EXPECT_EQ(text, zeltest::readFile(dir + "/data/models/" + name + ".sgf"));
        // The build's generator wrote the same bytes for the demo.
        EXPECT_EQ(text, zeltest::readFile("../data/models/" + name + ".sgf"));
    }

    // A file standing where the models folder should be makes writing fail loudly.
    const std::string blocked = zeltest::scratchDir("models-blocked");
    std::ofstream(blocked + "/data") << "not a folder";
    bool ok = true;
    const std::string out = zeltest::captureStdout([&] { ok = assetgen::writeModels(blocked); });
    EXPECT_FALSE(ok);
    EXPECT_NE(std::string::npos, out.find("ERROR: [Models]"));
}

TEST(ModelsTest, EveryModelReadsCleanly) {
    const std::set<std::string> materials = {
        "stone_wall.jpg", "plaster.jpg", "timber.jpg",  "roof_tiles.jpg",     "door.jpg",
        "window.jpg",     "cobbles.jpg", "well_stone.jpg", "fountain_water.jpg", "wood.jpg"};
    bool quads = false, triangleFaces = false, backslashes = false;
    size_t lights = 0;
    auto files = readAllModels();
    for (const auto& [name, file] : files) {
        SCOPED_TRACE(name);
        const std::string xml = assetgen::buildModel(name);
        quads = quads || xml.find("<quad>") != std::string::npos;
        triangleFaces = triangleFaces || xml.find("<triangle>") != std::string::npos;
        backslashes = backslashes || xml.find("\\") != std::string::npos;
        lights += file->getLights().size();
        ASSERT_TRUE(file->isLoaded());
        ASSERT_FALSE(file->getMeshes().empty());
        for (const zel::SGFMesh& mesh : file->getMeshes()) {
            ASSERT_FALSE(mesh.faces.empty());
            for (const zel::SGFFace& f : mesh.faces) EXPECT_EQ(1u, materials.count(f.texture)) << f.texture;
        }
        for (const Tri& t : triangles(*file)) ASSERT_GT(normalOf(t).lengthSquared(), 4e-10f);
    }
    EXPECT_TRUE(quads);
    EXPECT_TRUE(triangleFaces);
    EXPECT_TRUE(backslashes);
    EXPECT_GE(lights, 2u);
    for (const std::string& texture : materials)
        EXPECT_TRUE(std::filesystem::exists("../data/textures/" + texture)) << texture;
}

TEST(ModelsTest, VillageFitsTheScene) {
    auto files = readAllModels();
    const struct {
        std::string model;
        Vector3 at;
        float scale;
    } scene[] = {
        {"wall", {0, GROUND, 0}, 1.0f},         {"house", {0, GROUND, 0}, 1.0f},
        {"well", {10, GROUND, 10}, 0.5f},       {"fountain", {-10, GROUND, 20}, 0.6f},
        {"house", {10, GROUND, -10}, 1.0f},     {"house", {20, GROUND, 20}, 1.0f},
        {"house", {10, GROUND, 20}, 1.0f},      {"house", {-20, GROUND, 20}, 1.0f},
        {"house", {-20, GROUND, -15}, 1.0f},    {"house", {-20, GROUND, -25}, 1.0f},
        {"tower", {30, GROUND, -30}, 1.0f},     {"fireplace", {20, GROUND + 0.01f, 5}, 0.4f},
    };
    std::vector<Box> boxes;
    std::map<std::string, std::vector<Tri>> placed;
    size_t triangleTotal = 0;
    for (const auto& p : scene) {
        const std::vector<Tri> tris = place(triangles(*files[p.model]), p.at, p.scale);
        boxes.push_back(boxOf(tris));
        placed[p.model] = tris;
        triangleTotal += tris.size();
    }
    EXPECT_LT(triangleTotal, 20000u);

    // The wall rings the village (about 90 units across); the tower stands out over the roofs.
    EXPECT_NEAR(90.0f, boxes[0].size(0), 5.0f);
    EXPECT_NEAR(0.0f, boxes[0].centre(2), 0.01f);
    EXPECT_GT(boxes[10].size(1), 1.8f * boxes[1].size(1));

    // Everything inside the ring, clear of each other and of the gate's road.
    for (size_t i = 1; i < boxes.size(); ++i) {
        SCOPED_TRACE(scene[i].model + " #" + std::to_string(i));
        EXPECT_NEAR(GROUND + (i == 11 ? 0.01f : 0.0f), boxes[i].min[1], 1e-4f);
        for (int axis : {0, 2}) {
            EXPECT_GT(boxes[i].min[axis], -42.0f);
            EXPECT_LT(boxes[i].max[axis], 42.0f);
        }
        Box road;
        road.min[0] = -2.5f, road.max[0] = 2.5f, road.min[2] = 30.0f, road.max[2] = 48.0f;
        EXPECT_FALSE(boxes[i].overlapsXZ(road));
        for (size_t j = i + 1; j < boxes.size(); ++j)
            EXPECT_FALSE(boxes[i].overlapsXZ(boxes[j])) << "overlaps " << scene[j].model;
    }

    // The fountain's spout ends just below the particle emitter at (-10, 2.5, 20)
    // and its rim stands about one unit above y = 0.
    const Box& fountain = boxes[3];
    EXPECT_LT(fountain.max[1], 2.5f);
    EXPECT_GT(fountain.max[1], 2.3f);
    float rim = -1e30f;
    for (const Tri& t : placed["fountain"])
        for (const Vector3& p : t.p)
            if (std::hypot(p.x + 10.0f, p.z - 20.0f) > 2.5f) rim = std::max(rim, p.y);
    EXPECT_NEAR(1.0f, rim, 0.2f);

    // The flame (centre (20.5, -0.5, 5.7), two units tall) stands on the hearth's
    // floor, and no stone comes within a unit of its axis.
    bool floorUnderFlame = false;
    for (const Tri& t : placed["fireplace"]) {
        const Vector3 n = normalOf(t);
        if (t.texture == "wood.jpg") continue;
        if (n.y > 0 && std::fabs(t.p[0].y - (GROUND + 0.01f)) < 1e-3f) {
            zel::Triangle tri;
            std::copy(t.p, t.p + 3, tri.positions);
            floorUnderFlame = floorUnderFlame || zel::pointInTriangle(Vector3(20.5f, t.p[0].y, 5.7f), tri);
        }
        for (const Vector3& p : t.p)
            if (p.y > GROUND + 0.05f) {
                EXPECT_GT(std::hypot(p.x - 20.5f, p.z - 5.7f), 1.0f) << t.texture << " at " << p.y;
            }
    }
    EXPECT_TRUE(floorUnderFlame);
}

// ------------------------------------------------------------------ engine loading

using ModelsGLTest = zeltest::EngineTest;

TEST_F(ModelsGLTest, EveryModelLoadsThroughTheEngine) {
    for (const std::string& name : assetgen::modelNames()) {
        SCOPED_TRACE(name);
        const std::string path = writeScratch(name, assetgen::buildModel(name));
        const SGFFile reader(path);
        std::unique_ptr<zel::SGFMeshModel> model;
        const std::string out = zeltest::captureStdout(
            [&] { model = zel::SGFMeshModel::load(path, Vector3(5, GROUND, -5), 1.0f); });
        EXPECT_EQ(std::string::npos, out.find("ERROR")) << out;
        EXPECT_EQ(std::string::npos, out.find("WARNING")) << out;
        ASSERT_EQ(reader.getMeshes().size(), model->getMeshes().size());
        ASSERT_NE(nullptr, model->getBoundingBox());
        const zel::BoundingBox& box = *model->getBoundingBox();
        EXPECT_NEAR(GROUND, box.minY, 1e-4f);
        EXPECT_NEAR(5.0f, 0.5f * (box.minX + box.maxX), 1e-3f);
        EXPECT_NEAR(-5.0f, 0.5f * (box.minZ + box.maxZ), 1e-3f);

        // Every mesh keeps to one texture, so none falls back to a display list.
        for (size_t i = 0; i < model->getMeshes().size(); ++i) {
            const zel::Mesh& mesh = *model->getMeshes()[i];
            EXPECT_EQ(reader.getMeshes()[i].faces.size(), mesh.getTriangles().size());
            const auto* single = dynamic_cast<const zel::SingleTexturedMesh*>(&mesh);
            ASSERT_NE(nullptr, single) << "mesh " << i << " mixes textures";
            ASSERT_NE(nullptr, single->getTexture());
            EXPECT_EQ(reader.getMeshes()[i].faces[0].texture, single->getTexture()->getName());
        }
    }
}
