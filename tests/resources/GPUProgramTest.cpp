// GPU programs: the source reader, the bounds checked before compiling, compile and link failures and
// their lines. (The shipped pairs are built and used by the effect, water and lighting tests.)

#include "resources/GPUProgram.h"
#include "support/GLContext.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace zel;
using zeltest::captureStdout;
using zeltest::writeFile;

namespace {

std::string repeat(const std::string& part, int count, const std::string& separator = "") {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += (i > 0 ? separator : "") + part;
    return text;
}

class GPUProgramTest : public zeltest::GLTest {};

} // namespace

TEST(GPUProgramSource, LineBreaksBecomeLineFeedsAndEverythingElseIsKept) {
    const std::string dir = zeltest::scratchDir("gpu_source");
    // One line of 100 kB stays whole (the reader once cut lines at 254 characters).
    const std::string longLine = "/*" + std::string(100 * 1024, 'x') + "*/";
    const struct {
        std::string text, expected;
    } cases[] = {
        {longLine + "\r\n" + longLine + "\nvoid main(){}\n",
         longLine + "\n" + longLine + "\nvoid main(){}\n"},
        // Binary junk: NUL bytes are kept and counted.
        {std::string("a\0b\r\n\rc\n\0\0\nd", 13), std::string("a\0b\n\nc\n\0\0\nd", 12)},
    };
    const auto start = std::chrono::steady_clock::now();
    for (const auto& c : cases)
        EXPECT_EQ(GPUProgram::readSourceFile(writeFile(dir, "source.txt", c.text)), c.expected);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));

    // A missing file reads as empty text; beyond MAX_SOURCE_BYTES the source is refused whole.
    EXPECT_EQ(GPUProgram::readSourceFile(dir + "/missing.txt"), "");
    const std::string huge = writeFile(dir, "huge.txt", std::string(GPUProgram::MAX_SOURCE_BYTES + 90, 'a'));
    std::string kept = "x";
    EXPECT_EQ(zeltest::captureStderr([&] { kept = GPUProgram::readSourceFile(huge); }),
              "ERROR: [GPUProgram] " + huge +
                  " is larger than its size limit (at most 1048576 bytes of a regular file); the source is "
                  "empty.\n");
    EXPECT_EQ(kept, "");
}

TEST(GPUProgramSource, BoundsAreCheckedBeforeCompiling) {
    std::string doubling = "#define M0 1.0\n", manyMacros;
    for (int k = 1; k <= 40; ++k)
        doubling += "#define M" + std::to_string(k) + " (M" + std::to_string(k - 1) + "+M" +
                    std::to_string(k - 1) + ")\n";
    for (int k = 0; k <= 64; ++k)
        manyMacros += "#define A" + std::to_string(k) + "\n";
    const struct {
        const char* name;
        std::string source;
        std::string refusal;
    } cases[] = {
        {"ordinary",
         "uniform vec4 c; // a (((( comment\n#define K 2.0\n/* )))) */\nvoid main() { gl_FragColor = c * K; "
         "}",
         ""},
        {"long expression", "void main() { float f = " + repeat("1.0", 20000, "+") + "; }",
         "has a statement of more than 512 tokens"},
        {"deep nesting", "void main() { f = " + repeat("(", 40) + "1.0" + repeat(")", 40) + "; }",
         "nests brackets more than 32 deep"},
        {"doubling macros", doubling + "void main() { gl_FragColor = vec4(M40); }",
         "has more than 16384 tokens after macro expansion"},
        {"doubling macros unused", doubling, ""},
        {"function-like macro", "#define D(x) x x\n",
         "defines the function-like macro D, which is not accepted"},
        {"many macros", manyMacros, "defines more than 64 macros"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GPUProgram::checkSourceBounds(c.source), c.refusal) << c.name;
}

TEST_F(GPUProgramTest, FailuresEndWithTheirLinesAndAGoodPairLinks) {
    const std::string dir = zeltest::scratchDir("gpu_fail");
    const std::string vsPath = dir + "/vs.txt", fsPath = dir + "/fs.txt";
    const std::string vs = "void main()\n{\n    gl_Position = ftransform();\n}\n";
    const std::string fs =
        "uniform vec4 colour;\nvoid main()\n{\n    vec4 c = colour;\n    gl_FragColor =\n        c;\n}";
    const std::string created = "Error: [GPUProgram] Could not create shader objects (" + vsPath + ").\n";
    const std::string vertexFails = "ERROR: [GPUProgram] Could not compile vertex shader.\n" + created;
    const std::string fragmentFails = "ERROR: [GPUProgram] Could not compile fragment shader.\n" + created;
    const struct {
        std::string vs, fs, tail, err;
    } cases[] = {
        {vs, fs, "", ""},
        // A line comment ends with its line; the statement after it does not compile.
        {"// note\nvoid main() { gl_Position = nothing; }", fs, vertexFails, ""},
        {vs, "void main() { gl_FragColor = undefinedThing; }", fragmentFails, ""},
        {"void f(); void main() { f(); gl_Position = ftransform(); }", fs, created, ""},
        // Beyond the bounds: refused on standard error, never handed to the driver.
        {vs, "void main() { gl_FragColor = vec4(" + repeat("1.0", 20000, "+") + "); }\n", fragmentFails,
         "ERROR: [GPUProgram] " + fsPath + " has a statement of more than 512 tokens; it is not compiled.\n"},
    };
    for (const auto& c : cases) {
        writeFile(dir, "vs.txt", c.vs);
        writeFile(dir, "fs.txt", c.fs);
        std::unique_ptr<GPUProgram> program;
        std::string out;
        const std::string err = zeltest::captureStderr(
            [&] { out = captureStdout([&] { program = std::make_unique<GPUProgram>(vsPath, fsPath); }); });
        EXPECT_EQ(err, c.err);
        ASSERT_GE(out.size(), c.tail.size());
        EXPECT_EQ(out.substr(out.size() - c.tail.size()), c.tail);
        // Before the last lines only the driver's logs; a shader the driver refused has one.
        const bool driverRefused = !c.tail.empty() && c.err.empty();
        EXPECT_TRUE(!driverRefused || out.rfind("INFO: [GPUProgram] Compile-log: ", 0) == 0) << out;
        GLint linked = -1;
        glGetObjectParameterivARB(program->getProgramObject(), GL_OBJECT_LINK_STATUS_ARB, &linked);
        EXPECT_EQ(linked, c.tail.empty() ? 1 : 0) << c.vs << "\n" << c.fs;
    }
}
