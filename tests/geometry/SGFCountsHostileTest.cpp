// Hostile SGF counts: more meshes than a file may hold, huge texture names
// inherited by every later face, thousands of distinct or missing texture
// names, and the mesh-kind decision with rejected faces. The limits: SGFFile
// keeps MAX_MESHES_PER_FILE meshes and turns names over MAX_TEXTURE_NAME_BYTES
// into "default.jpg"; SGFMeshModel asks the registry once per distinct name, for
// at most MAX_TEXTURES_PER_FILE names.

#include <gtest/gtest.h>

#include <GL/glew.h>

#include <memory>

#include "geometry/SGFFile.h"
#include "geometry/SGFMeshModel.h"
#include "geometry/SingleTexturedMesh.h"
#include "resources/TextureDatabase.h"
#include "support/EngineTest.h"

using namespace zel;

namespace {

std::string writeFile(const std::string& name, const std::string& text) {
    return zeltest::writeFile(zeltest::scratchDir("sgfcounts-" + name), name + ".sgf", text);
}

const char* const TRIANGLE_VERTICES = "<l><v/><v x='1'/><v z='1'/></l>";

std::string face(const std::string& indices, const std::string& texture) {
    return "<triangle><indices " + indices + "/><texture>" + texture + "</texture></triangle>";
}

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

class SGFCountsHostileTest : public zeltest::EngineTest {
protected:
    SGFCountsHostileTest() : EngineTest(true) {}
};

} // namespace

TEST(SGFCountsHostile, MeshCountAndNameLengthAreCapped) {
    std::string meshes = "<sgf>";
    for (std::size_t i = 0; i <= SGFFile::MAX_MESHES_PER_FILE; ++i) meshes += "<mesh/>";
    const std::string manyMeshes = writeFile("meshes", meshes + "</sgf>");
    std::unique_ptr<SGFFile> reader;
    EXPECT_EQ(zeltest::captureStderr([&] { reader = std::make_unique<SGFFile>(manyMeshes); }),
              "WARNING: [SGFFile] " + manyMeshes + ": more than 1024 meshes; the rest are ignored.\n");
    EXPECT_EQ(reader->getMeshes().size(), SGFFile::MAX_MESHES_PER_FILE);

    // A 4 kB name inherited by 1000 further faces: every face carries the short default.
    std::string faces = "<sgf><mesh>" + std::string(TRIANGLE_VERTICES) + face("", std::string(4000, 'n') + ".jpg");
    for (int i = 0; i < 1000; ++i) faces += "<triangle/>";
    const std::string longName = writeFile("longname", faces + "</mesh></sgf>");
    EXPECT_EQ(zeltest::captureStderr([&] { reader = std::make_unique<SGFFile>(longName); }),
              "WARNING: [SGFFile] " + longName + ": mesh 0: a texture name of 4004 bytes is longer than 255; "
              "default.jpg is used.\n");
    ASSERT_EQ(reader->getMeshes()[0].faces.size(), 1001u);
    for (const SGFFace& f : reader->getMeshes()[0].faces) ASSERT_EQ(f.texture, "default.jpg");
}

TEST_F(SGFCountsHostileTest, EachDistinctNameIsRequestedOnceUpToTheLimit) {
    // 1000 faces inheriting one missing name, then 1100 distinct missing names.
    std::string text = "<sgf><mesh>" + std::string(TRIANGLE_VERTICES) + face("i1='1' i2='2'", "missing.jpg");
    for (int i = 0; i < 1000; ++i) text += "<triangle/>";
    for (int i = 0; i < 1100; ++i) text += face("", "m" + std::to_string(i) + ".jpg");
    const std::string path = writeFile("names", text + "</mesh></sgf>");
    const SGFFile reader(path);
    std::unique_ptr<SGFMeshModel> model;
    std::string err;
    const std::string out = zeltest::captureStdout(
        [&] { err = zeltest::captureStderr([&] { model = std::make_unique<SGFMeshModel>(reader, 0, 0, 0, 1.0f); }); });
    EXPECT_EQ(count(out, "Error loading image ../data/textures/missing.jpg."), 1u);
    EXPECT_EQ(count(out, "Error loading image"), SGFMeshModel::MAX_TEXTURES_PER_FILE);
    EXPECT_EQ(err, "WARNING: [SGFMeshModel] " + path + " names more than 1024 textures; the rest use the default "
                   "texture.\n");
    EXPECT_EQ(model->getMeshes()[0]->getTriangles().size(), 2101u);
}

TEST_F(SGFCountsHostileTest, MeshKindIgnoresRejectedFacesAndMovedMeshesTakeTheBox) {
    // The first face has a bad index and another texture; the mesh is still single-textured.
    const std::string path = writeFile("kind", "<sgf><mesh>" + std::string(TRIANGLE_VERTICES) +
                                                   face("i0='9' i1='1' i2='2'", "door.jpg") +
                                                   face("i0='0' i1='1' i2='2'", "plaster.jpg") + "</mesh></sgf>");
    const SGFFile reader(path);
    std::unique_ptr<SGFMeshModel> model;
    zeltest::captureStderr([&] { model = std::make_unique<SGFMeshModel>(reader, 0, 0, 0, 1.0f); });
    auto* single = dynamic_cast<SingleTexturedMesh*>(model->getMeshes()[0].get());
    ASSERT_NE(single, nullptr);
    EXPECT_EQ(single->getTexture(), TextureDatabase::getInstance().findTexture("plaster.jpg"));

    ASSERT_NE(model->getBoundingBox(), nullptr);
    SGFMeshModel target;
    target.addMeshes(*model);
    EXPECT_EQ(model->getBoundingBox(), nullptr);
    EXPECT_TRUE(model->getMeshes().empty());

    // Without a texture the mesh draws with no texture bound, not the last one.
    single->init();
    single->setTexture(nullptr);
    glBindTexture(GL_TEXTURE_2D, TextureDatabase::getInstance().findTexture("plaster.jpg")->getId());
    single->draw();
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
