#pragma once
// Checks SGF model files for the mistakes that make a model load wrongly or not
// at all, and describes what a file holds: its meshes with their vertex and face
// counts and textures, the distinct texture files, the lights and the bounding
// box of the geometry that loads. Model authors run it through the
// world-of-ulmera-sgfcheck command; tests run it on hostile and generated files.
// Pure: it reads the file with SGFFile and looks texture files up on disk the way
// the texture registry resolves them (the texture directory followed by the file
// name); it creates no GL objects.
//
// Problems found (each makes the file unclean):
// - the file cannot be read or is not well-formed XML;
// - the file has no mesh elements under its sgf root;
// - a mesh has no vertices or no faces;
// - a face index lies outside its mesh's vertex list (the loader skips the face);
// - the first mesh has no face that loads (the model then has no box and loads empty);
// - a mesh reached the reader's vertex or face limit (the rest was dropped);
// - a face names no texture, or a texture file is missing or cannot be decoded;
// - a light element is malformed (it and every later light are skipped).

#include <cstddef>
#include <string>
#include <vector>

#include "math/BoundingBox.h"

namespace zel {

class SGFFile;

// What the inspector learnt about one mesh record.
struct SGFMeshSummary {
    std::size_t vertexCount = 0;
    std::size_t faceCount = 0;          // stored triangles (quads count twice)
    std::size_t invalidFaceCount = 0;   // faces with an index outside the vertex list
    std::size_t unnamedFaceCount = 0;   // faces without a texture name
    std::vector<std::string> textures;  // distinct texture names, first use first
    bool singleTextured = false;        // drawn from vertex buffers when it loads
};

// One texture file named by the model, with where it was looked for.
struct SGFTextureSummary {
    std::string name;
    std::string path;
    std::size_t faceCount = 0; // faces that name it
    bool found = false;        // the file exists
    bool decodable = false;    // the image decoder reads it
};

// The whole result for one file.
struct SGFReport {
    std::string path;
    bool loaded = false;
    std::vector<SGFMeshSummary> meshes;
    std::vector<SGFTextureSummary> textures;
    std::size_t lightElementCount = 0; // light elements in the file
    std::size_t lightCount = 0;        // lights the reader kept
    bool hasBox = false;               // false when no face loads
    BoundingBox box;                   // around every face that loads, in file coordinates
    std::vector<std::string> problems; // one line each, at most MAX_PROBLEM_LINES
    std::size_t problemCount = 0;      // every problem, also those beyond the line limit

    bool isClean() const { return problemCount == 0; }
    std::size_t totalFaces() const;
    std::size_t totalVertices() const;
};

class SGFChecker {
public:
    // A hostile file can hold a million bad faces; lines beyond this are counted only.
    static constexpr std::size_t MAX_PROBLEM_LINES = 200;
    static constexpr std::size_t DEFAULT_MAX_VERTICES = std::size_t(1) << 20;
    static constexpr std::size_t DEFAULT_MAX_FACES = std::size_t(1) << 20;

    // Looks texture files up in textureDirectory (with or without a trailing "/").
    // The limits are handed to the reader; a mesh that reaches one is a problem.
    explicit SGFChecker(const std::string& textureDirectory,
                          std::size_t maxVerticesPerMesh = DEFAULT_MAX_VERTICES,
                          std::size_t maxFacesPerMesh = DEFAULT_MAX_FACES);

    // Reads and checks the file at path. Besides the reader's records it counts
    // the file's own vertex, face and light elements, so that vertices or faces
    // dropped at a limit and lights skipped after a malformed one are found.
    SGFReport inspect(const std::string& path) const;
    // Checks the records of an already read file (no element counts).
    SGFReport inspect(const SGFFile& file) const;

    // The report as text: a line per mesh and per texture, totals, the box, then
    // the problems and a final verdict line.
    static std::string format(const SGFReport& report);
    // Every vertex and every stored face of every mesh, one line each.
    static std::string describeRecords(const SGFFile& file);

    const std::string& getTextureDirectory() const { return textureDirectory_; }

private:
    std::string textureDirectory_;
    std::size_t maxVertices_;
    std::size_t maxFaces_;
};

} // namespace zel
