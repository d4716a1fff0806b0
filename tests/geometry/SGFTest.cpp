// SGF model files: the reader and the limits hostile files run into, the inspector
// and its command line, and mesh models built from files (in a GL context for textures).
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <cfloat>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "geometry/SGFChecker.h"
#include "geometry/SGFFile.h"
#include "geometry/SGFMeshModel.h"
#include "geometry/SingleTexturedMesh.h"
#include "resources/TextureDatabase.h"
#include "sgfcheck/SgfCheckCommand.h"
#include "support/EngineTest.h"
#include "support/TestImages.h"

using namespace zel;

namespace {

std::string writeFile(const std::string& name, const std::string& text) {
    return zeltest::writeFile(zeltest::scratchDir("sgf-" + name), name + ".sgf", text);
}

std::string repeat(const std::string& part, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text += part;
    return text;
}

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// A triangle with the given indices, naming texture when it is not empty.
std::string face(int i0, int i1, int i2, const std::string& texture = "") {
    const std::string indices = "<indices i0='" + std::to_string(i0) + "' i1='" + std::to_string(i1) +
                                "' i2='" + std::to_string(i2) + "'/>";
    return "<triangle>" + indices + (texture.empty() ? "" : "<texture>" + texture + "</texture>") +
           "</triangle>";
}

// A mesh over the corners of a 2 x 3 rectangle in z = 0, the last one moved to z = -1.
std::string mesh(const std::string& faces) {
    return "<mesh><vertices><v x='0' y='0' z='0'/><v x='2' y='0' z='0'/><v x='2' y='3' z='0'/>"
           "<v x='0' y='3' z='-1'/></vertices>" +
           faces + "</mesh>";
}

class SGFCheckerTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = zeltest::scratchDir("sgfcheck");
        textures = dir + "/textures";
        std::filesystem::create_directories(textures);
        for (const char* name : {"stone.tga", "wood.tga"})
            zeltest::writeTGA(textures + "/" + name, 1, 1, 24, {{16, 32, 48, 255}});
        zeltest::writeFile(textures, "broken.tga", "this is no image");
    }
    std::string dir;
    std::string textures;
};

class SGFMeshModelTest : public zeltest::EngineTest {
protected:
    SGFMeshModelTest() : EngineTest(true) {}
};

} // namespace

TEST(SGFFileTest, NumbersReadLikeFormattedStreamInput) {
    // An exponent needs a digit, hex is "0" then garbage, and overflow saturates.
    const struct {
        const char* text;
        float asFloat;
        int asInt;
    } numbers[] = {{"  -1.5e2xyz", -150.0f, -1},
                   {".5", 0.5f, 0},
                   {"2e+x", 2.0f, 2},
                   {"", 0.0f, 0},
                   {"nan", 0.0f, 0},
                   {"0x10", 0.0f, 0},
                   {"1e39", FLT_MAX, 1},
                   {"-1e400", -FLT_MAX, -1},
                   {"99999999999999999999", 1e20f, 2147483647},
                   {"-99999999999", -99999999999.0f, -2147483647 - 1}};
    for (const auto& n : numbers) {
        EXPECT_EQ(SGFFile::toFloat(n.text), n.asFloat) << n.text;
        EXPECT_EQ(SGFFile::toInt(n.text), n.asInt) << n.text;
    }
    EXPECT_EQ(SGFFile::afterLast("a\\b\\c.tga", '\\'), "c.tga");
    EXPECT_EQ(SGFFile::afterLast("a/b/c.tga", '\\'), "a/b/c.tga");
}

TEST(SGFFileTest, RecordsTakeUnsetValuesFromThePreviousElementAndLightsStopAtABadOne) {
    // Unset values repeat the previous element's (0 at first); a face in first
    // position is read as the vertex list; a polygon splits like a quad with the
    // fourth index left over from the quad; indices 240 levels down are inside the
    // parser's nesting limit. Lights stop at the first bad one (the third has no
    // position); one without children is kept with zeros.
    const SGFFile file(writeFile("records", R"(<sgf>
      <light><s> 2.5 </s><color red="1" green="0.5" blue="0.25"/><position x="3" y="4" z="5"/></light>
      <light/>
      <light><s>1</s><color red="1"/></light>
      <light><s>9</s><color/><position/></light>
      <mesh/>
      <mesh><vertices>
        <vertex y="2"/><anything x="1" y="5" z="3"/><v x="4" z="6"/>
        <!-- not a vertex --><v x="bad" y="7junk"/>
      </vertices></mesh>
      <mesh><vertices><v/></vertices><triangle><indices i0="2"/></triangle></mesh>
      <mesh><triangle><a x="1"/><b x="2"/></triangle></mesh>
      <mesh><vertices/>
      <quad>
        <indices i0="0" i1="1" i2="2" i3="3"/>
        <texCoord u="0.1" v="0.2"/><texCoord u="0.3" v="0.4"/>
        <texCoord u="0.5" v="0.6"/><texCoord u="0.7" v="0.8"/>
        <texture>textures\walls\stone.tga</texture>
      </quad>
      <triangle><indices i0="4" i2="5"/><texCoord u="0.9"/></triangle>
      <polygon><indices i0="1" i1="2" i2="3" i3="0"/><texture>models/roof.tga</texture></polygon>
      <triangle>)" + repeat("<n>", 240) + "<indices i1='2'/>" +
                                                repeat("</n>", 240) + "<texture/></triangle></mesh></sgf>"));
    EXPECT_EQ(SGFChecker::describeRecords(file),
              "mesh 0:\n"
              "mesh 1:\n"
              "  vertex 0: (0, 2, 0)\n"
              "  vertex 1: (1, 5, 3)\n"
              "  vertex 2: (4, 5, 6)\n"
              "  vertex 3: (0, 7, 6)\n"
              "mesh 2:\n"
              "  vertex 0: (0, 0, 0)\n"
              "  face 0: indices (2, 0, 0) uv (0, 0) (0, 0) (0, 0) texture (none)\n"
              "mesh 3:\n"
              "  vertex 0: (1, 0, 0)\n"
              "  vertex 1: (2, 0, 0)\n"
              "mesh 4:\n"
              "  face 0: indices (0, 1, 2) uv (0.1, 0.2) (0.3, 0.4) (0.5, 0.6) texture stone.tga\n"
              "  face 1: indices (2, 3, 0) uv (0.5, 0.6) (0.7, 0.8) (0.1, 0.2) texture stone.tga\n"
              "  face 2: indices (4, 1, 5) uv (0.9, 0.2) (0.3, 0.4) (0.5, 0.6) texture stone.tga\n"
              "  face 3: indices (1, 2, 3) uv (0.9, 0.2) (0.3, 0.4) (0.5, 0.6) texture models/roof.tga\n"
              "  face 4: indices (3, 3, 1) uv (0.5, 0.6) (0.7, 0.8) (0.9, 0.2) texture models/roof.tga\n"
              "  face 5: indices (1, 2, 3) uv (0.9, 0.2) (0.3, 0.4) (0.5, 0.6) texture default.jpg\n");
    const auto& lights = file.getLights();
    ASSERT_EQ(lights.size(), 2u);
    const SGFLight& l = lights[0];
    EXPECT_EQ((std::vector<float>{l.scalar, l.red, l.green, l.blue, l.x, l.y, l.z}),
              (std::vector<float>{2.5f, 1, 0.5f, 0.25f, 3, 4, 5}));
    EXPECT_EQ(lights[1].scalar, 0.0f);
}

TEST(SGFFileTest, HostileFilesAreCutAtTheLimitsQuickly) {
    const std::string triangle = "<l><v/><v x='1'/><v z='1'/></l><triangle/>";
    const std::string head = "<sgf><mesh>" + triangle + "</mesh><!--";
    const struct {
        const char* name;
        std::string text;
        std::vector<std::string> warnings; // each after "WARNING: [SGFFile] <path>"
        const char* lastTexture;
        std::size_t counts[3]; // meshes, then the first mesh's vertices and faces
    } cases[] = {
        // The shortest elements there are, so the file stays near 6 MB: 2^20 + 7
        // vertices, then 2^19 + 3 quads, which split into 2^20 + 6 triangles.
        {"million",
         "<sgf><mesh><l>" + repeat("<v/>", SGFFile::MAX_VERTICES_PER_MESH + 7) +
             "</l><quad><indices i0='0' i1='1' i2='2' i3='3'/></quad>" +
             repeat("<q/>", SGFFile::MAX_FACES_PER_MESH / 2 + 2) + "</mesh></sgf>",
         {": mesh 0 has more than 1048576 vertices; the rest are ignored.",
          ": mesh 0 has more than 1048576 faces; the rest are ignored."},
         "",
         {1, SGFFile::MAX_VERTICES_PER_MESH, SGFFile::MAX_FACES_PER_MESH}},
        {"meshes",
         "<sgf>" + repeat("<mesh/>", SGFFile::MAX_MESHES_PER_FILE + 1) + "</sgf>",
         {": more than 1024 meshes; the rest are ignored."},
         "",
         {SGFFile::MAX_MESHES_PER_FILE, 0, 0}},
        // A 4 kB name inherited by 1000 further faces: they carry the short default.
        {"longname",
         "<sgf><mesh>" + triangle + "<triangle><texture>" + std::string(4000, 'n') +
             ".jpg</texture></triangle>" + repeat("<triangle/>", 1000) + "</mesh></sgf>",
         {": mesh 0: a texture name of 4004 bytes is longer than 255; default.jpg is used."},
         "default.jpg",
         {1, 3, 1002}},
        // A valid model padded to one byte over the limit is refused before any parsing.
        {"oversized",
         head + std::string(SGFFile::MAX_FILE_BYTES + 1 - head.size() - 9, ' ') + "--></sgf>",
         {" is larger than its size limit (8388608 bytes); the file is not read."},
         "",
         {0, 0, 0}},
        // Nesting deeper than the parser allows makes the file unreadable, silently here.
        {"toodeep", "<sgf><mesh>" + triangle + "<triangle>" + repeat("<a>", 100000), {}, "", {0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = writeFile(c.name, c.text);
        std::string expected;
        for (const std::string& warning : c.warnings)
            expected += "WARNING: [SGFFile] " + path + warning + "\n";
        const auto start = std::chrono::steady_clock::now();
        std::unique_ptr<SGFFile> reader;
        EXPECT_EQ(zeltest::captureStderr([&] { reader = std::make_unique<SGFFile>(path); }), expected);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
        EXPECT_EQ(reader->isLoaded(), c.counts[0] > 0);
        ASSERT_EQ(reader->getMeshes().size(), c.counts[0]);
        if (c.counts[0] == 0)
            continue;
        const SGFMesh& first = reader->getMeshes()[0];
        EXPECT_EQ(first.vertices.size(), c.counts[1]);
        ASSERT_EQ(first.faces.size(), c.counts[2]);
        if (c.counts[2] > 0) {
            EXPECT_EQ(first.faces.back().texture, c.lastTexture);
        }
    }
}

TEST_F(SGFCheckerTest, ReportsDescribeTheFileAndListItsProblems) {
    const struct {
        const char* name;
        std::string text;
        std::size_t limit;  // of vertices and of faces per mesh, 0 for the reader's own
        std::string report; // after the "File:" line; D stands for the scratch folder
    } cases[] = {
        // The first mesh's faces are all out of range, so the model cannot be placed.
        // Names resolve to what follows the last backslash; the directory's trailing
        // slash is not doubled.
        {"skipped",
         "<sgf>" + mesh(face(0, 1, 4, "stone.tga") + face(-1, 1, 2)) + "<mesh><vertices/>" +
             face(0, 1, 2, "stone.tga") + "</mesh><mesh/>" + mesh("") +
             mesh(face(0, 1, 2) + face(0, 1, 2, "a\\b\\wood.tga") + face(0, 2, 3, "gone.tga") +
                  face(0, 2, 3, "broken.tga")) +
             "</sgf>",
         0,
         "  mesh 0: 4 vertices, 2 faces (2 skipped), mixed textures (display list): stone.tga\n"
         "  mesh 1: 0 vertices, 1 faces (1 skipped), mixed textures (display list): stone.tga\n"
         "  mesh 2: 0 vertices, 0 faces\n"
         "  mesh 3: 4 vertices, 0 faces\n"
         "  mesh 4: 4 vertices, 4 faces, mixed textures (display list): wood.tga, gone.tga, broken.tga, "
         "(none)\n"
         "Totals: 5 meshes, 12 vertices, 7 faces (triangles), 0 lights\n"
         "Textures: 4\n"
         "  stone.tga: 3 faces, ok (D/textures/stone.tga)\n"
         "  wood.tga: 1 faces, ok (D/textures/wood.tga)\n"
         "  gone.tga: 1 faces, MISSING (D/textures/gone.tga)\n"
         "  broken.tga: 1 faces, UNREADABLE (D/textures/broken.tga)\n"
         "Bounding box: min (0, 0, -1) max (2, 3, 0) size (2, 3, 1)\n"
         "Problems: 9\n"
         "  mesh 0, face 0: vertex index (0, 1, 4) outside the mesh's 4 vertices (valid 0..3); the loader "
         "skips this face.\n"
         "  mesh 0, face 1: vertex index (-1, 1, 2) outside the mesh's 4 vertices (valid 0..3); the loader "
         "skips this face.\n"
         "  mesh 1 has faces but no vertices.\n"
         "  mesh 2 is empty: no vertices and no faces.\n"
         "  mesh 3 has 4 vertices but no faces.\n"
         "  mesh 4: 1 faces name no texture (no texture element before them); they draw with the default "
         "texture.\n"
         "  the first mesh has no face that loads, so the model has no bounding box and loads empty.\n"
         "  texture gone.tga (1 faces): file D/textures/gone.tga not found; those faces draw with the "
         "default texture.\n"
         "  texture broken.tga: file D/textures/broken.tga cannot be decoded as TGA, BMP or JPEG; those "
         "faces draw with the default texture.\n"
         "Result: PROBLEMS\n"},
        // Six vertices and faces making five triangles against limits of 4 each (the
        // box leaves out the last two vertices);
        // the second of three lights has no text in its first child.
        {"limits",
         "<sgf><mesh><vertices><v y='1'/>" + repeat("<v x='1'/>", 3) + "<v x='9'/><v z='9'/></vertices>" +
             face(0, 1, 2, "stone.tga") + face(0, 1, 3, "stone.tga") +
             "<quad><indices i0='0' i1='1' i2='2' i3='3'/></quad>" + face(1, 2, 3, "stone.tga") +
             "</mesh><light><s>1</s><c/><p/></light><light><s/><c/><p/></light><light><s>3</s><c/><p/>"
             "</light></sgf>",
         4,
         "  mesh 0: 4 vertices, 4 faces, single texture (vertex buffers): stone.tga\n"
         "Totals: 1 meshes, 4 vertices, 4 faces (triangles), 1 lights of 3 light elements\n"
         "Textures: 1\n"
         "  stone.tga: 4 faces, ok (D/textures/stone.tga)\n"
         "Bounding box: min (0, 1, 0) max (1, 1, 0) size (1, 0, 0)\n"
         "Problems: 3\n"
         "  mesh 0: the file lists 6 vertices; only the first 4 are read (limit 4 per mesh).\n"
         "  mesh 0: the file's faces make 5 triangles; only the first 4 are read (limit 4 per mesh).\n"
         "  light 1 is malformed (its first child needs a number as text, and it needs three child "
         "elements); it and the 1 lights after it are skipped.\n"
         "Result: PROBLEMS\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = zeltest::writeFile(dir, std::string(c.name) + ".sgf", c.text);
        const SGFChecker checker(textures + "/", c.limit ? c.limit : SGFFile::MAX_VERTICES_PER_MESH,
                                 c.limit ? c.limit : SGFFile::MAX_FACES_PER_MESH);
        const SGFReport report = checker.inspect(path);
        EXPECT_EQ(replaceAll(SGFChecker::format(report), dir, "D"),
                  "File: D/" + std::string(c.name) + ".sgf\n" + c.report);
    }
}

TEST_F(SGFCheckerTest, CommandLineReportsAndExitStatus) {
    auto file = [&](const std::string& name, const std::string& text) {
        return zeltest::writeFile(dir, name + ".sgf", text);
    };
    std::string many = face(0, 1, 2, "stone.tga");
    for (std::size_t i = 0; i < SGFChecker::MAX_PROBLEM_LINES + 50; ++i)
        many += face(0, 1, 9, "stone.tga");
    // Names that stand for paths in the argument lists below.
    const std::map<std::string, std::string> paths = {
        {"T", textures},
        {"ok", file("ok", "<sgf>" + mesh(face(0, 1, 2, "stone.tga")) + "</sgf>")},
        {"bad", file("bad", "<sgf>" + mesh(face(0, 1, 5, "stone.tga")) + "</sgf>")},
        {"many", file("many", "<sgf>" + mesh(many) + "</sgf>")},
        {"cut", file("cut", "<sgf><mesh><vertices>")},
        {"binary", file("binary", "\x01\x02\xff\xfe garbage")},
        {"otherroot", file("otherroot", "<model><mesh><v/></mesh></model>")},
        {"missing", dir + "/nothing.sgf"}};
    const std::string unreadable = "Problems: 1\n  the file is not well-formed XML (or cannot be read); "
                                   "nothing loads.\nResult: PROBLEMS\n";
    const std::string noMesh =
        "Bounding box: none (no face loads)\nProblems: 1\n  the file has no mesh elements "
        "directly under an sgf root element; nothing loads.\nResult: PROBLEMS\n";
    using Command = zeltools::SgfCheckCommand;
    const struct {
        std::vector<std::string> args;
        int status;
        std::string printed;
    } cases[] = {
        {{"--textures", "T", "ok"}, Command::EXIT_CLEAN, "Result: clean\n"},
        // The default texture directory is the run layout's, which has no stone.tga.
        {{"ok"}, Command::EXIT_PROBLEMS, "file ../data/textures/stone.tga not found"},
        {{"--textures", "T", "ok", "bad"}, Command::EXIT_PROBLEMS, "Result: clean\n\nFile: "},
        {{"--textures", "T", "many"}, Command::EXIT_PROBLEMS, "  ... and 50 more\nResult: PROBLEMS\n"},
        {{"--textures", "T", "cut"}, Command::EXIT_PROBLEMS, unreadable},
        {{"--textures", "T", "binary"}, Command::EXIT_PROBLEMS, unreadable},
        {{"--textures", "T", "otherroot"}, Command::EXIT_PROBLEMS, noMesh},
        {{"--textures", "T", "missing"},
         Command::EXIT_PROBLEMS,
         "Problems: 1\n  the file does not exist; nothing loads.\nResult: PROBLEMS\n"},
        {{"--textures", "T", "-v", "ok"},
         Command::EXIT_CLEAN,
         "  vertex 3: (0, 3, -1)\n  face 0: indices (0, 1, 2)"},
        {{}, Command::EXIT_USAGE, "Usage: sgfcheck [--textures DIR]"},
        {{"--frobnicate", "ok"}, Command::EXIT_USAGE, "unknown option --frobnicate"},
        {{"ok", "--textures"}, Command::EXIT_USAGE, "--textures needs a directory."},
        {{"--help"}, Command::EXIT_CLEAN, "Exit status: 0 clean, 1 problems, 2 usage."},
    };
    for (const auto& c : cases) {
        std::vector<const char*> argv = {"sgfcheck"};
        for (const std::string& a : c.args)
            argv.push_back(paths.count(a) ? paths.at(a).c_str() : a.c_str());
        int status = -1;
        const std::string out = zeltest::captureStdout(
            [&] { status = Command::run(static_cast<int>(argv.size()), argv.data()); });
        EXPECT_EQ(status, c.status) << c.printed;
        EXPECT_NE(out.find(c.printed), std::string::npos) << out;
    }
}

TEST_F(SGFMeshModelTest, MeshKindsAndTextures) {
    // Mesh 3 stays single-textured, as its face of another texture is skipped. A texture
    // that fails to load leaves a single-textured mesh the default and its triangles none.
    const std::string path = writeFile(
        "kinds", "<sgf>" + mesh(face(0, 1, 2, "a\\b\\plaster.jpg") + face(0, 2, 3, "plaster.jpg")) +
                     mesh(face(0, 1, 2, "plaster.jpg") + face(0, 2, 3, "door.jpg")) + mesh("") +
                     mesh(face(9, 1, 2, "door.jpg") + face(0, 1, 2, "plaster.jpg")) +
                     mesh(face(0, 1, 2, "no_such_texture.jpg")) +
                     mesh(face(0, 1, 2, "no_such_texture.jpg") + face(0, 2, 3, "door.jpg")) + "</sgf>");
    std::unique_ptr<SGFMeshModel> model;
    std::string err;
    zeltest::captureStdout([&] { // the image loader reports the missing file
        err = zeltest::captureStderr([&] { model = SGFMeshModel::load(path, Vector3(0, 0, 0), 1.0f); });
    });
    EXPECT_EQ(err,
              "ERROR: [SGFMeshModel] " + path +
                  ": mesh 3, face 0: vertex index (9, 1, 2) outside the mesh's 4 vertices; face skipped.\n");
    TextureDatabase& registry = TextureDatabase::getInstance();
    Texture* plaster = registry.findTexture("plaster.jpg");
    ASSERT_NE(plaster, nullptr);
    const std::map<const Texture*, std::string> names = {{plaster, "plaster"},
                                                         {registry.findTexture("door.jpg"), "door"},
                                                         {registry.getDefaultTexture(), "default"},
                                                         {nullptr, "none"}};
    // Each mesh as its kind (with its texture when single-textured) and its triangles' textures.
    std::vector<std::string> kinds;
    for (const auto& m : model->getMeshes()) {
        auto* single = dynamic_cast<SingleTexturedMesh*>(m.get());
        kinds.push_back(single ? "single " + names.at(single->getTexture()) + ":" : "plain:");
        for (const auto& t : m->getTriangles())
            kinds.back() += " " + names.at(t->texture);
    }
    EXPECT_EQ(kinds, (std::vector<std::string>{"single plaster: plaster plaster", "plain: plaster door",
                                               "plain:", "single plaster: plaster", "single default: none",
                                               "plain: none door"}));
    const auto& meshes = model->getMeshes();
    EXPECT_EQ(meshes[1]->getRenderMode(), Mesh::RENDER_DISPLAY_LIST);
    // The record's vertex at the face's index, moved as the base centre (1, 0, -0.5) went to 0.
    EXPECT_EQ(meshes[1]->getTriangles()[1]->positions[1], Vector3(1, 3, 0.5f));
    auto* afterSkip = static_cast<SingleTexturedMesh*>(meshes[3].get());

    // Without a texture the mesh draws with no texture bound, not the last one.
    afterSkip->init();
    afterSkip->setTexture(nullptr);
    glBindTexture(GL_TEXTURE_2D, plaster->getId());
    afterSkip->draw();
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
}

TEST_F(SGFMeshModelTest, LoadSkipsBadFacesAndReturnsAnEmptyModelForUnusableFiles) {
    const std::string unreadable = "Could not read model file @; the model is empty.";
    const std::string noFace = "The first mesh of model file @ has no usable faces; the model is empty.";
    const std::string skipped = "@: mesh 0, face ";
    const std::string outside = " outside the mesh's 4 vertices; face skipped.";
    const struct {
        std::string path;
        std::vector<std::string> errors; // each after "ERROR: [SGFMeshModel] ", @ for the path
        std::size_t triangles;
    } cases[] = {
        {writeFile("empty", ""), {unreadable}, 0},
        {writeFile("nomeshes", "<sgf><light/></sgf>"),
         {"Model file @ has no meshes; the model is empty."},
         0},
        {writeFile("allrejected", "<sgf>" + mesh(face(7, 1, 2, "plaster.jpg")) + "</sgf>"),
         {skipped + "0: vertex index (7, 1, 2)" + outside, noFace},
         0},
        // Of these only the quad's first half (0, 1, 2) and the last triangle remain.
        {writeFile("indices",
                   "<sgf>" +
                       mesh(face(-1, 0, 1, "default.jpg") + face(4, 1, 2) +
                            "<quad><indices i0='0' i1='1' i2='2' i3='-7'/></quad>" + face(3, 1, 2)) +
                       "</sgf>"),
         {skipped + "0: vertex index (-1, 0, 1)" + outside, skipped + "1: vertex index (4, 1, 2)" + outside,
          skipped + "3: vertex index (2, -7, 0)" + outside},
         2},
        // 1e39 saturates to the largest float, nan and inf read as 0: the model is
        // built, placed and initialised without a NaN in any position.
        {writeFile("numbers", "<sgf><mesh><l><v x='1e39' y='0' z='nan'/><v x='-1e39' y='inf' z='-inf'/>"
                              "<v x='1e-60' y='1e39' z='+1e39'/><v x='NaN' y='-0' z='1e38'/></l>"
                              "<triangle><indices i0='0' i1='1' i2='2'/><texCoord u='nan' v='1e39'/>"
                              "<texCoord u='-inf'/><texture>default.jpg</texture></triangle>"
                              "<triangle><indices i0='1' i1='2' i2='3'/></triangle></mesh></sgf>"),
         {},
         2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        std::string expected;
        for (std::string line : c.errors)
            expected += "ERROR: [SGFMeshModel] " + line.replace(line.find('@'), 1, c.path) + "\n";
        std::unique_ptr<SGFMeshModel> model;
        EXPECT_EQ(zeltest::captureStderr([&] { model = SGFMeshModel::load(c.path, Vector3(1, 2, 3), 1.0f); }),
                  expected);
        ASSERT_NE(model, nullptr);
        EXPECT_EQ(model->getBoundingBox() != nullptr, c.triangles > 0);
        EXPECT_TRUE(model->init());
        model->render();
        std::size_t triangles = 0;
        for (const auto& m : model->getMeshes()) {
            for (const auto& triangle : m->getTriangles()) {
                ++triangles;
                for (const Vector3& p : triangle->positions)
                    EXPECT_FALSE(std::isnan(p.x) || std::isnan(p.y) || std::isnan(p.z));
            }
        }
        EXPECT_EQ(triangles, c.triangles);
    }
    // Doubled, the largest coordinates overflow: the model is refused rather than built with infinities.
    const std::string numbers = std::end(cases)[-1].path;
    std::unique_ptr<SGFMeshModel> doubled;
    EXPECT_EQ(zeltest::captureStderr([&] { doubled = SGFMeshModel::load(numbers, {}, 2); }),
              "ERROR: [SGFMeshModel] Model file " + numbers +
                  " leaves the float range at scale 2; the model is empty.\n");
    EXPECT_EQ(doubled->getBoundingBox(), nullptr);
}

TEST_F(SGFMeshModelTest, EachDistinctNameIsRequestedOnceUpToTheLimit) {
    // 1000 faces inheriting one missing name, then 1100 distinct missing names.
    std::string faces = face(0, 1, 2, "missing.jpg") + repeat("<triangle/>", 1000);
    for (int i = 0; i < 1100; ++i)
        faces += face(0, 1, 2, "m" + std::to_string(i) + ".jpg");
    const std::string path = writeFile("names", "<sgf>" + mesh(faces) + "</sgf>");
    const SGFFile reader(path);
    std::unique_ptr<SGFMeshModel> model;
    std::string err;
    const std::string out = zeltest::captureStdout([&] {
        err = zeltest::captureStderr([&] { model = std::make_unique<SGFMeshModel>(reader, 0, 0, 0, 1.0f); });
    });
    EXPECT_EQ(count(out, "Error loading image ../data/textures/missing.jpg."), 1u);
    EXPECT_EQ(count(out, "Error loading image"), SGFMeshModel::MAX_TEXTURES_PER_FILE);
    EXPECT_EQ(err, "WARNING: [SGFMeshModel] " + path +
                       " names more than 1024 textures; the rest use the default texture.\n");
    EXPECT_EQ(model->getMeshes()[0]->getTriangles().size(), 2101u);
}
