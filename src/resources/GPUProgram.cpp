#include "resources/GPUProgram.h"

#include <cstdio>
#include <cstring>
#include <limits>
#include <unordered_map>
#include <vector>

#include "engine/Profiler.h"
#include "resources/DataFile.h"

namespace zel {

namespace {

const char* const SOURCE = "GPUProgram";

} // namespace

GPUProgram::GPUProgram(const std::string& vertexPath, const std::string& fragmentPath)
    : programObject(0), vertexShader(0), fragmentShader(0) {
    Profiler::Scope profile(Profiler::Shaders);
    vertexSource = readSourceFile(vertexPath);
    fragmentSource = readSourceFile(fragmentPath);
    // Sources beyond the bounds never reach the driver, whose compiler can run
    // out of stack or memory on them; such a shader fails like a compile error.
    vertexRefusal = checkSourceBounds(vertexSource);
    fragmentRefusal = checkSourceBounds(fragmentSource);
    if (!vertexRefusal.empty()) {
        fprintf(stderr, "ERROR: [%s] %s %s; it is not compiled.\n", SOURCE, vertexPath.c_str(), vertexRefusal.c_str());
    }
    if (!fragmentRefusal.empty()) {
        fprintf(stderr, "ERROR: [%s] %s %s; it is not compiled.\n", SOURCE, fragmentPath.c_str(),
                fragmentRefusal.c_str());
    }
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
    std::string bytes;
    const DataFileStatus status = readDataFile(path, MAX_SOURCE_BYTES, bytes);
    if (status == DataFileStatus::TOO_LARGE || status == DataFileStatus::NOT_REGULAR) {
        // A shader path pointing at something huge, endless or blocking (a device,
        // a pipe) must neither fill memory nor stall start-up; the empty source
        // then fails to compile visibly.
        fprintf(stderr, "ERROR: [%s] %s %s (at most %zu bytes of a regular file); the source is empty.\n", SOURCE,
                path.c_str(), describeDataFileStatus(status), MAX_SOURCE_BYTES);
    }
    // Line breaks are kept, so line comments and preprocessor lines end where
    // their line does; CR LF and lone CR become LF as text mode would make them.
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r') {
            text += '\n';
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        } else {
            text += bytes[i];
        }
    }
    return text;
}

namespace {

bool isIdentifierStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool isIdentifierPart(char c) {
    return isIdentifierStart(c) || (c >= '0' && c <= '9');
}

// Splits GLSL text into rough tokens: identifiers, numbers, and single
// punctuation characters (a two-character operator counts twice, which only
// overestimates). Comments and white space are skipped; a preprocessor line is
// handed over whole (continuations joined) to onDirective instead.
class Tokenizer {
public:
    explicit Tokenizer(const std::string& text) : text_(text) {}

    // Next token into token; directive is set when it is a whole preprocessor
    // line. False at the end of the text.
    bool next(std::string& token, bool& directive) {
        directive = false;
        for (;;) {
            if (pos_ >= text_.size()) return false;
            const char c = text_[pos_];
            if (c == '\n') {
                lineStart_ = true;
                ++pos_;
            } else if (c == ' ' || c == '\t' || c == '\f' || c == '\v') {
                ++pos_;
            } else if (c == '\\' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') {
                pos_ += 2;
            } else if (text_.compare(pos_, 2, "//") == 0) {
                const std::size_t end = text_.find('\n', pos_);
                pos_ = end == std::string::npos ? text_.size() : end;
            } else if (text_.compare(pos_, 2, "/*") == 0) {
                const std::size_t end = text_.find("*/", pos_ + 2);
                pos_ = end == std::string::npos ? text_.size() : end + 2;
            } else {
                break;
            }
        }
        const std::size_t start = pos_;
        const char c = text_[pos_];
        if (c == '#' && lineStart_) {
            // The directive runs to the first line feed not preceded by a backslash.
            while (pos_ < text_.size() && !(text_[pos_] == '\n' && text_[pos_ - 1] != '\\')) ++pos_;
            token = text_.substr(start, pos_ - start);
            directive = true;
            return true;
        }
        lineStart_ = false;
        if (isIdentifierStart(c)) {
            while (pos_ < text_.size() && isIdentifierPart(text_[pos_])) ++pos_;
        } else if ((c >= '0' && c <= '9') || c == '.') {
            while (pos_ < text_.size() && (isIdentifierPart(text_[pos_]) || text_[pos_] == '.')) ++pos_;
        } else {
            ++pos_;
        }
        token = text_.substr(start, pos_ - start);
        return true;
    }

private:
    const std::string& text_;
    std::size_t pos_ = 0;
    bool lineStart_ = true;
};

const std::size_t UNBOUNDED = std::numeric_limits<std::size_t>::max();

std::size_t saturatingAdd(std::size_t a, std::size_t b) {
    return a > UNBOUNDED - b ? UNBOUNDED : a + b;
}

} // namespace

std::string GPUProgram::checkSourceBounds(const std::string& source) {
    // Tokens are counted as the compiler would see them after macro expansion:
    // a use of an object-like macro counts as its body's expanded size, so a
    // chain of macros that each double the previous one is caught without
    // expanding anything.
    std::unordered_map<std::string, std::size_t> macroSizes;
    std::size_t total = 0;
    std::size_t statement = 0;
    int depth = 0;
    Tokenizer tokens(source);
    std::string token;
    bool directive = false;
    while (tokens.next(token, directive)) {
        if (directive) {
            std::size_t i = 1;
            while (i < token.size() && (token[i] == ' ' || token[i] == '\t')) ++i;
            if (token.compare(i, 6, "define") != 0) continue;
            if (macroSizes.size() >= MAX_MACROS) {
                return "defines more than " + std::to_string(MAX_MACROS) + " macros";
            }
            i += 6;
            while (i < token.size() && (token[i] == ' ' || token[i] == '\t')) ++i;
            std::size_t end = i;
            while (end < token.size() && isIdentifierPart(token[end])) ++end;
            const std::string name = token.substr(i, end - i);
            if (end < token.size() && token[end] == '(') {
                return "defines the function-like macro " + name + ", which is not accepted";
            }
            const std::string body = token.substr(end);
            Tokenizer bodyTokens(body);
            std::string part;
            bool nested = false;
            std::size_t size = 0;
            while (bodyTokens.next(part, nested)) {
                const auto known = macroSizes.find(part);
                size = saturatingAdd(size, known != macroSizes.end() ? known->second : 1);
            }
            macroSizes[name] = size;
            continue;
        }
        const auto known = macroSizes.find(token);
        const std::size_t size = known != macroSizes.end() ? known->second : 1;
        total = saturatingAdd(total, size);
        statement = saturatingAdd(statement, size);
        if (total > MAX_SOURCE_TOKENS) {
            return "has more than " + std::to_string(MAX_SOURCE_TOKENS) + " tokens after macro expansion";
        }
        if (statement > MAX_STATEMENT_TOKENS) {
            return "has a statement of more than " + std::to_string(MAX_STATEMENT_TOKENS) + " tokens";
        }
        if (token == "(" || token == "[" || token == "{") {
            if (++depth > MAX_NESTING_DEPTH) {
                return "nests brackets more than " + std::to_string(MAX_NESTING_DEPTH) + " deep";
            }
        } else if (token == ")" || token == "]" || token == "}") {
            --depth;
        }
        if (token == ";" || token == "{" || token == "}") {
            statement = 0;
        }
    }
    return std::string();
}

bool GPUProgram::compile(GLhandleARB shader, const std::string& source, const std::string& refusal) {
    if (!refusal.empty()) {
        return false;
    }
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

    if (!compile(vertexShader, vertexSource, vertexRefusal)) {
        printf("ERROR: [%s] Could not compile vertex shader.\n", SOURCE);
        return false;
    }
    if (!compile(fragmentShader, fragmentSource, fragmentRefusal)) {
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
