#pragma once
// A linked GLSL program made from a vertex and a fragment shader file through
// the ARB shader-object extension. The lighting, water, fire and bloom effects
// each build one and bind its handle themselves; uniforms are set by name with
// the usual GL calls. A failed build is reported on standard output but not to
// the owner, which uses the handle all the same.
//
// Source files are read with their line breaks kept (line ends normalised to
// LF). Before a source reaches the driver its size is bounded: token count
// after macro expansion, tokens per statement, bracket nesting and macro count
// (function-like macros are refused). A source beyond a bound is not compiled;
// the build fails with the usual lines and a reason on standard error.

#include <GL/glew.h>

#include <cstddef>
#include <string>

namespace zel {

class GPUProgram {
public:
    GPUProgram(const std::string& vertexPath, const std::string& fragmentPath);
    // Deletes the vertex shader, the fragment shader and the program, in that order.
    virtual ~GPUProgram();

    GPUProgram(const GPUProgram&) = delete;
    GPUProgram& operator=(const GPUProgram&) = delete;

    GLhandleARB getProgramObject() const;

    const std::string& getVertexSource() const;
    const std::string& getFragmentSource() const;

    // The file's text, CR LF and CR turned into LF; empty when it cannot be
    // opened, is not a regular file or holds more than MAX_SOURCE_BYTES bytes
    // (the last two with an ERROR line on standard error). Shipped shaders are
    // a few kB.
    static std::string readSourceFile(const std::string& path);
    static constexpr std::size_t MAX_SOURCE_BYTES = 1u << 20;

    // Empty when source is within the bounds below, else the reason it is not.
    static std::string checkSourceBounds(const std::string& source);
    static constexpr std::size_t MAX_SOURCE_TOKENS = 16384;
    static constexpr std::size_t MAX_STATEMENT_TOKENS = 512;
    static constexpr int MAX_NESTING_DEPTH = 32;
    static constexpr std::size_t MAX_MACROS = 64;

private:
    bool createShaderObjects();
    bool compile(GLhandleARB shader, const std::string& source, const std::string& refusal);
    static void printInfoLog(GLhandleARB object);

    std::string vertexSource;
    std::string fragmentSource;
    std::string vertexRefusal;   // why the vertex source is not compiled; empty when it is
    std::string fragmentRefusal;
    GLhandleARB programObject;
    GLhandleARB vertexShader;
    GLhandleARB fragmentShader;
};

} // namespace zel
