// The SGF inspector on small hostile files in a scratch folder, its command line
// and exit status. No GL.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "geometry/SGFChecker.h"
#include "sgfcheck/SgfCheckCommand.h"
#include "support/GLContext.h"
#include "support/TestImages.h"

using namespace zel;

namespace {

using zeltest::writeFile;

std::string triangle(int i0, int i1, int i2, const std::string& texture) {
    std::string text = "<triangle><indices i0='" + std::to_string(i0) + "' i1='" + std::to_string(i1) +
                       "' i2='" + std::to_string(i2) +
                       "'/><texCoord u='0' v='0'/><texCoord u='1' v='0'/><texCoord u='0' v='1'/>";
    if (!texture.empty())
        text += "<texture>" + texture + "</texture>";
    return text + "</triangle>";
}

const char* const SQUARE_VERTICES = "<vertices><v x='0' y='0' z='0'/><v x='2' y='0' z='0'/>"
                                    "<v x='2' y='3' z='0'/><v x='0' y='3' z='-1'/></vertices>";

bool hasProblemContaining(const SGFReport& report, const std::string& text) {
    for (const std::string& line : report.problems) {
        if (line.find(text) != std::string::npos)
            return true;
    }
    return false;
}

// Runs the command line with stdout captured; returns the exit status.
int runCommand(std::vector<std::string> args, std::string* output = nullptr) {
    args.insert(args.begin(), "sgfcheck");
    std::vector<const char*> argv;
    for (const std::string& a : args)
        argv.push_back(a.c_str());
    int status = -1;
    const std::string printed = zeltest::captureStdout(
        [&] { status = zeltools::SgfCheckCommand::run(static_cast<int>(argv.size()), argv.data()); });
    if (output)
        *output = printed;
    return status;
}

class SGFCheckerTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = zeltest::scratchDir("sgfcheck");
        textures = dir + "/textures";
        std::filesystem::create_directories(textures);
        for (const char* name : {"stone.tga", "wood.tga"})
            zeltest::writeTGA(textures + "/" + name, 1, 1, 24, {{16, 32, 48, 255}});
        writeFile(textures, "broken.tga", "this is no image");
    }
    std::string dir;
    std::string textures;
};

} // namespace

TEST_F(SGFCheckerTest, CleanFileIsDescribed) {
    // A quad and a triangle with one texture, a second mesh mixing textures, two lights.
    const std::string path = writeFile(
        dir, "clean.sgf",
        std::string("<sgf><mesh>") + SQUARE_VERTICES +
            "<quad><indices i0='0' i1='1' i2='2' i3='3'/><texCoord/><texCoord/><texCoord/><texCoord/>"
            "<texture>C:\\art\\stone.tga</texture></quad>" +
            triangle(0, 1, 3, "") + "</mesh><mesh>" + SQUARE_VERTICES + triangle(0, 1, 2, "stone.tga") +
            triangle(0, 2, 3, "wood.tga") +
            "</mesh><light><s>1</s><c red='1' green='0' blue='0'/><p x='0' y='1' z='0'/></light>"
            "<light><s>2</s><c/><p/></light></sgf>");
    const SGFReport report = SGFChecker(textures).inspect(path);
    EXPECT_TRUE(report.isClean()) << SGFChecker::format(report);
    ASSERT_EQ(report.meshes.size(), 2u);
    EXPECT_EQ(report.meshes[0].vertexCount, 4u);
    EXPECT_EQ(report.meshes[0].faceCount, 3u); // the quad is two triangles
    EXPECT_TRUE(report.meshes[0].singleTextured);
    EXPECT_EQ(report.meshes[0].textures, std::vector<std::string>{"stone.tga"});
    ASSERT_EQ(report.textures.size(), 2u);
    EXPECT_EQ(report.textures[0].faceCount, 4u);
    EXPECT_TRUE(report.textures[0].found && report.textures[0].decodable);
    EXPECT_EQ(report.textures[0].path, textures + "/stone.tga");
    EXPECT_EQ(report.lightCount, 2u);
    EXPECT_EQ(report.lightElementCount, 2u);

    const std::string text = SGFChecker::format(report);
    EXPECT_NE(text.find("mesh 1: 4 vertices, 2 faces, mixed textures (display list): stone.tga, wood.tga"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Bounding box: min (0, 0, -1) max (2, 3, 0) size (2, 3, 1)"), std::string::npos)
        << text;
    EXPECT_NE(text.find("Result: clean"), std::string::npos);
    EXPECT_EQ(text.find("Problems"), std::string::npos);
}

TEST_F(SGFCheckerTest, IndicesOutsideTheVertexListAreReportedAndLeftOutOfTheBox) {
    const std::string path = writeFile(
        dir, "indices.sgf",
        std::string("<sgf><mesh>") + SQUARE_VERTICES + triangle(0, 1, 2, "stone.tga") +
            triangle(0, 1, 4, "stone.tga") + triangle(-1, 1, 2, "stone.tga") +
            "<triangle><indices i0='99999999999' i1='1' i2='2'/></triangle>" + // saturates, still outside
            "</mesh><mesh><vertices/>" + triangle(0, 1, 2, "stone.tga") + "</mesh></sgf>");
    const SGFReport report = SGFChecker(textures).inspect(path);
    EXPECT_FALSE(report.isClean());
    EXPECT_EQ(report.meshes[0].invalidFaceCount, 3u);
    EXPECT_TRUE(
        hasProblemContaining(report, "mesh 0, face 1: vertex index (0, 1, 4) outside the mesh's 4 vertices"));
    EXPECT_TRUE(hasProblemContaining(report, "mesh 0, face 2: vertex index (-1, 1, 2)"));
    EXPECT_TRUE(hasProblemContaining(report, "mesh 0, face 3: vertex index (2147483647, 1, 2)"));
    EXPECT_TRUE(hasProblemContaining(report, "mesh 1 has faces but no vertices"));
    EXPECT_EQ(report.problemCount, 4u);
    // Only the valid face spans the box: vertex 3 (z = -1) is never used.
    EXPECT_NE(SGFChecker::format(report).find("Bounding box: min (0, 0, 0) max (2, 3, 0)"),
              std::string::npos);
}

TEST_F(SGFCheckerTest, TexturesAreResolvedInTheTextureDirectory) {
    const std::string path =
        writeFile(dir, "textures.sgf",
                  std::string("<sgf><mesh>") + SQUARE_VERTICES + triangle(0, 1, 2, "") +
                      triangle(0, 1, 2, "a\\b\\wood.tga") + triangle(0, 2, 3, "gone.tga") +
                      triangle(0, 2, 3, "broken.tga") + triangle(0, 2, 3, "a/b/wood.tga") + "</mesh></sgf>");

    const SGFReport report = SGFChecker(textures + "/").inspect(path);
    ASSERT_EQ(report.textures.size(), 4u);
    EXPECT_EQ(report.textures[0].path, textures + "/wood.tga"); // only the part after the last backslash
    EXPECT_TRUE(report.textures[0].decodable);
    EXPECT_TRUE(hasProblemContaining(report, "mesh 0: 1 faces name no texture"));
    EXPECT_TRUE(
        hasProblemContaining(report, "texture gone.tga (1 faces): file " + textures + "/gone.tga not found"));
    EXPECT_TRUE(report.textures[2].found);
    EXPECT_FALSE(report.textures[2].decodable);
    EXPECT_TRUE(hasProblemContaining(report, "texture broken.tga: file " + textures +
                                                 "/broken.tga cannot be decoded"));
    EXPECT_TRUE(hasProblemContaining(report, "a/b/wood.tga")); // forward slashes are no separators
    EXPECT_EQ(report.problemCount, 4u);

    // The same file against a directory without the textures: every named one is missing.
    const SGFReport elsewhere = SGFChecker(dir).inspect(path);
    EXPECT_EQ(elsewhere.problemCount, 5u);
    EXPECT_TRUE(hasProblemContaining(elsewhere, "file " + dir + "/wood.tga not found"));
}

TEST_F(SGFCheckerTest, EmptyMeshesAndFilesThatLoadNothing) {
    SGFChecker inspector(textures);

    const SGFReport empty =
        inspector.inspect(writeFile(dir, "empty.sgf",
                                    std::string("<sgf><mesh/><mesh>") + SQUARE_VERTICES + "</mesh><mesh>" +
                                        SQUARE_VERTICES + triangle(0, 1, 2, "stone.tga") + "</mesh></sgf>"));
    EXPECT_TRUE(hasProblemContaining(empty, "mesh 0 is empty: no vertices and no faces"));
    EXPECT_TRUE(hasProblemContaining(empty, "mesh 1 has 4 vertices but no faces"));
    EXPECT_TRUE(hasProblemContaining(empty, "the first mesh has no face that loads"));
    EXPECT_EQ(empty.problemCount, 3u);
    EXPECT_TRUE(empty.hasBox); // mesh 2 has geometry, but the model cannot be placed

    // The first mesh's only face is out of range: same verdict about the box.
    const SGFReport badFirst = inspector.inspect(writeFile(
        dir, "badfirst.sgf",
        std::string("<sgf><mesh>") + SQUARE_VERTICES + triangle(0, 1, 7, "stone.tga") + "</mesh></sgf>"));
    EXPECT_TRUE(hasProblemContaining(badFirst, "the first mesh has no face that loads"));
    EXPECT_FALSE(badFirst.hasBox);
    EXPECT_NE(SGFChecker::format(badFirst).find("Bounding box: none"), std::string::npos);

    struct Case {
        const char* name;
        const char* text;
        const char* problem;
    };
    const Case cases[] = {
        {"malformed.sgf", "<sgf><mesh><vertices>", "not well-formed XML"},
        {"blank.sgf", "", "not well-formed XML"},
        {"binary.sgf", "\x01\x02\xff\xfe garbage", "not well-formed XML"},
        {"otherroot.sgf", "<model><mesh><v/></mesh></model>", "no mesh elements"},
        {"nomesh.sgf", "<sgf><light><s>1</s><c/><p/></light></sgf>", "no mesh elements"},
    };
    for (const Case& c : cases) {
        const SGFReport report = inspector.inspect(writeFile(dir, c.name, c.text));
        EXPECT_TRUE(hasProblemContaining(report, c.problem)) << c.name << "\n" << SGFChecker::format(report);
        EXPECT_EQ(report.problemCount, 1u) << c.name;
        EXPECT_TRUE(report.meshes.empty()) << c.name;
    }
    const SGFReport missing = inspector.inspect(dir + "/does-not-exist.sgf");
    EXPECT_FALSE(missing.loaded);
    EXPECT_TRUE(hasProblemContaining(missing, "does not exist"));
    EXPECT_EQ(SGFChecker::format(missing),
              "File: " + dir +
                  "/does-not-exist.sgf\nProblems: 1\n"
                  "  the file does not exist; nothing loads.\nResult: PROBLEMS\n");
}

TEST_F(SGFCheckerTest, DroppedVerticesFacesAndLightsAreFound) {
    // Six vertices and faces making five triangles against limits of 4 each;
    // the second of three lights has no text in its first child.
    std::string vertices = "<vertices>";
    for (int i = 0; i < 6; ++i)
        vertices += "<v x='" + std::to_string(i) + "' y='1' z='0'/>";
    vertices += "</vertices>";
    const std::string path =
        writeFile(dir, "limits.sgf",
                  "<sgf><mesh>" + vertices + triangle(0, 1, 2, "stone.tga") + triangle(0, 1, 3, "stone.tga") +
                      "<quad><indices i0='0' i1='1' i2='2' i3='3'/></quad>" + triangle(1, 2, 3, "stone.tga") +
                      "</mesh><light><s>1</s><c/><p/></light><light><s/><c/><p/></light><light><s>3</s><c/"
                      "><p/></light></sgf>");

    const SGFReport report = SGFChecker(textures, 4, 4).inspect(path);
    EXPECT_EQ(report.meshes[0].vertexCount, 4u);
    EXPECT_TRUE(hasProblemContaining(report, "mesh 0: the file lists 6 vertices; only the first 4 are read"));
    EXPECT_TRUE(
        hasProblemContaining(report, "mesh 0: the file's faces make 5 triangles; only the first 4 are read"));
    EXPECT_EQ(report.lightCount, 1u);
    EXPECT_EQ(report.lightElementCount, 3u);
    EXPECT_TRUE(hasProblemContaining(report, "light 1 is malformed"));
    EXPECT_EQ(report.problemCount, 3u);

    // With the default limits only the light remains a problem.
    const SGFReport unlimited = SGFChecker(textures).inspect(path);
    EXPECT_EQ(unlimited.problemCount, 1u) << SGFChecker::format(unlimited);
}

TEST_F(SGFCheckerTest, ProblemLinesAreBounded) {
    std::string faces;
    for (std::size_t i = 0; i < SGFChecker::MAX_PROBLEM_LINES + 50; ++i)
        faces += triangle(0, 1, 9, "stone.tga");
    const SGFReport report =
        SGFChecker(textures).inspect(writeFile(dir, "many.sgf",
                                               std::string("<sgf><mesh>") + SQUARE_VERTICES +
                                                   triangle(0, 1, 2, "stone.tga") + faces + "</mesh></sgf>"));
    EXPECT_EQ(report.problemCount, SGFChecker::MAX_PROBLEM_LINES + 50);
    EXPECT_EQ(report.problems.size(), SGFChecker::MAX_PROBLEM_LINES);
    EXPECT_NE(SGFChecker::format(report).find("  ... and 50 more\n"), std::string::npos);
}

TEST_F(SGFCheckerTest, CommandLineExitStatus) {
    const std::string clean = writeFile(dir, "ok.sgf",
                                        std::string("<sgf><mesh>") + SQUARE_VERTICES +
                                            triangle(0, 1, 2, "stone.tga") + "</mesh></sgf>");
    const std::string bad = writeFile(dir, "bad.sgf",
                                      std::string("<sgf><mesh>") + SQUARE_VERTICES +
                                          triangle(0, 1, 5, "stone.tga") + "</mesh></sgf>");

    std::string out;
    EXPECT_EQ(runCommand({"--textures", textures, clean}, &out), zeltools::SgfCheckCommand::EXIT_CLEAN);
    EXPECT_NE(out.find("File: " + clean + "\n"), std::string::npos);
    EXPECT_NE(out.find("Result: clean"), std::string::npos);

    // The default texture directory is the run layout's, which has no stone.tga.
    EXPECT_EQ(runCommand({clean}, &out), zeltools::SgfCheckCommand::EXIT_PROBLEMS);
    EXPECT_NE(out.find("../data/textures/stone.tga not found"), std::string::npos) << out;

    EXPECT_EQ(runCommand({"--textures", textures, clean, bad}, &out),
              zeltools::SgfCheckCommand::EXIT_PROBLEMS);
    EXPECT_NE(out.find("Result: clean"), std::string::npos);
    EXPECT_NE(out.find("Result: PROBLEMS"), std::string::npos);
    EXPECT_EQ(runCommand({"--textures", textures, dir + "/nothing.sgf"}),
              zeltools::SgfCheckCommand::EXIT_PROBLEMS);

    EXPECT_EQ(runCommand({"--textures", textures, "-v", clean}, &out), zeltools::SgfCheckCommand::EXIT_CLEAN);
    EXPECT_NE(out.find("  vertex 3: (0, 3, -1)\n"), std::string::npos) << out;
    EXPECT_NE(out.find("  face 0: indices (0, 1, 2) uv (0, 0) (1, 0) (0, 1) texture stone.tga\n"),
              std::string::npos);

    EXPECT_EQ(runCommand({}, &out), zeltools::SgfCheckCommand::EXIT_USAGE);
    EXPECT_NE(out.find("Usage: sgfcheck"), std::string::npos);
    EXPECT_EQ(runCommand({"--frobnicate", clean}), zeltools::SgfCheckCommand::EXIT_USAGE);
    EXPECT_EQ(runCommand({clean, "--textures"}), zeltools::SgfCheckCommand::EXIT_USAGE);
    EXPECT_EQ(runCommand({"--help"}), zeltools::SgfCheckCommand::EXIT_CLEAN);
}
