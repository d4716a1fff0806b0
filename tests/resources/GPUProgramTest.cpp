// GPU programs: the source reader, compile and link failures, a program drawing, every shipped pair.

#include "resources/GPUProgram.h"
#include "support/GLContext.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace zel;
using zeltest::captureStdout;

namespace {

const char* const VERTEX_OK = "void main()\n{\n    gl_Position = ftransform();\n}\n";
const char* const FRAGMENT_OK = "uniform vec4 colour;\nvoid main()\n{\n    vec4 c = colour;\n"
                                "    gl_FragColor =\n        c;\n}";

using zeltest::writeFile;

GLint linkStatus(const GPUProgram& program) {
    GLint value = -1;
    glGetObjectParameterivARB(program.getProgramObject(), GL_OBJECT_LINK_STATUS_ARB, &value);
    return value;
}

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

class GPUProgramTest : public zeltest::GLTest {};

} // namespace

TEST(GPUProgramSource, LineBreaksAreKeptAsLineFeeds) {
    const std::string dir = zeltest::scratchDir("gpu_source");
    EXPECT_EQ(GPUProgram::readSourceFile(writeFile(dir, "a.txt", "one\r\ntwo\n\nthree")),
              "one\ntwo\n\nthree");
    EXPECT_EQ(GPUProgram::readSourceFile(writeFile(dir, "cr.txt", "a\rb\n")), "a\nb\n");
    // Lines around the 254-character buffer and beyond it are kept whole.
    for (std::size_t length : {253u, 254u, 255u, 508u}) {
        std::string line;
        for (std::size_t i = 0; i < length; ++i)
            line += static_cast<char>('a' + i % 26);
        EXPECT_EQ(GPUProgram::readSourceFile(writeFile(dir, "long.txt", line + "\r\n" + line + "\nend")),
                  line + "\n" + line + "\nend")
            << length;
    }
}

TEST_F(GPUProgramTest, MultiLineStatementsBuildAWorkingProgram) {
    const std::string dir = zeltest::scratchDir("gpu_ok");
    std::unique_ptr<GPUProgram> program;
    const std::string out = captureStdout([&] {
        program = std::make_unique<GPUProgram>(writeFile(dir, "ok_vs.txt", VERTEX_OK),
                                               writeFile(dir, "ok_fs.txt", FRAGMENT_OK));
    });
    EXPECT_EQ(out.find("rror"), std::string::npos) << out;
    EXPECT_EQ(linkStatus(*program), 1);

    // Draw a full-window quad in the uniform's colour.
    const GLhandleARB handle = program->getProgramObject();
    glUseProgramObjectARB(handle);
    glUniform4f(glGetUniformLocation(handle, "colour"), 1.0f, 0.5f, 0.0f, 1.0f);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glClear(GL_COLOR_BUFFER_BIT);
    glRectf(-1, -1, 1, 1);
    glUseProgramObjectARB(0);
    const zeltest::Pixel pixel = zeltest::readPixel(400, 300);
    EXPECT_EQ(pixel.r, 255);
    EXPECT_NEAR(pixel.g, 128, 1);
    EXPECT_EQ(pixel.b, 0);

    program.reset();
    EXPECT_FALSE(glIsProgram(handle));
}

TEST_F(GPUProgramTest, FailuresAndTheirLines) {
    const std::string dir = zeltest::scratchDir("gpu_fail");
    const std::string goodVs = writeFile(dir, "good_vs.txt", VERTEX_OK);
    const std::string goodFs = writeFile(dir, "good_fs.txt", FRAGMENT_OK);
    // A line comment ends with its line; the statement after it does not compile.
    const std::string commentVs =
        writeFile(dir, "comment_vs.txt", "// note\nvoid main() { gl_Position = nothing; }");
    const std::string badFs = writeFile(dir, "bad_fs.txt", "void main() { gl_FragColor = undefinedThing; }");
    const std::string linkVs =
        writeFile(dir, "link_vs.txt", "void f(); void main() { f(); gl_Position = ftransform(); }");
    const std::string created = "Error: [GPUProgram] Could not create shader objects (";

    std::unique_ptr<GPUProgram> program;
    std::string out = captureStdout([&] { program = std::make_unique<GPUProgram>(commentVs, goodFs); });
    EXPECT_EQ(out.rfind("INFO: [GPUProgram] Compile-log: ", 0), 0u) << out;
    EXPECT_TRUE(endsWith(out, "ERROR: [GPUProgram] Could not compile vertex shader.\n" + created + commentVs +
                                  ").\n"))
        << out;
    EXPECT_EQ(linkStatus(*program), 0);

    // Only the fragment shader fails (or is missing): the last line names the vertex path.
    for (const std::string& fs : {badFs, dir + "/missing_fs.txt"}) {
        out = captureStdout([&] { program = std::make_unique<GPUProgram>(goodVs, fs); });
        EXPECT_TRUE(endsWith(out, "ERROR: [GPUProgram] Could not compile fragment shader.\n" + created +
                                      goodVs + ").\n"))
            << out;
        EXPECT_EQ(out.find("vertex shader"), std::string::npos);
    }

    // A link failure: the log and the last line only.
    out = captureStdout([&] { program = std::make_unique<GPUProgram>(linkVs, goodFs); });
    EXPECT_EQ(out.find("Could not compile"), std::string::npos) << out;
    EXPECT_NE(out.find("INFO: [GPUProgram] Compile-log: "), std::string::npos) << out;
    EXPECT_TRUE(endsWith(out, created + linkVs + ").\n")) << out;

    // Binding a program that did not link raises a GL error and nothing else.
    glUseProgramObjectARB(program->getProgramObject());
    EXPECT_NE(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glUseProgramObjectARB(0);
}

TEST_F(GPUProgramTest, EveryShippedShaderPairCompilesAndLinks) {
    int pairs = 0;
    for (const auto& file : std::filesystem::directory_iterator("../data/shader")) {
        const std::string vs = file.path().string();
        if (!endsWith(vs, "_vs.txt"))
            continue;
        const std::string fs = vs.substr(0, vs.size() - 7) + "_fs.txt";
        std::unique_ptr<GPUProgram> program;
        const std::string out = captureStdout([&] { program = std::make_unique<GPUProgram>(vs, fs); });
        EXPECT_EQ(out.find("rror"), std::string::npos) << vs << ":\n" << out;
        EXPECT_EQ(linkStatus(*program), 1) << vs;
        ++pairs;
    }
    EXPECT_GT(pairs, 0);
}
