#pragma once
// A linked GLSL program made from a vertex and a fragment shader file through
// the ARB shader-object extension. The lighting, water, fire and bloom effects
// each build one and bind its handle themselves; uniforms are set by name with
// the usual GL calls. A failed build is reported on standard output but not to
// the owner, which uses the handle all the same.
//
// Source files are read with their line breaks dropped (the whole file becomes
// one line), so shader text must not use line comments or preprocessor lines.

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

    // The file's text with its line breaks removed; empty when it cannot be
    // opened. Lines of any length are kept whole; reading stops with an ERROR
    // line after MAX_SOURCE_BYTES of text (shipped shaders are a few kB).
    static std::string readSourceFile(const std::string& path);
    static constexpr std::size_t MAX_SOURCE_BYTES = 1u << 20;

private:
    bool createShaderObjects();
    bool compile(GLhandleARB shader, const std::string& source);
    static void printInfoLog(GLhandleARB object);

    std::string vertexSource;
    std::string fragmentSource;
    GLhandleARB programObject;
    GLhandleARB vertexShader;
    GLhandleARB fragmentShader;
};

} // namespace zel
