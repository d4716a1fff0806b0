// Building mesh models from SGF files: mesh kinds, textures, rejected faces,
// scaling and placement, and what load returns for bad files. Needs the texture
// registry, hence a GL context and the generated textures.
#include <gtest/gtest.h>

#include <memory>

#include "engine/FrameDriver.h"
#include "geometry/SGFFile.h"
#include "geometry/SGFMeshModel.h"
#include "geometry/SingleTexturedMesh.h"
#include "resources/TextureDatabase.h"
#include "support/EngineTest.h"

using namespace zel;

namespace {

std::string writeFile(const std::string& name, const std::string& text) {
    return zeltest::writeFile(zeltest::scratchDir("sgfmodel-" + name), name + ".sgf", text);
}

// Four vertices of a unit square in y = 0 at x, z in [0, 2] x [0, 1], plus one
// raised vertex.
const char* const SQUARE_VERTICES =
    "<vertices><v x='0' y='0' z='0'/><v x='2' z='0'/><v x='2' z='1'/><v x='0' z='1'/>"
    "<v x='1' y='3' z='0.5'/></vertices>";

std::string face(const std::string& indices, const std::string& texture) {
    return "<triangle><indices " + indices + "/><texture>" + texture + "</texture></triangle>";
}

class SGFMeshModelTest : public zeltest::EngineTest {
protected:
    SGFMeshModelTest() : EngineTest(true) {}
};

} // namespace

TEST_F(SGFMeshModelTest, SingleAndMixedTextureRecords) {
    const std::string path = writeFile(
        "kinds", std::string("<sgf>") + "<mesh>" + SQUARE_VERTICES +
                     face("i0='0' i1='1' i2='2'", "a\\b\\plaster.jpg") +
                     face("i0='0' i1='2' i2='3'", "plaster.jpg") + "</mesh>" + "<mesh>" + SQUARE_VERTICES +
                     face("i0='0' i1='1' i2='2'", "plaster.jpg") + face("i0='0' i1='2' i2='3'", "door.jpg") +
                     "</mesh>" + "<mesh>" + SQUARE_VERTICES + "</mesh>" + "</sgf>");
    const SGFFile reader(path);
    ASSERT_EQ(reader.getMeshes().size(), 3u);
    EXPECT_TRUE(SGFMeshModel::hasSingleTexture(reader.getMeshes()[0]));
    EXPECT_FALSE(SGFMeshModel::hasSingleTexture(reader.getMeshes()[1]));
    EXPECT_FALSE(SGFMeshModel::hasSingleTexture(reader.getMeshes()[2]));

    SGFMeshModel model(reader, 0, 0, 0, 1.0f);
    TextureDatabase& textures = TextureDatabase::getInstance();
    Texture* plaster = textures.findTexture("plaster.jpg");
    Texture* door = textures.findTexture("door.jpg");
    ASSERT_NE(plaster, nullptr);
    ASSERT_NE(door, nullptr);

    const auto& meshes = model.getMeshes();
    ASSERT_EQ(meshes.size(), 3u);
    auto* single = dynamic_cast<SingleTexturedMesh*>(meshes[0].get());
    ASSERT_NE(single, nullptr);
    EXPECT_EQ(single->getTexture(), plaster);
    EXPECT_EQ(single->getTriangles().size(), 2u);

    EXPECT_EQ(dynamic_cast<SingleTexturedMesh*>(meshes[1].get()), nullptr);
    EXPECT_EQ(meshes[1]->getRenderMode(), Mesh::RENDER_DISPLAY_LIST);
    ASSERT_EQ(meshes[1]->getTriangles().size(), 2u);
    EXPECT_EQ(meshes[1]->getTriangles()[0]->texture, plaster);
    EXPECT_EQ(meshes[1]->getTriangles()[1]->texture, door);
    // Triangles take the record's vertices at the face's indices, with a plane;
    // placing the model's base centre (1, 0, 0.5) at the origin moved them.
    const Triangle& t = *meshes[1]->getTriangles()[1];
    EXPECT_EQ(t.positions[1], Vector3(1, 0, 0.5f));
    ASSERT_TRUE(t.plane);
    EXPECT_FLOAT_EQ(std::abs(t.plane->normal.y), 1.0f);

    EXPECT_EQ(dynamic_cast<SingleTexturedMesh*>(meshes[2].get()), nullptr);
    EXPECT_TRUE(meshes[2]->getTriangles().empty());
}

TEST_F(SGFMeshModelTest, MissingTextureKeepsDefaultOrDrawsUntextured) {
    const std::string path = writeFile(
        "missingtex", std::string("<sgf>") + "<mesh>" + SQUARE_VERTICES +
                          face("i0='0' i1='1' i2='2'", "no_such_texture.jpg") + "</mesh>" + "<mesh>" +
                          SQUARE_VERTICES + face("i0='0' i1='1' i2='2'", "no_such_texture.jpg") +
                          face("i0='0' i1='2' i2='3'", "door.jpg") + "</mesh></sgf>");
    std::unique_ptr<SGFMeshModel> model;
    zeltest::captureStdout([&] { // the loaders report the missing file
        const SGFFile reader(path);
        model = std::make_unique<SGFMeshModel>(reader, 0, 0, 0, 1.0f);
    });
    auto* single = dynamic_cast<SingleTexturedMesh*>(model->getMeshes()[0].get());
    ASSERT_NE(single, nullptr);
    EXPECT_EQ(single->getTexture(), TextureDatabase::getInstance().getDefaultTexture());
    EXPECT_EQ(single->getTriangles()[0]->texture, nullptr);
    EXPECT_EQ(model->getMeshes()[1]->getTriangles()[0]->texture, nullptr);
    EXPECT_NE(model->getMeshes()[1]->getTriangles()[1]->texture, nullptr);
}

TEST_F(SGFMeshModelTest, ScaleThenPlaceOnTheTarget) {
    // Box of the file's model: x [-1, 3], y [2, 6], z [0, 2].
    const std::string path = writeFile(
        "place", "<sgf><mesh><vertices><v x='-1' y='2' z='0'/><v x='3' y='6' z='2'/><v x='1' y='4' z='1'/>"
                 "</vertices>" +
                     face("i0='0' i1='1' i2='2'", "plaster.jpg") + "</mesh></sgf>");
    const SGFFile reader(path);

    // Scale and the factor by which the box grows: a scale of 0 keeps the file's size.
    const std::pair<float, float> scales[] = {{0.0f, 1.0f}, {1.0f, 1.0f}, {2.0f, 2.0f}};
    for (const auto& [scale, factor] : scales) {
        SCOPED_TRACE(scale);
        SGFMeshModel model(reader, 10, -1.5f, 20, scale);
        ASSERT_NE(model.getBoundingBox(), nullptr);
        const BoundingBox& box = *model.getBoundingBox();
        EXPECT_FLOAT_EQ(box.minY, -1.5f);
        EXPECT_FLOAT_EQ(box.maxY, -1.5f + 4 * factor);
        EXPECT_FLOAT_EQ(box.minX, 10 - 2 * factor);
        EXPECT_FLOAT_EQ(box.maxX, 10 + 2 * factor);
        EXPECT_FLOAT_EQ(box.minZ, 20 - factor);
        EXPECT_FLOAT_EQ(box.maxZ, 20 + factor);
        // The positions moved with the box: the first vertex is its min corner.
        EXPECT_EQ(model.getMeshes()[0]->getTriangles()[0]->positions[0],
                  Vector3(box.minX, box.minY, box.minZ));
    }

    const std::unique_ptr<SGFMeshModel> loaded = SGFMeshModel::load(path, Vector3(0, 5, 0), 2.0f);
    ASSERT_NE(loaded->getBoundingBox(), nullptr);
    EXPECT_FLOAT_EQ(loaded->getBoundingBox()->minY, 5.0f);
    EXPECT_FLOAT_EQ(loaded->getBoundingBox()->maxY, 13.0f);
}

TEST_F(SGFMeshModelTest, LoadReturnsAnEmptyModelForUnusableFiles) {
    struct Case {
        std::string path;
        std::string message;
    };
    const std::string noMeshes = writeFile("nomeshes", "<sgf><light/></sgf>");
    const std::string firstEmpty = writeFile(
        "firstempty", std::string("<sgf><mesh>") + SQUARE_VERTICES + "</mesh><mesh>" + SQUARE_VERTICES +
                          face("i0='0' i1='1' i2='2'", "plaster.jpg") + "</mesh></sgf>");
    const std::string allRejected =
        writeFile("allrejected", std::string("<sgf><mesh>") + SQUARE_VERTICES +
                                     face("i0='7' i1='1' i2='2'", "plaster.jpg") + "</mesh></sgf>");
    const Case cases[] = {
        {noMeshes, "ERROR: [SGFMeshModel] Model file " + noMeshes + " has no meshes; the model is empty.\n"},
        {firstEmpty, "ERROR: [SGFMeshModel] The first mesh of model file " + firstEmpty +
                         " has no usable faces; the model is empty.\n"},
        {allRejected, "ERROR: [SGFMeshModel] The first mesh of model file " + allRejected +
                          " has no usable faces; the model is empty.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        std::unique_ptr<SGFMeshModel> model;
        const std::string out =
            zeltest::captureStderr([&] { model = SGFMeshModel::load(c.path, Vector3(1, 2, 3), 1.0f); });
        ASSERT_NE(model, nullptr);
        EXPECT_TRUE(model->getMeshes().empty());
        EXPECT_EQ(model->getBoundingBox(), nullptr);
        EXPECT_NE(out.find(c.message), std::string::npos) << out;
        EXPECT_TRUE(model->init());
        model->render();
    }
}
