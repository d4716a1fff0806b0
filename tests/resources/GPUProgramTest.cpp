// GPU programs in a real GL context: the line-joining reader, compile and link
// failures with their lines, a working program drawing, and every shader pair
// the project ships.

#include "resources/GPUProgram.h"
#include "support/GLContext.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace zel;
using zeltest::captureStdout;

namespace {

const char* const VERTEX_OK =
    "void main()\n"
    "{\n"
    "    gl_Position = ftransform();\n"
    "}\n";
const char* const FRAGMENT_OK =
    "uniform vec4 colour;\n"
    "void main()\n"
    "{\n"
    "    vec4 c = colour;\n"
    "    gl_FragColor =\n"
    "        c;\n"
    "}";

std::string writeFile(const std::string& dir, const std::string& name, const std::string& text) {
    const std::string path = dir + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

GLint status(GLhandleARB object, GLenum which) {
    GLint value = -1;
    glGetObjectParameterivARB(object, which, &value);
    return value;
}

class GPUProgramTest : public zeltest::GLTest {};

} // namespace

TEST(GPUProgramSource, LinesAreJoinedWithoutTheirBreaks) {
    const std::string dir = zeltest::scratchDir("gpu_source");
    EXPECT_EQ(GPUProgram::readSourceFile(writeFile(dir, "a.txt", "one\ntwo\n\nthree")), "onetwothree");
    EXPECT_EQ(GPUProgram::readSourceFile(writeFile(dir, "crlf.txt", "one\r\ntwo\r\n")), "onetwo");
    EXPECT_EQ(GPUProgram::readSourceFile(writeFile(dir, "cr.txt", "a\rb\n")), "a\rb");
    EXPECT_EQ(GPUProgram::readSourceFile(writeFile(dir, "empty.txt", "")), "");
    EXPECT_EQ(GPUProgram::readSourceFile(dir + "/missing.txt"), "");
    EXPECT_EQ(GPUProgram::readSourceFile(dir), ""); // a directory ends at once

    // Lines around the 254-character buffer and far beyond it are kept whole.
    for (std::size_t length : {253u, 254u, 255u, 508u, 100000u}) {
        std::string line;
        for (std::size_t i = 0; i < length; ++i) line += static_cast<char>('a' + i % 26);
        const std::string path = writeFile(dir, "long.txt", line + "\r\n" + line + "\nend");
        EXPECT_EQ(GPUProgram::readSourceFile(path), line + line + "end") << length;
    }
}

TEST_F(GPUProgramTest, MultiLineStatementsBuildAWorkingProgram) {
    const std::string dir = zeltest::scratchDir("gpu_ok");
    const std::string vs = writeFile(dir, "ok_vs.txt", VERTEX_OK);
    const std::string fs = writeFile(dir, "ok_fs.txt", FRAGMENT_OK);
    std::unique_ptr<GPUProgram> program;
    const std::string out = captureStdout([&] { program = std::make_unique<GPUProgram>(vs, fs); });
    EXPECT_EQ(out.find("ERROR"), std::string::npos) << out;
    EXPECT_EQ(out.find("Error"), std::string::npos) << out;
    EXPECT_EQ(program->getFragmentSource(), std::string("uniform vec4 colour;void main(){    vec4 c = colour;    "
                                                        "gl_FragColor =        c;}"));
    const GLhandleARB handle = program->getProgramObject();
    ASSERT_NE(handle, 0u);
    EXPECT_EQ(status(handle, GL_OBJECT_LINK_STATUS_ARB), 1);

    // Draw a full-window quad in the uniform's colour.
    glUseProgramObjectARB(handle);
    const GLint location = glGetUniformLocation(handle, "colour");
    ASSERT_NE(location, -1);
    glUniform4f(location, 1.0f, 0.5f, 0.0f, 1.0f);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glBegin(GL_QUADS);
    glVertex2f(-1, -1);
    glVertex2f(1, -1);
    glVertex2f(1, 1);
    glVertex2f(-1, 1);
    glEnd();
    glUseProgramObjectARB(0);
    const zeltest::Pixel pixel = zeltest::readPixel(400, 300);
    EXPECT_EQ(pixel.r, 255);
    EXPECT_NEAR(pixel.g, 128, 1);
    EXPECT_EQ(pixel.b, 0);

    program.reset();
    EXPECT_FALSE(glIsProgram(handle));
}

TEST_F(GPUProgramTest, CompileFailuresStopTheBuild) {
    const std::string dir = zeltest::scratchDir("gpu_fail");
    const std::string goodVs = writeFile(dir, "good_vs.txt", VERTEX_OK);
    const std::string goodFs = writeFile(dir, "good_fs.txt", FRAGMENT_OK);
    // A leading line comment swallows the whole joined program.
    const std::string commentVs = writeFile(dir, "comment_vs.txt", std::string("// position only\n") + VERTEX_OK);
    const std::string badFs = writeFile(dir, "bad_fs.txt", "void main() { gl_FragColor = undefinedThing; }");

    std::unique_ptr<GPUProgram> program;
    std::string out = captureStdout([&] { program = std::make_unique<GPUProgram>(commentVs, goodFs); });
    EXPECT_NE(out.find("INFO: [GPUProgram] Compile-log: "), std::string::npos) << out;
    const std::string vertexFailed = "ERROR: [GPUProgram] Could not compile vertex shader.\n"
                                     "Error: [GPUProgram] Could not create shader objects (" + commentVs + ").\n";
    ASSERT_GE(out.size(), vertexFailed.size());
    EXPECT_EQ(out.substr(out.size() - vertexFailed.size()), vertexFailed);
    EXPECT_EQ(out.find("fragment"), std::string::npos);
    EXPECT_EQ(status(program->getProgramObject(), GL_OBJECT_LINK_STATUS_ARB), 0);

    // Only the fragment shader fails: the final line still names the vertex path.
    out = captureStdout([&] { program = std::make_unique<GPUProgram>(goodVs, badFs); });
    const std::string fragmentFailed = "ERROR: [GPUProgram] Could not compile fragment shader.\n"
                                       "Error: [GPUProgram] Could not create shader objects (" + goodVs + ").\n";
    ASSERT_GE(out.size(), fragmentFailed.size());
    EXPECT_EQ(out.substr(out.size() - fragmentFailed.size()), fragmentFailed);
    EXPECT_EQ(out.find("vertex shader"), std::string::npos);

    // A missing file is an empty source, which does not compile.
    out = captureStdout([&] { program = std::make_unique<GPUProgram>(goodVs, dir + "/missing_fs.txt"); });
    EXPECT_EQ(program->getFragmentSource(), "");
    EXPECT_NE(out.find(fragmentFailed), std::string::npos) << out;

    // Binding a program that did not link raises a GL error and nothing else.
    glUseProgramObjectARB(program->getProgramObject());
    EXPECT_NE(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glUseProgramObjectARB(0);
    program.reset();
}

TEST_F(GPUProgramTest, LinkFailureIsReportedOnlyByTheLogAndTheFinalLine) {
    const std::string dir = zeltest::scratchDir("gpu_link");
    const std::string vs = writeFile(dir, "link_vs.txt", "void helper(); void main() { helper(); gl_Position = ftransform(); }");
    const std::string fs = writeFile(dir, "link_fs.txt", FRAGMENT_OK);
    std::unique_ptr<GPUProgram> program;
    const std::string out = captureStdout([&] { program = std::make_unique<GPUProgram>(vs, fs); });
    const std::string last = "Error: [GPUProgram] Could not create shader objects (" + vs + ").\n";
    ASSERT_GE(out.size(), last.size());
    EXPECT_EQ(out.substr(out.size() - last.size()), last);
    EXPECT_EQ(out.find("Could not compile"), std::string::npos);
    EXPECT_NE(out.find("INFO: [GPUProgram] Compile-log: "), std::string::npos);
}

TEST_F(GPUProgramTest, EveryShippedShaderPairCompilesAndLinks) {
    const std::filesystem::path shaders = "../data/shader";
    ASSERT_TRUE(std::filesystem::is_directory(shaders));
    int pairs = 0;
    for (const auto& file : std::filesystem::directory_iterator(shaders)) {
        const std::string name = file.path().filename().string();
        const std::string suffix = "_vs.txt";
        if (name.size() <= suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
            continue;
        }
        const std::string stem = name.substr(0, name.size() - suffix.size());
        const std::string vs = (shaders / name).string();
        const std::string fs = (shaders / (stem + "_fs.txt")).string();
        ASSERT_TRUE(std::filesystem::exists(fs)) << fs;
        std::unique_ptr<GPUProgram> program;
        const std::string out = captureStdout([&] { program = std::make_unique<GPUProgram>(vs, fs); });
        EXPECT_EQ(out.find("rror"), std::string::npos) << stem << ":\n" << out;
        EXPECT_EQ(status(program->getProgramObject(), GL_OBJECT_LINK_STATUS_ARB), 1) << stem;
        ++pairs;
    }
    EXPECT_GT(pairs, 0);
}
