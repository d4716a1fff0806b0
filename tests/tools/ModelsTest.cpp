// The generated village models: the SGF writer read back by the engine's own
// reader, the building blocks' face orientation and openings, determinism, and
// the models placed as the demo scene places them (sizes, clearances, the fire
// in the hearth, the fountain under the particle emitter). The last group loads
// every model through SGFMeshModel with a real GL context.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>

#include "assetgen/Models.h"
#include "assetgen/SgfBuilder.h"
#include "assetgen/SgfDocument.h"
#include "engine/FrameDriver.h"
#include "geometry/SGFFile.h"
#include "geometry/SGFMeshModel.h"
#include "geometry/SingleTexturedMesh.h"
#include "geometry/Triangle.h"
#include "resources/Texture.h"
#include "support/GLContext.h"

using assetgen::sgf::Builder;
using assetgen::sgf::Document;
using assetgen::sgf::Material;
using assetgen::sgf::Opening;
using assetgen::sgf::Vec2;
using assetgen::sgf::Vec3;
using zel::SGFFile;
using zel::Vector3;

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string writeScratch(const std::string& name, const std::string& text) {
    const std::string path = zeltest::scratchDir("models-" + name) + "/" + name + ".sgf";
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

// A document as the engine's reader sees it.
std::unique_ptr<SGFFile> readBack(const std::string& name, const Document& doc) {
    return std::make_unique<SGFFile>(writeScratch(name, doc.toXml()));
}

struct Tri {
    Vector3 p[3];
    std::string texture;
};

Vector3 sub(const Vector3& a, const Vector3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

Vector3 normalOf(const Tri& t) { return zel::cross(sub(t.p[1], t.p[0]), sub(t.p[2], t.p[0])); }

Vector3 centroid(const Tri& t) {
    return {(t.p[0].x + t.p[1].x + t.p[2].x) / 3, (t.p[0].y + t.p[1].y + t.p[2].y) / 3,
            (t.p[0].z + t.p[1].z + t.p[2].z) / 3};
}

float area(const Tri& t) { return 0.5f * std::sqrt(normalOf(t).lengthSquared()); }

// Every face of every mesh as positions; indices are expected to be valid.
std::vector<Tri> triangles(const SGFFile& file, int meshIndex = -1) {
    std::vector<Tri> out;
    for (size_t m = 0; m < file.getMeshes().size(); ++m) {
        if (meshIndex >= 0 && static_cast<int>(m) != meshIndex) continue;
        const zel::SGFMesh& mesh = file.getMeshes()[m];
        for (const zel::SGFFace& f : mesh.faces) {
            Tri t;
            for (int i = 0; i < 3; ++i) t.p[i] = mesh.vertices.at(f.indices[i]);
            t.texture = f.texture;
            out.push_back(t);
        }
    }
    return out;
}

// Box of a set of triangles after scaling by s and standing it at target.
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
    for (const Tri& t : tris) {
        for (const Vector3& p : t.p) {
            const float c[3] = {p.x, p.y, p.z};
            for (int a = 0; a < 3; ++a) {
                b.min[a] = std::min(b.min[a], c[a]);
                b.max[a] = std::max(b.max[a], c[a]);
            }
        }
    }
    return b;
}

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
    for (const std::string& name : assetgen::modelNames()) {
        files[name] = std::make_unique<SGFFile>(writeScratch(name, assetgen::buildModel(name)));
    }
    return files;
}

const float GROUND = -1.5f;

} // namespace

// ------------------------------------------------------------------ writer

TEST(SgfWriterTest, NumbersAndTexturePaths) {
    using assetgen::sgf::formatNumber;
    using assetgen::sgf::textureFileName;
    EXPECT_EQ("1.5", formatNumber(1.5));
    EXPECT_EQ("2", formatNumber(2.0));
    EXPECT_EQ("-3.25", formatNumber(-3.25));
    EXPECT_EQ("0.1235", formatNumber(0.12346));
    EXPECT_EQ("0", formatNumber(-0.00001));
    EXPECT_EQ("100", formatNumber(100.0));
    EXPECT_EQ("c.jpg", textureFileName("a\\b\\c.jpg"));
    EXPECT_EQ("a/b/c.jpg", textureFileName("a/b/c.jpg"));
    EXPECT_EQ("c.jpg", textureFileName("c.jpg"));
}

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
    EXPECT_EQ(Vector3(0, 3, 0), m0.vertices[3]);
    ASSERT_EQ(4u, m0.faces.size());
    // The quad is split into corners (1, 2, 3) and (3, 4, 1).
    EXPECT_EQ(0, m0.faces[0].indices[0]);
    EXPECT_EQ(2, m0.faces[0].indices[2]);
    EXPECT_EQ(2, m0.faces[1].indices[0]);
    EXPECT_EQ(3, m0.faces[1].indices[1]);
    EXPECT_EQ(0, m0.faces[1].indices[2]);
    EXPECT_EQ(zel::Vector2(0, 0), m0.faces[1].texCoords[1]);
    EXPECT_EQ(zel::Vector2(0, 1), m0.faces[1].texCoords[2]);
    EXPECT_EQ("plaster.jpg", m0.faces[0].texture);
    EXPECT_EQ("plaster.jpg", m0.faces[2].texture);
    EXPECT_EQ("door.jpg", m0.faces[3].texture);
    EXPECT_EQ(zel::Vector2(0.75f, 0.25f), m0.faces[2].texCoords[1]);
    const zel::SGFMesh& m1 = file->getMeshes()[1];
    ASSERT_EQ(3u, m1.vertices.size());
    EXPECT_EQ(Vector3(0, 0, 5), m1.vertices[0]);
    EXPECT_EQ(Vector3(0, 1, 5), m1.vertices[2]);
    ASSERT_EQ(1u, m1.faces.size());
    EXPECT_EQ("door.jpg", m1.faces[0].texture);
    ASSERT_EQ(1u, file->getLights().size());
    EXPECT_FLOAT_EQ(1.5f, file->getLights()[0].scalar);
    EXPECT_FLOAT_EQ(0.25f, file->getLights()[0].blue);
    EXPECT_FLOAT_EQ(3.0f, file->getLights()[0].z);
}

// ------------------------------------------------------------------ building blocks

TEST(SgfBuilderTest, SolidsFaceOutwardsAndNeverDegenerate) {
    const Builder b(1.0);
    const Material m{"stone_wall.jpg", 2.0};
    struct Solid {
        const char* what;
        std::function<void(assetgen::sgf::Mesh&)> build;
        Vector3 centre;
        bool inward;
        size_t faces;
    };
    const std::vector<Solid> solids = {
        {"box", [&](auto& mesh) { b.box(mesh, {1, 2, 3}, {2, 4, 7}, m); }, {1.5f, 3, 5}, false, 12},
        {"left-handed box",
         [&](auto& mesh) { b.orientedBox(mesh, {0, 0, 0}, {0, 0, 1}, {0, 1, 0}, {1, 0, 0}, m, Builder::NO_BOTTOM); },
         {0.5f, 0.5f, 0.5f}, false, 10},
        {"beam", [&](auto& mesh) { b.beam(mesh, {0, 0, 0}, {3, 2, 0}, 0.2, {0, 0, 1}, m); },
         {1.5f, 1, 0}, false, 12},
        {"cylinder", [&](auto& mesh) { b.cylinderSide(mesh, {5, 0, 5}, 2, 0, 2, 3, 8, 0.3, m); },
         {5, 1.5f, 5}, false, 16},
        {"shaft inside", [&](auto& mesh) { b.cylinderSide(mesh, {0, 0, 0}, 2, 0, 2, 3, 8, 0, m, true); },
         {0, 1.5f, 0}, true, 16},
        {"cone", [&](auto& mesh) { b.cylinderSide(mesh, {0, 0, 0}, 2, 1, 0, 4, 12, 0, m); },
         {0, 1.5f, 0}, false, 12},
        {"log", [&](auto& mesh) { b.cylinderAlong(mesh, {0, 1, 0}, {2, 1.5, 1}, 0.3, 6, m); },
         {1, 1.25f, 0.5f}, false, 24},
        {"ring stone", [&](auto& mesh) { b.ringSector(mesh, {0, 0, 0}, 2, 3, 0.2, 0.9, 0, 1, m); },
         {2.5f * std::cos(0.55f), 0.5f, 2.5f * std::sin(0.55f)}, false, 10},
    };
    for (const Solid& solid : solids) {
        SCOPED_TRACE(solid.what);
        Document doc("solid");
        solid.build(doc.addMesh("solid"));
        auto file = readBack("solid", doc);
        const std::vector<Tri> tris = triangles(*file);
        EXPECT_EQ(solid.faces, tris.size());
        for (const Tri& t : tris) {
            EXPECT_GT(area(t), 1e-4f);
            const float facing = normalOf(t).dot(sub(centroid(t), solid.centre));
            if (solid.inward) {
                EXPECT_LT(facing, 0.0f);
            } else {
                EXPECT_GT(facing, 0.0f);
            }
        }
    }
}

TEST(SgfBuilderTest, WallPanelLeavesItsOpeningsOpen) {
    const Builder b(1.0);
    Document doc("wall");
    auto& wall = doc.addMesh("wall");
    auto& reveals = doc.addMesh("reveals");
    auto& panes = doc.addMesh("panes");
    // A panel 6 wide, 1 to 4 high, facing +z; a door with a window above it in
    // the same column, and a separate window.
    const std::vector<Opening> openings = {{1, 2, 1, 3}, {1.2, 1.8, 3.3, 3.8}, {3.5, 5, 2, 3}};
    b.wallWithOpenings(wall, {-3, 0, 1}, {1, 0, 0}, 6, 1, 4, openings, {"plaster.jpg", 3});
    for (const Opening& o : openings) {
        b.recess(reveals, {"timber.jpg", 2}, panes, "window.jpg", {-3, 0, 1}, {1, 0, 0}, o, 0.2);
    }
    auto file = readBack("panel", doc);
    const std::vector<Tri> tris = triangles(*file, 0);
    float total = 0;
    for (const Tri& t : tris) {
        total += area(t);
        EXPECT_GT(normalOf(t).z, 0.0f);
        const Vector3 c = centroid(t);
        for (const Opening& o : openings) {
            const bool inside = c.x + 3 > o.u0 && c.x + 3 < o.u1 && c.y > o.y0 && c.y < o.y1;
            EXPECT_FALSE(inside) << "wall face inside an opening at " << c.x << ", " << c.y;
        }
    }
    EXPECT_NEAR(18.0f - 2.0f - 0.3f - 1.5f, total, 1e-3f);

    // Four reveals per opening, pointing into the opening; one pane each, set
    // back by the depth and carrying the whole texture.
    EXPECT_EQ(openings.size() * 4 * 2, triangles(*file, 1).size());
    const std::vector<Tri> paneTris = triangles(*file, 2);
    ASSERT_EQ(openings.size() * 2, paneTris.size());
    for (const Tri& t : paneTris) {
        EXPECT_FLOAT_EQ(0.8f, t.p[0].z);
        EXPECT_GT(normalOf(t).z, 0.0f);
    }
    const zel::SGFFace& pane = file->getMeshes()[2].faces[0];
    EXPECT_EQ(zel::Vector2(0, 1), pane.texCoords[0]);
    EXPECT_EQ(zel::Vector2(1, 0), pane.texCoords[2]);
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
        EXPECT_EQ(text, readFile(dir + "/data/models/" + name + ".sgf"));
        // The build's generator wrote the same bytes for the demo.
        EXPECT_EQ(text, readFile("../data/models/" + name + ".sgf"));
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
            for (const zel::SGFFace& f : mesh.faces) {
                for (int i = 0; i < 3; ++i) {
                    ASSERT_GE(f.indices[i], 0);
                    ASSERT_LT(f.indices[i], static_cast<int>(mesh.vertices.size()));
                }
                EXPECT_EQ(1u, materials.count(f.texture)) << f.texture;
            }
        }
        for (const Tri& t : triangles(*file)) {
            ASSERT_GT(area(t), 1e-5f);
        }
    }
    EXPECT_TRUE(quads);
    EXPECT_TRUE(triangleFaces);
    EXPECT_TRUE(backslashes);
    EXPECT_GE(lights, 2u);
    for (const std::string& texture : materials) {
        EXPECT_TRUE(std::filesystem::exists("../data/textures/" + texture)) << texture;
    }
}

TEST(ModelsTest, VillageFitsTheScene) {
    auto files = readAllModels();
    struct Placement {
        std::string model;
        Vector3 at;
        float scale;
    };
    const std::vector<Placement> scene = {
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
    for (const Placement& p : scene) {
        const std::vector<Tri> tris = place(triangles(*files[p.model]), p.at, p.scale);
        boxes.push_back(boxOf(tris));
        placed[p.model] = tris;
        triangleTotal += tris.size();
    }
    EXPECT_LT(triangleTotal, 20000u);

    const Box& wall = boxes[0];
    EXPECT_NEAR(90.0f, wall.size(0), 5.0f);
    EXPECT_NEAR(90.0f, wall.size(2), 5.0f);
    EXPECT_NEAR(0.0f, wall.centre(0), 0.01f);
    EXPECT_NEAR(0.0f, wall.centre(2), 0.01f);
    const Box& house = boxes[1];
    EXPECT_NEAR(8.0f, house.size(0), 0.5f);
    EXPECT_GE(house.size(1), 6.0f);
    EXPECT_LE(house.size(1), 7.0f);
    EXPECT_GT(boxes[10].size(1), 1.8f * house.size(1)) << "the tower stands out over the roofs";
    EXPECT_LE(std::max(boxes[2].size(0), boxes[2].size(2)), 3.5f) << "well";

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
        for (size_t j = i + 1; j < boxes.size(); ++j) {
            EXPECT_FALSE(boxes[i].overlapsXZ(boxes[j])) << "overlaps " << scene[j].model;
        }
    }

    // The fountain's spout ends just below the particle emitter at (-10, 2.5, 20)
    // and its rim stands about one unit above y = 0.
    const Box& fountain = boxes[3];
    EXPECT_LT(fountain.max[1], 2.5f);
    EXPECT_GT(fountain.max[1], 2.3f);
    float rim = -1e30f;
    for (const Tri& t : placed["fountain"]) {
        for (const Vector3& p : t.p) {
            if (std::hypot(p.x + 10.0f, p.z - 20.0f) > 2.5f) rim = std::max(rim, p.y);
        }
    }
    EXPECT_NEAR(1.0f, rim, 0.2f);

    // The flame (centre (20.5, -0.5, 5.7), two units tall) stands on the hearth's
    // floor, and no stone comes within a unit of its axis.
    bool floorUnderFlame = false;
    for (const Tri& t : placed["fireplace"]) {
        const Vector3 n = normalOf(t);
        if (t.texture == "wood.jpg") continue;
        if (n.y > 0 && std::fabs(t.p[0].y - (GROUND + 0.01f)) < 1e-3f) {
            zel::Triangle tri;
            for (int i = 0; i < 3; ++i) tri.positions[i] = t.p[i];
            floorUnderFlame = floorUnderFlame ||
                              zel::pointInTriangle(Vector3(20.5f, t.p[0].y, 5.7f), tri);
        }
        for (const Vector3& p : t.p) {
            if (p.y > GROUND + 0.05f) {
                EXPECT_GT(std::hypot(p.x - 20.5f, p.z - 5.7f), 1.0f)
                    << t.texture << " at " << p.x << ", " << p.y << ", " << p.z;
            }
        }
    }
    EXPECT_TRUE(floorUnderFlame);
}

// ------------------------------------------------------------------ engine loading

class ModelsGLTest : public zeltest::GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        if (HasFatalFailure()) return;
        driver_ = std::make_unique<zel::FrameDriver>();
        driver_->initGL();
    }
    void TearDown() override {
        driver_.reset();
        GLTest::TearDown();
    }
    std::unique_ptr<zel::FrameDriver> driver_;
};

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

        size_t single = 0, mixed = 0;
        for (size_t i = 0; i < model->getMeshes().size(); ++i) {
            const zel::Mesh& mesh = *model->getMeshes()[i];
            EXPECT_EQ(reader.getMeshes()[i].faces.size(), mesh.getTriangles().size());
            if (const auto* st = dynamic_cast<const zel::SingleTexturedMesh*>(&mesh)) {
                ++single;
                ASSERT_NE(nullptr, st->getTexture());
                EXPECT_EQ(reader.getMeshes()[i].faces[0].texture, st->getTexture()->getName());
            } else {
                std::set<const zel::Texture*> textures;
                for (const auto& t : mesh.getTriangles()) {
                    ASSERT_NE(nullptr, t->texture);
                    textures.insert(t->texture);
                }
                EXPECT_GE(textures.size(), 2u);
                ++mixed;
            }
        }
        EXPECT_GT(single, 0u);
        if (name == "house") {
            EXPECT_GT(mixed, 0u) << "the house exercises the display-list path";
        }
    }
}
