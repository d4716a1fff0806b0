#include "resources/GPUProgram.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/Profiler.h"

namespace zel {

namespace {

const char* const SOURCE = "GPUProgram";

// One line is read at a time into a buffer of this size. A longer line arrives
// in several pieces, which are appended back to back, so it is kept whole.
const int LINE_BUFFER_SIZE = 255;

} // namespace

GPUProgram::GPUProgram(const std::string& vertexPath, const std::string& fragmentPath)
    : programObject(0), vertexShader(0), fragmentShader(0) {
    Profiler::Scope profile(Profiler::Shaders);
    vertexSource = readSourceFile(vertexPath);
    fragmentSource = readSourceFile(fragmentPath);
    if (!createShaderObjects()) {
        printf("Error: [%s] Could not create shader objects (%s).\n", SOURCE, vertexPath.c_str());
    }
}

GPUProgram::~GPUProgram() {
    if (glDeleteObjectARB == nullptr) {
        return;
    }
    if (vertexShader != 0) glDeleteObjectARB(vertexShader);
    if (fragmentShader != 0) glDeleteObjectARB(fragmentShader);
    if (programObject != 0) glDeleteObjectARB(programObject);
}

GLhandleARB GPUProgram::getProgramObject() const {
    return programObject;
}

const std::string& GPUProgram::getVertexSource() const {
    return vertexSource;
}

const std::string& GPUProgram::getFragmentSource() const {
    return fragmentSource;
}

std::string GPUProgram::readSourceFile(const std::string& path) {
    std::string text;
    FILE* file = fopen(path.c_str(), "r");
    if (file == nullptr) {
        return text;
    }
    char buffer[LINE_BUFFER_SIZE];
    bool pendingCarriageReturn = false;
    // fgets returns null at end of file and on read errors (a directory, for
    // instance), so the loop always ends.
    while (fgets(buffer, LINE_BUFFER_SIZE, file) != nullptr) {
        std::size_t length = std::strlen(buffer);
        if (pendingCarriageReturn) {
            // A carriage return that ended the previous piece belongs to a
            // line end only when the line feed follows.
            if (buffer[0] != '\n') text += '\r';
            pendingCarriageReturn = false;
        }
        if (length > 0 && buffer[length - 1] == '\n') {
            --length;
            // Line ends are normalised as text mode does elsewhere: CR LF counts as one break.
            if (length > 0 && buffer[length - 1] == '\r') --length;
        } else if (length > 0 && buffer[length - 1] == '\r') {
            --length;
            pendingCarriageReturn = true;
        }
        const std::size_t room = text.size() < MAX_SOURCE_BYTES ? MAX_SOURCE_BYTES - text.size() : 0;
        if (length > room) {
            // A shader path pointing at something huge (or endless) must not
            // fill memory; what fits is kept and will fail to compile visibly.
            text.append(buffer, room);
            printf("ERROR: [%s] %s: shader source longer than %zu bytes; the rest is ignored.\n", SOURCE,
                   path.c_str(), MAX_SOURCE_BYTES);
            pendingCarriageReturn = false;
            break;
        }
        text.append(buffer, length);
    }
    if (pendingCarriageReturn) text += '\r';
    fclose(file);
    return text;
}

bool GPUProgram::compile(GLhandleARB shader, const std::string& source) {
    const GLcharARB* text = source.c_str();
    const GLint length = static_cast<GLint>(source.size());
    glShaderSourceARB(shader, 1, &text, &length);
    glCompileShaderARB(shader);
    printInfoLog(shader);
    GLint status = 0;
    glGetObjectParameterivARB(shader, GL_OBJECT_COMPILE_STATUS_ARB, &status);
    return status != 0;
}

bool GPUProgram::createShaderObjects() {
    // Without the shader-object extension there is nothing to build.
    if (glCreateProgramObjectARB == nullptr || glCreateShaderObjectARB == nullptr) {
        return false;
    }
    programObject = glCreateProgramObjectARB();
    vertexShader = glCreateShaderObjectARB(GL_VERTEX_SHADER_ARB);
    fragmentShader = glCreateShaderObjectARB(GL_FRAGMENT_SHADER_ARB);

    if (!compile(vertexShader, vertexSource)) {
        printf("ERROR: [%s] Could not compile vertex shader.\n", SOURCE);
        return false;
    }
    if (!compile(fragmentShader, fragmentSource)) {
        printf("ERROR: [%s] Could not compile fragment shader.\n", SOURCE);
        return false;
    }
    glAttachObjectARB(programObject, vertexShader);
    glAttachObjectARB(programObject, fragmentShader);
    glLinkProgramARB(programObject);
    printInfoLog(programObject);
    GLint status = 0;
    glGetObjectParameterivARB(programObject, GL_OBJECT_LINK_STATUS_ARB, &status);
    return status != 0;
}

void GPUProgram::printInfoLog(GLhandleARB object) {
    GLint length = 0;
    glGetObjectParameterivARB(object, GL_OBJECT_INFO_LOG_LENGTH_ARB, &length);
    if (length > 1) {
        std::vector<GLcharARB> log(static_cast<std::size_t>(length));
        GLsizei written = 0;
        glGetInfoLogARB(object, length, &written, log.data());
        log[static_cast<std::size_t>(length) - 1] = '\0';
        printf("INFO: [%s] Compile-log: %s\n", SOURCE, log.data());
    }
}

} // namespace zel
