#pragma once
// Reader of SGF model files: XML documents with meshes (a vertex list, then
// triangle and quad faces with indices, texture coordinates and a texture file
// name) and lights. It reads the whole file in its constructor into plain records
// (quads already split into two triangles) and releases the document; no GL.
// The SGF mesh model builds drawable meshes from the records.
//
// Reading rules worth knowing:
// - one working vertex and one working face per mesh carry values over: whatever
//   a vertex or face does not set keeps the previous one's value (indices and
//   texture coordinates of the first face start at 0, its texture name empty);
// - a face named "triangle" is a triangle, any other name is split like a quad
//   into corners (1, 2, 3) and (3, 4, 1); only "quad" reads a fourth index and
//   texture coordinate;
// - a texture path keeps only the part after its last backslash;
// - numbers are read like formatted stream input: leading blanks skipped, the
//   longest number prefix taken, 0 when there is none. Values beyond the float
//   or 32-bit integer range become the largest value of that sign; "nan" and
//   "inf" are not numbers (0).
// Hostile files are bounded: a file larger than MAX_FILE_BYTES (or not a regular
// file) is not parsed at all (the XML tree costs about thirty times the file's
// size); a mesh keeps at most MAX_VERTICES_PER_MESH vertices and
// MAX_FACES_PER_MESH faces, a file at most MAX_MESHES_PER_FILE meshes and
// MAX_FACES_PER_FILE faces, and a texture name longer than
// MAX_TEXTURE_NAME_BYTES becomes "default.jpg". Each cut is reported with a
// WARNING line on standard error. Face indices are not checked against the vertex
// list here (the model builder does).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "math/Vector2.h"
#include "math/Vector3.h"

namespace xml {
class CXMLNode;
}

namespace zel {

struct SGFFace {
    bool triangle = false;
    std::int32_t indices[4] = {0, 0, 0, 0};  // only the first three describe a stored face
    Vector2 texCoords[4];                     // one per index
    std::string texture;                      // file name without directories
};

struct SGFMesh {
    std::vector<Vector3> vertices;
    std::vector<SGFFace> faces;
};

struct SGFLight {
    float scalar = 0.0f;
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

class SGFFile {
public:
    static constexpr std::size_t MAX_VERTICES_PER_MESH = 1u << 20;
    static constexpr std::size_t MAX_FACES_PER_MESH = 1u << 20;
    static constexpr std::size_t MAX_MESHES_PER_FILE = 1024;
    static constexpr std::size_t MAX_FACES_PER_FILE = 1u << 20;
    static constexpr std::size_t MAX_TEXTURE_NAME_BYTES = 255;
    // The shipped models are below 0.5 MB.
    static constexpr long long MAX_FILE_BYTES = 8LL << 20;

    // Reads the file at once; a file that cannot be read (missing, not a regular
    // file, too large, malformed) yields empty lists and isLoaded() false. Prints
    // nothing on standard output; refusals and cuts go to standard error. The limits
    // can be lowered (tools, tests); they are per mesh.
    explicit SGFFile(const std::string& path, std::size_t maxVerticesPerMesh = MAX_VERTICES_PER_MESH,
                     std::size_t maxFacesPerMesh = MAX_FACES_PER_MESH);
    virtual ~SGFFile();

    const std::vector<SGFMesh>& getMeshes() const { return meshes_; }
    const std::vector<SGFLight>& getLights() const { return lights_; }
    const std::string& getPath() const { return path_; }
    // Whether the XML document could be parsed.
    bool isLoaded() const { return loaded_; }

    // Formatted-stream style number reads (see above); 0 when nothing is read.
    static float toFloat(const std::string& text);
    static std::int32_t toInt(const std::string& text);
    // The text after the last occurrence of c, or the whole text without one.
    static std::string afterLast(const std::string& text, char c);

private:
    bool parseMesh(const xml::CXMLNode& meshNode);
    bool parseLight(const xml::CXMLNode& lightNode);

    std::string path_;
    std::size_t maxVertices_;
    std::size_t maxFaces_;
    bool loaded_ = false;
    std::size_t fileFaces_ = 0;
    bool fileFull_ = false;
    std::vector<SGFMesh> meshes_;
    std::vector<SGFLight> lights_;
};

} // namespace zel
