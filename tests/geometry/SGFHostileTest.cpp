// Hostile SGF files: oversized files, huge vertex, face and mesh lists, indices
// far outside the vertex list, deep nesting, numbers the float type cannot hold,
// huge or countless texture names. The limits relied on: SGFFile parses no file
// over MAX_FILE_BYTES (8 MiB), keeps MAX_VERTICES_PER_MESH vertices and
// MAX_FACES_PER_MESH faces per mesh (2^20 each) and MAX_MESHES_PER_FILE meshes,
// and turns names over MAX_TEXTURE_NAME_BYTES into "default.jpg"; libxml2
// refuses nesting deeper than 256 levels; SGFMeshModel skips a face whose
// indices lie outside its mesh with an ERROR line and asks the registry once
// per distinct name, for at most MAX_TEXTURES_PER_FILE names.

#include <gtest/gtest.h>

#include <GL/glew.h>

#include <cfloat>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <memory>

#include "engine/FrameDriver.h"
#include "geometry/SGFFile.h"
#include "geometry/SGFMeshModel.h"
#include "geometry/SingleTexturedMesh.h"
#include "resources/TextureDatabase.h"
#include "support/EngineTest.h"

using namespace zel;

namespace {

using Clock = std::chrono::steady_clock;

std::string writeFile(const std::string& name, const std::string& text) {
    return zeltest::writeFile(zeltest::scratchDir("sgfhostile-" + name), name + ".sgf", text);
}

const char* const TRIANGLE_VERTICES = "<l><v/><v x='1'/><v z='1'/></l>";

std::string face(const std::string& indices, const std::string& texture) {
    return "<triangle><indices " + indices + "/><texture>" + texture + "</texture></triangle>";
}

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

std::unique_ptr<SGFMeshModel> load(const std::string& path, std::string* err) {
    std::unique_ptr<SGFMeshModel> model;
    *err = zeltest::captureStderr([&] { model = SGFMeshModel::load(path, Vector3(0, 0, 0), 1.0f); });
    return model;
}

std::string unreadable(const std::string& path) {
    return "ERROR: [SGFMeshModel] Could not read model file " + path + "; the model is empty.\n";
}

class SGFHostileTest : public zeltest::EngineTest {
protected:
    SGFHostileTest() : EngineTest(true) {}
};
using SGFCountsHostileTest = SGFHostileTest;

} // namespace

TEST(SGFHostile, MillionsOfVerticesAndFacesAreCutAtTheLimits) {
    // The shortest elements there are, so the files stay small (about 4 and 5 MB)
    // while the counts pass the limits: 2^20 + 7 vertices, then 2^19 + 3 quads,
    // which split into 2^20 + 6 triangles.
    const std::size_t vertexCount = SGFFile::MAX_VERTICES_PER_MESH + 7;
    const std::size_t quadCount = SGFFile::MAX_FACES_PER_MESH / 2 + 3;
    std::string text = "<sgf><mesh><l>";
    text.reserve(vertexCount * 4 + quadCount * 4 + 64);
    for (std::size_t i = 0; i < vertexCount; ++i)
        text += "<v/>";
    text += "</l><quad><indices i0='0' i1='1' i2='2' i3='3'/></quad>";
    for (std::size_t i = 1; i < quadCount; ++i)
        text += "<q/>";
    const std::string path = writeFile("million", text + "</mesh></sgf>");

    const auto start = Clock::now();
    std::unique_ptr<SGFFile> reader;
    const std::string out = zeltest::captureStderr([&] { reader = std::make_unique<SGFFile>(path); });
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(60));
    ASSERT_EQ(reader->getMeshes().size(), 1u);
    EXPECT_EQ(reader->getMeshes()[0].vertices.size(), SGFFile::MAX_VERTICES_PER_MESH);
    EXPECT_EQ(reader->getMeshes()[0].faces.size(), SGFFile::MAX_FACES_PER_MESH);
    EXPECT_EQ(out, "WARNING: [SGFFile] " + path +
                       ": mesh 0 has more than 1048576 vertices; the rest are ignored.\n"
                       "WARNING: [SGFFile] " +
                       path + ": mesh 0 has more than 1048576 faces; the rest are ignored.\n");
}

TEST(SGFCountsHostile, MeshCountAndNameLengthAreCapped) {
    std::string meshes = "<sgf>";
    for (std::size_t i = 0; i <= SGFFile::MAX_MESHES_PER_FILE; ++i)
        meshes += "<mesh/>";
    const std::string manyMeshes = writeFile("meshes", meshes + "</sgf>");
    std::unique_ptr<SGFFile> reader;
    EXPECT_EQ(zeltest::captureStderr([&] { reader = std::make_unique<SGFFile>(manyMeshes); }),
              "WARNING: [SGFFile] " + manyMeshes + ": more than 1024 meshes; the rest are ignored.\n");
    EXPECT_EQ(reader->getMeshes().size(), SGFFile::MAX_MESHES_PER_FILE);

    // A 4 kB name inherited by 1000 further faces: every face carries the short default.
    std::string faces =
        "<sgf><mesh>" + std::string(TRIANGLE_VERTICES) + face("", std::string(4000, 'n') + ".jpg");
    for (int i = 0; i < 1000; ++i)
        faces += "<triangle/>";
    const std::string longName = writeFile("longname", faces + "</mesh></sgf>");
    EXPECT_EQ(zeltest::captureStderr([&] { reader = std::make_unique<SGFFile>(longName); }),
              "WARNING: [SGFFile] " + longName +
                  ": mesh 0: a texture name of 4004 bytes is longer than 255; "
                  "default.jpg is used.\n");
    ASSERT_EQ(reader->getMeshes()[0].faces.size(), 1001u);
    for (const SGFFace& f : reader->getMeshes()[0].faces)
        ASSERT_EQ(f.texture, "default.jpg");
}

TEST_F(SGFHostileTest, FilesOverTheSizeLimitAreNotParsed) {
    // A valid model padded with a comment to one byte over the limit: refused
    // from its size alone, before any parsing.
    const std::string head = "<sgf><mesh><l><v/><v x='1'/><v y='1'/></l><triangle/></mesh><!--";
    const std::string tail = "--></sgf>";
    const std::string path = writeFile(
        "oversized", head + std::string(SGFFile::MAX_FILE_BYTES + 1 - head.size() - tail.size(), ' ') + tail);
    std::string out;
    const auto start = Clock::now();
    EXPECT_TRUE(load(path, &out)->getMeshes().empty());
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(out, "WARNING: [SGFFile] " + path +
                       " is larger than its size limit (8388608 bytes); the file is "
                       "not read.\n" +
                       unreadable(path));
}

TEST_F(SGFHostileTest, IndicesFarOutOfRangeOrNegativeSkipTheirFaces) {
    const std::string path = writeFile(
        "indices", "<sgf><mesh><l><v x='0'/><v x='1'/><v y='1'/><v z='1'/></l>"
                   "<triangle><indices i0='-1' i1='0' i2='1'/><texture>default.jpg</texture></triangle>"
                   "<triangle><indices i0='0' i1='-2147483648' i2='1'/></triangle>"
                   "<triangle><indices i0='0' i1='1' i2='99999999999999'/></triangle>"
                   "<triangle><indices i0='4' i1='1' i2='2'/></triangle>"
                   "<quad><indices i0='0' i1='1' i2='2' i3='-7'/></quad>"
                   "<triangle><indices i0='3' i1='1' i2='2'/></triangle></mesh></sgf>");
    std::string out;
    const std::unique_ptr<SGFMeshModel> model = load(path, &out);
    ASSERT_EQ(model->getMeshes().size(), 1u);
    // The quad's first half (0, 1, 2) and the last triangle (with vertex 3 at z = 1) remain.
    const auto& triangles = model->getMeshes()[0]->getTriangles();
    ASSERT_EQ(triangles.size(), 2u);
    EXPECT_EQ(triangles[1]->positions[0].z - triangles[1]->positions[1].z, 1.0f);
    const std::string prefix = "ERROR: [SGFMeshModel] " + path + ": mesh 0, face ";
    const std::string suffix = " outside the mesh's 4 vertices; face skipped.\n";
    EXPECT_EQ(out, prefix + "0: vertex index (-1, 0, 1)" + suffix + prefix +
                       "1: vertex index (0, -2147483648, 1)" + suffix + prefix +
                       "2: vertex index (0, 1, 2147483647)" + suffix + prefix + "3: vertex index (4, 1, 2)" +
                       suffix + prefix + "5: vertex index (2, -7, 0)" + suffix);
}

TEST_F(SGFHostileTest, NumbersBeyondTheFloatRangeNanAndInf) {
    // 1e39 and -1e39 saturate to the largest float, nan and inf read as 0; the
    // model is built, placed and initialised without a NaN in any position.
    const std::string path = writeFile(
        "numbers", "<sgf><mesh><l><v x='1e39' y='0' z='nan'/><v x='-1e39' y='inf' z='-inf'/><v x='1e-60' "
                   "y='1e39' z='+1e39'/>"
                   "<v x='NaN' y='-0' z='1e38'/></l>"
                   "<triangle><indices i0='0' i1='1' i2='2'/><texCoord u='nan' v='1e39'/><texCoord u='-inf'/>"
                   "<texture>default.jpg</texture></triangle>"
                   "<triangle><indices i0='1' i1='2' i2='3'/></triangle></mesh></sgf>");
    const SGFFile reader(path);
    ASSERT_EQ(reader.getMeshes().size(), 1u);
    const auto& v = reader.getMeshes()[0].vertices;
    ASSERT_EQ(v.size(), 4u);
    EXPECT_EQ(v[0], Vector3(FLT_MAX, 0, 0));
    EXPECT_EQ(v[1], Vector3(-FLT_MAX, 0, 0));
    EXPECT_EQ(v[2].x, 0.0f);
    EXPECT_EQ(v[3].x, 0.0f);
    EXPECT_EQ(reader.getMeshes()[0].faces[0].texCoords[0], Vector2(0.0f, FLT_MAX));

    std::string out;
    const std::unique_ptr<SGFMeshModel> model = load(path, &out);
    EXPECT_EQ(out, "");
    ASSERT_EQ(model->getMeshes().size(), 1u);
    ASSERT_NE(model->getBoundingBox(), nullptr);
    model->init();
    for (const auto& triangle : model->getMeshes()[0]->getTriangles())
        for (const Vector3& p : triangle->positions)
            EXPECT_FALSE(std::isnan(p.x) || std::isnan(p.y) || std::isnan(p.z));
}

TEST_F(SGFHostileTest, DeepNestingIsRefusedOrSearchedWithinTheParserLimit) {
    // Nesting deeper than the parser allows makes the file unreadable.
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";
    const std::string tooDeep = writeFile("toodeep", "<sgf><mesh><l><v/></l><triangle>" + deep);
    std::string out;
    const auto start = Clock::now();
    EXPECT_TRUE(load(tooDeep, &out)->getMeshes().empty());
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(out, unreadable(tooDeep));

    // Just inside the limit, the face's parts are found at the bottom of 240
    // levels by the descendant search.
    std::string open, close;
    for (int i = 0; i < 240; ++i) {
        open += "<n>";
        close += "</n>";
    }
    const SGFFile reader(
        writeFile("nested", "<sgf><mesh><l><v x='0'/><v x='1'/><v y='1'/></l><triangle>" + open +
                                "<indices i0='2' i1='1' i2='0'/><texture>a\\b\\deep.jpg</texture>" + close +
                                "</triangle></mesh></sgf>"));
    ASSERT_EQ(reader.getMeshes().size(), 1u);
    ASSERT_EQ(reader.getMeshes()[0].faces.size(), 1u);
    EXPECT_EQ(reader.getMeshes()[0].faces[0].indices[0], 2);
    EXPECT_EQ(reader.getMeshes()[0].faces[0].texture, "deep.jpg");
}

TEST_F(SGFHostileTest, EmptyFilesDirectoriesAndUnreadableFiles) {
    const std::string dir = zeltest::scratchDir("sgfhostile-files");
    const std::string locked = writeFile("locked", "<sgf><mesh><l><v/><v/><v/></l><triangle/></mesh></sgf>");
    std::filesystem::permissions(locked, std::filesystem::perms::none);
    std::filesystem::create_directory(dir + "/folder.sgf");
    // Running as root, permission bits do not stop reading: the locked file is then left out.
    FILE* probe = std::fopen(locked.c_str(), "rb");
    for (const std::string& path : {zeltest::writeFile(dir, "empty.sgf", ""), dir + "/folder.sgf", locked}) {
        if (path == locked && probe != nullptr)
            break;
        std::string out;
        EXPECT_TRUE(load(path, &out)->getMeshes().empty()) << path;
        EXPECT_EQ(out, unreadable(path));
    }
    if (probe != nullptr)
        std::fclose(probe);
}

TEST_F(SGFCountsHostileTest, EachDistinctNameIsRequestedOnceUpToTheLimit) {
    // 1000 faces inheriting one missing name, then 1100 distinct missing names.
    std::string text = "<sgf><mesh>" + std::string(TRIANGLE_VERTICES) + face("i1='1' i2='2'", "missing.jpg");
    for (int i = 0; i < 1000; ++i)
        text += "<triangle/>";
    for (int i = 0; i < 1100; ++i)
        text += face("", "m" + std::to_string(i) + ".jpg");
    const std::string path = writeFile("names", text + "</mesh></sgf>");
    const SGFFile reader(path);
    std::unique_ptr<SGFMeshModel> model;
    std::string err;
    const std::string out = zeltest::captureStdout([&] {
        err = zeltest::captureStderr([&] { model = std::make_unique<SGFMeshModel>(reader, 0, 0, 0, 1.0f); });
    });
    EXPECT_EQ(count(out, "Error loading image ../data/textures/missing.jpg."), 1u);
    EXPECT_EQ(count(out, "Error loading image"), SGFMeshModel::MAX_TEXTURES_PER_FILE);
    EXPECT_EQ(err, "WARNING: [SGFMeshModel] " + path +
                       " names more than 1024 textures; the rest use the default "
                       "texture.\n");
    EXPECT_EQ(model->getMeshes()[0]->getTriangles().size(), 2101u);
}

TEST_F(SGFCountsHostileTest, MeshKindIgnoresRejectedFacesAndMovedMeshesTakeTheBox) {
    // The first face has a bad index and another texture; the mesh is still single-textured.
    const std::string path = writeFile(
        "kind", "<sgf><mesh>" + std::string(TRIANGLE_VERTICES) + face("i0='9' i1='1' i2='2'", "door.jpg") +
                    face("i0='0' i1='1' i2='2'", "plaster.jpg") + "</mesh></sgf>");
    std::string out;
    const std::unique_ptr<SGFMeshModel> model = load(path, &out);
    auto* single = dynamic_cast<SingleTexturedMesh*>(model->getMeshes()[0].get());
    ASSERT_NE(single, nullptr);
    Texture* plaster = TextureDatabase::getInstance().findTexture("plaster.jpg");
    EXPECT_EQ(single->getTexture(), plaster);

    ASSERT_NE(model->getBoundingBox(), nullptr);
    SGFMeshModel target;
    target.addMeshes(*model);
    EXPECT_EQ(model->getBoundingBox(), nullptr);
    EXPECT_TRUE(model->getMeshes().empty());

    // Without a texture the mesh draws with no texture bound, not the last one.
    single->init();
    single->setTexture(nullptr);
    glBindTexture(GL_TEXTURE_2D, plaster->getId());
    single->draw();
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
}
