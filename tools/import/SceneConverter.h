#pragma once
// Turns a scene read by Assimp into an SGF model document: every node's
// transform is baked into the vertices (SGF models carry none), the scene's
// stated up axis is turned into y-up, faces become triangles and are grouped
// into one SGF mesh per material with that material's texture name on every
// face. The importer tool and the fuzz target use it; it does no file I/O.
//
// The walk trusts nothing in the scene: mesh and material references, face
// indices, texture-coordinate arrays and numbers are checked, node depth and
// the number of node visits are bounded, and whatever cannot be used is left
// out and counted in ConversionStats.

#include <cstddef>
#include <string>
#include <vector>

#include "assetgen/SgfDocument.h"

struct aiScene;
struct aiMaterial;

namespace zelimport {

// What a material asks for, before any texture file is looked at.
struct MaterialInfo {
    std::string name;            // printable, never empty
    std::string diffuseTexture;  // the model's path (or "*N" for an embedded one); empty for none
    unsigned char rgb[3] = {200, 200, 200}; // diffuse colour as bytes
};

// Everything the conversion left out, by reason, and what it produced.
struct ConversionStats {
    std::size_t meshes = 0;
    std::size_t vertices = 0;
    std::size_t triangles = 0;
    std::size_t lines = 0;          // two-corner faces
    std::size_t points = 0;         // one-corner faces
    std::size_t emptyFaces = 0;     // faces without corners
    std::size_t badIndices = 0;     // triangles with an index outside the mesh
    std::size_t nonFinite = 0;      // triangles with NaN, infinite or huge coordinates
    std::size_t badMeshRefs = 0;    // node references to meshes the scene does not have
    std::size_t badMaterials = 0;   // meshes naming a missing material (drawn with a grey one)
    std::size_t deepNodes = 0;      // nodes beyond MAX_NODE_DEPTH or the visit limit, with their subtrees
    std::size_t overLimit = 0;      // triangles beyond MAX_TRIANGLES
};

class SceneConverter {
public:
    // Deeper nodes are skipped; real models nest a few dozen levels at most.
    static constexpr std::size_t MAX_NODE_DEPTH = 256;
    static constexpr std::size_t MAX_NODE_VISITS = std::size_t(1) << 20;
    // The engine's reader takes files of up to 8 MB, which hold fewer triangles
    // than this; beyond it the walk only counts.
    static constexpr std::size_t MAX_TRIANGLES = 200000;
    // Coordinates beyond this (after scaling) are treated as broken data.
    static constexpr double MAX_COORDINATE = 1.0e6;

    // The materials of the scene in order, plus a trailing grey one used for
    // meshes whose material index is out of range.
    static std::vector<MaterialInfo> describeMaterials(const aiScene& scene);

    // Rotation that turns the scene's stated axes (the UpAxis, FrontAxis and
    // CoordAxis metadata some formats carry) into x right, y up, z front;
    // identity when the scene states none or states them inconsistently.
    // Row-major 3 x 3.
    static void axisCorrection(const aiScene& scene, double out[9]);

    // Builds the document: one mesh per material that has a triangle, in order
    // of first use, named after the material, each face carrying
    // textureOfMaterial[material]. Both lists are indexed like the list from
    // describeMaterials, whose last entry serves meshes with a bad material
    // index. Texture v is flipped: the engine's images start at the top row.
    static assetgen::sgf::Document convert(const aiScene& scene, const std::string& title,
                                           const std::vector<MaterialInfo>& materials,
                                           const std::vector<std::string>& textureOfMaterial, double scale,
                                           ConversionStats& stats);

    // Printable ASCII letters, digits, '-', '_' and '.', at most maxLength
    // characters; other characters become '_'. Used for mesh and file names.
    static std::string sanitiseName(const std::string& text, std::size_t maxLength = 48);
};

} // namespace zelimport
