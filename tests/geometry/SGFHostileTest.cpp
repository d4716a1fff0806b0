// Hostile SGF files: oversized files, huge vertex and face lists, indices far outside the vertex
// list, deep nesting, and numbers the float type cannot hold. The limits relied
// on: SGFFile parses no file over MAX_FILE_BYTES (8 MiB) and keeps at most MAX_VERTICES_PER_MESH vertices and
// MAX_FACES_PER_MESH faces per mesh (2^20 each) and warns about the rest;
// libxml2 refuses element nesting deeper than 256 levels; SGFMeshModel skips a
// face whose indices lie outside its mesh with an ERROR line.

#include <gtest/gtest.h>

#include <chrono>
#include <cfloat>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>

#include "engine/FrameDriver.h"
#include "geometry/SGFFile.h"
#include "geometry/SGFMeshModel.h"
#include "support/GLContext.h"

using namespace zel;

namespace {

using Clock = std::chrono::steady_clock;

std::string writeFile(const std::string& name, const std::string& text) {
    const std::string path = zeltest::scratchDir("sgfhostile-" + name) + "/" + name + ".sgf";
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

class SGFHostileTest : public zeltest::GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        if (HasFatalFailure()) return;
        driver_ = std::make_unique<FrameDriver>();
        driver_->initGL();
        driver_->createWorld();
    }
    void TearDown() override {
        driver_.reset();
        GLTest::TearDown();
    }

    std::unique_ptr<SGFMeshModel> load(const std::string& path, std::string* out) {
        std::unique_ptr<SGFMeshModel> model;
        *out = zeltest::captureStderr([&] { model = SGFMeshModel::load(path, Vector3(0, 0, 0), 1.0f); });
        return model;
    }

    std::unique_ptr<FrameDriver> driver_;
};

} // namespace

TEST(SGFHostile, MillionsOfVerticesAndFacesAreCutAtTheLimits) {
    // The shortest elements there are, so the files stay small (about 4 and 5 MB)
    // while the counts pass the limits: 2^20 + 7 vertices, then 2^19 + 3 quads,
    // which split into 2^20 + 6 triangles.
    const std::size_t vertexCount = SGFFile::MAX_VERTICES_PER_MESH + 7;
    const std::size_t quadCount = SGFFile::MAX_FACES_PER_MESH / 2 + 3;
    std::string text = "<sgf><mesh><l>";
    text.reserve(vertexCount * 4 + quadCount * 4 + 64);
    for (std::size_t i = 0; i < vertexCount; ++i) text += "<v/>";
    text += "</l><quad><indices i0='0' i1='1' i2='2' i3='3'/></quad>";
    for (std::size_t i = 1; i < quadCount; ++i) text += "<q/>";
    text += "</mesh></sgf>";
    const std::string path = writeFile("million", text);

    const auto start = Clock::now();
    std::unique_ptr<SGFFile> reader;
    const std::string out = zeltest::captureStderr([&] { reader = std::make_unique<SGFFile>(path); });
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(60));
    ASSERT_EQ(reader->getMeshes().size(), 1u);
    EXPECT_EQ(reader->getMeshes()[0].vertices.size(), SGFFile::MAX_VERTICES_PER_MESH);
    EXPECT_EQ(reader->getMeshes()[0].faces.size(), SGFFile::MAX_FACES_PER_MESH);
    EXPECT_EQ(out, "WARNING: [SGFFile] " + path + ": mesh 0 has more than 1048576 vertices; the rest are ignored.\n"
                   "WARNING: [SGFFile] " + path + ": mesh 0 has more than 1048576 faces; the rest are ignored.\n");
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
    EXPECT_EQ(out, "WARNING: [SGFFile] " + path + " is larger than its size limit (8388608 bytes); the file is "
                   "not read.\nERROR: [SGFMeshModel] Could not read model file " + path + "; the model is empty.\n");
}

TEST_F(SGFHostileTest, IndicesFarOutOfRangeOrNegativeSkipTheirFaces) {
    const std::string path = writeFile(
        "indices",
        "<sgf><mesh><l><v x='0'/><v x='1'/><v y='1'/><v z='1'/></l>"
        "<triangle><indices i0='-1' i1='0' i2='1'/><texture>default.jpg</texture></triangle>"
        "<triangle><indices i0='0' i1='-2147483648' i2='1'/></triangle>"
        "<triangle><indices i0='0' i1='1' i2='99999999999999'/></triangle>"
        "<triangle><indices i0='4' i1='1' i2='2'/></triangle>"
        "<quad><indices i0='0' i1='1' i2='2' i3='-7'/></quad>"
        "<triangle><indices i0='3' i1='1' i2='2'/></triangle></mesh></sgf>");
    std::string out;
    const std::unique_ptr<SGFMeshModel> model = load(path, &out);
    ASSERT_EQ(model->getMeshes().size(), 1u);
    // The quad's first half (0, 1, 2) and the last triangle remain.
    EXPECT_EQ(model->getMeshes()[0]->getTriangles().size(), 2u);
    const std::string prefix = "ERROR: [SGFMeshModel] " + path + ": mesh 0, face ";
    const std::string suffix = " outside the mesh's 4 vertices; face skipped.\n";
    EXPECT_EQ(out, prefix + "0: vertex index (-1, 0, 1)" + suffix + prefix + "1: vertex index (0, -2147483648, 1)" +
                       suffix + prefix + "2: vertex index (0, 1, 2147483647)" + suffix + prefix +
                       "3: vertex index (4, 1, 2)" + suffix + prefix + "5: vertex index (2, -7, 0)" + suffix);
}

TEST_F(SGFHostileTest, NumbersBeyondTheFloatRangeNanAndInf) {
    // 1e39 and -1e39 saturate to the largest float, nan and inf read as 0; the
    // model is built, placed and initialised without a NaN in any position.
    const std::string path = writeFile(
        "numbers",
        "<sgf><mesh><l><v x='1e39' y='0' z='nan'/><v x='-1e39' y='inf' z='-inf'/><v x='1e-60' y='1e39' z='+1e39'/>"
        "<v x='NaN' y='-0' z='1e38'/></l>"
        "<triangle><indices i0='0' i1='1' i2='2'/><texCoord u='nan' v='1e39'/><texCoord u='-inf'/>"
        "<texture>default.jpg</texture></triangle>"
        "<triangle><indices i0='1' i1='2' i2='3'/></triangle></mesh></sgf>");
    const SGFFile reader(path);
    ASSERT_EQ(reader.getMeshes().size(), 1u);
    const auto& v = reader.getMeshes()[0].vertices;
    ASSERT_EQ(v.size(), 4u);
    EXPECT_EQ(v[0].x, FLT_MAX);
    EXPECT_EQ(v[0].z, 0.0f);
    EXPECT_EQ(v[1].x, -FLT_MAX);
    EXPECT_EQ(v[1].y, 0.0f);
    EXPECT_EQ(v[1].z, 0.0f);
    EXPECT_EQ(v[2].x, 0.0f);
    EXPECT_EQ(v[3].x, 0.0f);
    EXPECT_EQ(reader.getMeshes()[0].faces[0].texCoords[0].u, 0.0f);
    EXPECT_EQ(reader.getMeshes()[0].faces[0].texCoords[0].v, FLT_MAX);

    std::string out;
    const std::unique_ptr<SGFMeshModel> model = load(path, &out);
    EXPECT_EQ(out, "");
    ASSERT_EQ(model->getMeshes().size(), 1u);
    ASSERT_NE(model->getBoundingBox(), nullptr);
    model->init();
    for (const auto& triangle : model->getMeshes()[0]->getTriangles()) {
        for (const Vector3& p : triangle->positions) {
            EXPECT_FALSE(std::isnan(p.x) || std::isnan(p.y) || std::isnan(p.z));
        }
    }
}

TEST_F(SGFHostileTest, DeepNestingIsRefusedOrSearchedWithinTheParserLimit) {
    // Nesting deeper than the parser allows makes the file unreadable: the model
    // is empty and says so.
    std::string deep;
    for (int i = 0; i < 100000; ++i) deep += "<a>";
    const std::string tooDeep = writeFile("toodeep", "<sgf><mesh><l><v/></l><triangle>" + deep);
    std::string out;
    const auto start = Clock::now();
    std::unique_ptr<SGFMeshModel> model = load(tooDeep, &out);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));
    EXPECT_TRUE(model->getMeshes().empty());
    EXPECT_EQ(out, "ERROR: [SGFMeshModel] Could not read model file " + tooDeep + "; the model is empty.\n");

    // Just inside the limit, the face's parts are found at the bottom of 240
    // levels by the descendant search.
    std::string open, close;
    for (int i = 0; i < 240; ++i) {
        open += "<n>";
        close += "</n>";
    }
    const std::string nested = writeFile(
        "nested", "<sgf><mesh><l><v x='0'/><v x='1'/><v y='1'/></l><triangle>" + open +
                      "<indices i0='2' i1='1' i2='0'/><texture>a\\b\\deep.jpg</texture>" + close +
                      "</triangle></mesh></sgf>");
    const SGFFile reader(nested);
    ASSERT_EQ(reader.getMeshes().size(), 1u);
    ASSERT_EQ(reader.getMeshes()[0].faces.size(), 1u);
    EXPECT_EQ(reader.getMeshes()[0].faces[0].indices[0], 2);
    EXPECT_EQ(reader.getMeshes()[0].faces[0].texture, "deep.jpg");
}

TEST_F(SGFHostileTest, EmptyFilesDirectoriesAndUnreadableFiles) {
    const std::string dir = zeltest::scratchDir("sgfhostile-files");
    std::ofstream(dir + "/empty.sgf").flush();
    std::filesystem::create_directory(dir + "/folder.sgf");
    for (const std::string& path : {dir + "/empty.sgf", dir + "/folder.sgf"}) {
        std::string out;
        EXPECT_TRUE(load(path, &out)->getMeshes().empty()) << path;
        EXPECT_EQ(out, "ERROR: [SGFMeshModel] Could not read model file " + path + "; the model is empty.\n");
    }

    const std::string locked = writeFile("locked", "<sgf><mesh><l><v/><v/><v/></l><triangle/></mesh></sgf>");
    std::filesystem::permissions(locked, std::filesystem::perms::none);
    if (FILE* probe = std::fopen(locked.c_str(), "rb")) {
        std::fclose(probe);
        GTEST_SKIP() << "this process reads files whose permission bits forbid it (running as root), so an "
                        "unreadable file cannot be made here; the empty and directory cases cover the path";
    }
    std::string out;
    EXPECT_TRUE(load(locked, &out)->getMeshes().empty());
    EXPECT_EQ(out, "ERROR: [SGFMeshModel] Could not read model file " + locked + "; the model is empty.\n");
}
