// The SGF reader on small files written into a scratch folder; no GL context.
#include <gtest/gtest.h>

#include <cfloat>

#include "geometry/SGFFile.h"
#include "support/GLContext.h"

using namespace zel;

namespace {

std::string writeFile(const std::string& name, const std::string& text) {
    return zeltest::writeFile(zeltest::scratchDir("sgf-" + name), name + ".sgf", text);
}

void expectFace(const SGFFace& f, int i0, int i1, int i2) {
    EXPECT_TRUE(f.triangle);
    EXPECT_EQ(f.indices[0], i0);
    EXPECT_EQ(f.indices[1], i1);
    EXPECT_EQ(f.indices[2], i2);
}

} // namespace

TEST(SGFFileTest, NumbersReadLikeFormattedStreamInput) {
    const std::pair<const char*, float> floats[] = {
        {"  -1.5e2xyz", -150.0f}, {".5", 0.5f}, {"2e+x", 2.0f}, // an exponent needs a digit
        {"", 0.0f}, {"-", 0.0f}, {"abc", 0.0f}, {"nan", 0.0f}, {"inf", 0.0f},
        {"0x10", 0.0f}, // no hex: "0", then garbage
        {"1e39", FLT_MAX}, {"-1e400", -FLT_MAX}}; // overflow saturates
    for (const auto& [text, value] : floats) EXPECT_EQ(SGFFile::toFloat(text), value) << text;
    const std::pair<const char*, int> ints[] = {{" 42abc", 42}, {"-7", -7}, {"3.9", 3}, {"x1", 0},
                                                {"99999999999999999999", 2147483647},
                                                {"-99999999999", -2147483647 - 1}};
    for (const auto& [text, value] : ints) EXPECT_EQ(SGFFile::toInt(text), value) << text;
    EXPECT_EQ(SGFFile::afterLast("a\\b\\c.tga", '\\'), "c.tga");
    EXPECT_EQ(SGFFile::afterLast("a/b/c.tga", '\\'), "a/b/c.tga");
}

TEST(SGFFileTest, UnreadableFilesGiveEmptyLists) {
    const SGFFile missing(zeltest::scratchDir("sgf-missing") + "/nothing.sgf");
    EXPECT_FALSE(missing.isLoaded());
    EXPECT_TRUE(missing.getMeshes().empty());
    const SGFFile broken(writeFile("broken", "<sgf><mesh><vertices>"));
    EXPECT_FALSE(broken.isLoaded());
    EXPECT_TRUE(broken.getMeshes().empty());
    const SGFFile otherRoot(writeFile("otherroot", "<model><mesh><v x='1'/></mesh></model>"));
    EXPECT_TRUE(otherRoot.isLoaded());
    EXPECT_TRUE(otherRoot.getMeshes().empty());
}

TEST(SGFFileTest, VerticesAndMeshShapes) {
    const SGFFile file(writeFile("shapes", R"(<sgf>
      <mesh/>
      <mesh><vertices>
        <vertex y="2"/><anything x="1" y="5" z="3"/><v x="4" z="6"/>
        <!-- not a vertex --><v x="bad" y="7junk"/>
      </vertices></mesh>
      <mesh><vertices><v/><v/><v/></vertices><triangle><indices i0="2"/></triangle></mesh>
      <mesh><triangle><a x="1"/><b x="2"/></triangle></mesh>
    </sgf>)"));
    const auto& meshes = file.getMeshes();
    ASSERT_EQ(meshes.size(), 4u);
    EXPECT_TRUE(meshes[0].vertices.empty());
    EXPECT_TRUE(meshes[0].faces.empty());

    // Missing coordinates repeat the previous vertex's (0 for the first).
    const auto& v = meshes[1].vertices;
    ASSERT_EQ(v.size(), 4u);
    EXPECT_EQ(v[0], Vector3(0, 2, 0));
    EXPECT_EQ(v[2], Vector3(4, 5, 6));
    EXPECT_EQ(v[3], Vector3(0, 7, 6));
    EXPECT_TRUE(meshes[1].faces.empty());

    // The first face's unset values: indices 0, texture coordinates 0, no name.
    ASSERT_EQ(meshes[2].faces.size(), 1u);
    expectFace(meshes[2].faces[0], 2, 0, 0);
    EXPECT_EQ(meshes[2].faces[0].texCoords[2], Vector2(0, 0));
    EXPECT_EQ(meshes[2].faces[0].texture, "");

    // A face in first position is read as the vertex list.
    ASSERT_EQ(meshes[3].vertices.size(), 2u);
    EXPECT_EQ(meshes[3].vertices[1], Vector3(2, 0, 0));
    EXPECT_TRUE(meshes[3].faces.empty());
}

TEST(SGFFileTest, QuadSplitAndFaceCarryOver) {
    const SGFFile file(writeFile("faces", R"(<sgf><mesh>
      <vertices><v/><v/><v/><v/><v/><v/></vertices>
      <quad>
        <indices i0="0" i1="1" i2="2" i3="3"/>
        <texCoord u="0.1" v="0.2"/><texCoord u="0.3" v="0.4"/>
        <texCoord u="0.5" v="0.6"/><texCoord u="0.7" v="0.8"/>
        <texture>textures\walls\stone.tga</texture>
      </quad>
      <triangle><indices i0="4" i2="5"/><texCoord u="0.9"/></triangle>
      <polygon><indices i0="1" i1="2" i2="3" i3="0"/><texture>models/roof.tga</texture></polygon>
      <triangle><group><indices i1="2"/></group><texture/></triangle>
    </mesh></sgf>)"));
    ASSERT_EQ(file.getMeshes().size(), 1u);
    const auto& faces = file.getMeshes()[0].faces;
    ASSERT_EQ(faces.size(), 6u);

    // Quad 0 1 2 3 with P Q R S: (0 1 2; P Q R) and (2 3 0; R S P).
    const Vector2 P(0.1f, 0.2f), Q(0.3f, 0.4f), R(0.5f, 0.6f), S(0.7f, 0.8f);
    expectFace(faces[0], 0, 1, 2);
    expectFace(faces[1], 2, 3, 0);
    EXPECT_TRUE(faces[0].texCoords[0] == P && faces[0].texCoords[1] == Q && faces[0].texCoords[2] == R);
    EXPECT_TRUE(faces[1].texCoords[0] == R && faces[1].texCoords[1] == S && faces[1].texCoords[2] == P);
    EXPECT_EQ(faces[1].texture, "stone.tga");

    // The triangle keeps i1, the texture name and the v it does not set.
    expectFace(faces[2], 4, 1, 5);
    EXPECT_EQ(faces[2].texCoords[0], Vector2(0.9f, 0.2f));
    EXPECT_EQ(faces[2].texCoords[1], Q);
    EXPECT_EQ(faces[2].texture, "stone.tga");

    // Neither triangle nor quad: split like a quad with the fourth index left
    // over from the quad (3), not the polygon's own i3. Forward slashes stay.
    expectFace(faces[3], 1, 2, 3);
    expectFace(faces[4], 3, 3, 1);
    EXPECT_EQ(faces[3].texture, "models/roof.tga");

    // Indices found below a nested element; an empty texture gives default.jpg.
    expectFace(faces[5], 1, 2, 3);
    EXPECT_EQ(faces[5].texture, "default.jpg");
}

TEST(SGFFileTest, LightsStopAtTheFirstBadOne) {
    const SGFFile file(writeFile("lights", R"(<sgf>
      <light><s> 2.5 </s><color red="1" green="0.5" blue="0.25"/><position x="3" y="4" z="5"/></light>
      <light/>
      <mesh><vertices><v/></vertices></mesh>
      <light><s>1</s><color red="1"/></light>
      <light><s>9</s><color/><position/></light>
    </sgf>)"));
    EXPECT_EQ(file.getMeshes().size(), 1u);
    const auto& lights = file.getLights();
    ASSERT_EQ(lights.size(), 2u);
    const SGFLight& l = lights[0];
    EXPECT_TRUE(l.scalar == 2.5f && l.red == 1.0f && l.green == 0.5f && l.blue == 0.25f);
    EXPECT_TRUE(l.x == 3.0f && l.y == 4.0f && l.z == 5.0f);
    EXPECT_EQ(lights[1].scalar, 0.0f);  // no children: kept with all zeros

    const SGFFile noText(writeFile("lightnotext", "<sgf><light><s/><c/><p/></light>"
                                                  "<light><s>1</s><c/><p/></light></sgf>"));
    EXPECT_TRUE(noText.getLights().empty());
}
