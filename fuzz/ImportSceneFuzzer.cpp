// Fuzzes the importer's own code on the structures it walks: the input drives
// the construction of an Assimp scene (node tree with transforms and mesh
// references, meshes with vertices, texture coordinates and faces of any
// corner count and any index, materials with names, colours and texture
// paths, embedded pictures, axis metadata), which is then described,
// converted to an SGF document and serialised, and whose textures are
// exported into the scratch folder. Assimp's file parsers are not fuzzed here:
// the scene is built directly, including shapes Assimp would never hand over
// (indices past the vertex list, NaN and huge coordinates, deep node chains,
// dangling mesh and material references).

#include <assimp/material.h>
#include <assimp/metadata.h>
#include <assimp/scene.h>
#include <fuzzer/FuzzedDataProvider.h>
#include <libxml/parser.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "import/SceneConverter.h"
#include "import/TextureExporter.h"

namespace {

std::string scratch;

float number(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange<int>(0, 7)) {
    case 0: return std::numeric_limits<float>::quiet_NaN();
    case 1: return std::numeric_limits<float>::infinity();
    case 2: return 3.0e38f;
    default: return in.ConsumeFloatingPointInRange<float>(-100.0f, 100.0f);
    }
}

aiMesh* makeMesh(FuzzedDataProvider& in, unsigned materialCount) {
    auto* mesh = new aiMesh();
    const unsigned vertices = in.ConsumeIntegralInRange<unsigned>(0, 40);
    if (vertices > 0 || in.ConsumeBool()) {
        mesh->mNumVertices = vertices;
        mesh->mVertices = new aiVector3D[vertices];
        for (unsigned v = 0; v < vertices; ++v) mesh->mVertices[v] = aiVector3D(number(in), number(in), number(in));
        if (in.ConsumeBool()) {
            mesh->mTextureCoords[0] = new aiVector3D[vertices];
            for (unsigned v = 0; v < vertices; ++v) mesh->mTextureCoords[0][v] = aiVector3D(number(in), number(in), 0);
        }
    }
    const unsigned faces = in.ConsumeIntegralInRange<unsigned>(0, 40);
    mesh->mNumFaces = faces;
    mesh->mFaces = new aiFace[faces];
    for (unsigned f = 0; f < faces; ++f) {
        aiFace& face = mesh->mFaces[f];
        face.mNumIndices = in.ConsumeIntegralInRange<unsigned>(0, 6);
        face.mIndices = face.mNumIndices > 0 ? new unsigned[face.mNumIndices] : nullptr;
        for (unsigned i = 0; i < face.mNumIndices; ++i)
            face.mIndices[i] = in.ConsumeIntegralInRange<unsigned>(0, vertices + 2);
    }
    mesh->mMaterialIndex = in.ConsumeIntegralInRange<unsigned>(0, materialCount + 1);
    return mesh;
}

aiMaterial* makeMaterial(FuzzedDataProvider& in) {
    auto* material = new aiMaterial();
    const aiString name(in.ConsumeRandomLengthString(24));
    if (in.ConsumeBool()) material->AddProperty(&name, AI_MATKEY_NAME);
    const aiColor4D colour(number(in), number(in), number(in), 1.0f);
    if (in.ConsumeBool()) material->AddProperty(&colour, 1, AI_MATKEY_COLOR_DIFFUSE);
    static const char* const PATHS[] = {"*0", "*1", "*99999999999", "*", "../outside.png", "/etc/passwd",
                                        "C:\\textures\\wood.jpg", "missing.png", ""};
    if (in.ConsumeBool()) {
        const aiString path(in.ConsumeBool() ? std::string(PATHS[in.ConsumeIntegralInRange<int>(0, 8)])
                                             : in.ConsumeRandomLengthString(24));
        material->AddProperty(&path, AI_MATKEY_TEXTURE(in.ConsumeBool() ? aiTextureType_DIFFUSE
                                                                          : aiTextureType_BASE_COLOR, 0));
    }
    return material;
}

aiTexture* makeTexture(FuzzedDataProvider& in) {
    auto* texture = new aiTexture();
    if (in.ConsumeBool()) {
        const std::vector<uint8_t> bytes = in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange<size_t>(0, 256));
        texture->mWidth = static_cast<unsigned>(bytes.size());
        texture->mHeight = 0;
        static const char* const HINTS[] = {"png", "jpg", "tga", "bmp", ""};
        const char* hint = HINTS[in.ConsumeIntegralInRange<int>(0, 4)];
        std::snprintf(texture->achFormatHint, sizeof texture->achFormatHint, "%s", hint);
        // aiTexture frees pcData as an aiTexel array.
        const size_t texels = (bytes.size() + sizeof(aiTexel) - 1) / sizeof(aiTexel);
        texture->pcData = new aiTexel[texels > 0 ? texels : 1];
        if (!bytes.empty()) std::memcpy(texture->pcData, bytes.data(), bytes.size());
    } else {
        texture->mWidth = in.ConsumeIntegralInRange<unsigned>(1, 8);
        texture->mHeight = in.ConsumeIntegralInRange<unsigned>(1, 8);
        texture->pcData = new aiTexel[texture->mWidth * texture->mHeight];
        for (unsigned i = 0; i < texture->mWidth * texture->mHeight; ++i)
            texture->pcData[i] = aiTexel{in.ConsumeIntegral<uint8_t>(), in.ConsumeIntegral<uint8_t>(),
                                         in.ConsumeIntegral<uint8_t>(), in.ConsumeIntegral<uint8_t>()};
    }
    texture->mFilename = aiString(in.ConsumeRandomLengthString(16));
    return texture;
}

aiMatrix4x4 transform(FuzzedDataProvider& in) {
    if (in.ConsumeBool()) return aiMatrix4x4();
    aiMatrix4x4 m;
    float* cells[12] = {&m.a1, &m.a2, &m.a3, &m.a4, &m.b1, &m.b2, &m.b3, &m.b4, &m.c1, &m.c2, &m.c3, &m.c4};
    for (float* cell : cells) *cell = number(in);
    return m;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    xmlInitParser();
    scratch = zelfuzz::enterScratchDirectory("import");
    std::filesystem::create_directories("textures");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    aiScene scene;
    scene.mNumMaterials = in.ConsumeIntegralInRange<unsigned>(0, 3);
    scene.mMaterials = new aiMaterial*[scene.mNumMaterials + 1];
    for (unsigned i = 0; i < scene.mNumMaterials; ++i) scene.mMaterials[i] = makeMaterial(in);
    scene.mNumMeshes = in.ConsumeIntegralInRange<unsigned>(0, 4);
    scene.mMeshes = new aiMesh*[scene.mNumMeshes + 1];
    for (unsigned i = 0; i < scene.mNumMeshes; ++i) scene.mMeshes[i] = makeMesh(in, scene.mNumMaterials);
    scene.mNumTextures = in.ConsumeIntegralInRange<unsigned>(0, 2);
    scene.mTextures = new aiTexture*[scene.mNumTextures + 1];
    for (unsigned i = 0; i < scene.mNumTextures; ++i) scene.mTextures[i] = makeTexture(in);
    if (in.ConsumeBool()) {
        scene.mMetaData = aiMetadata::Alloc(6);
        static const char* const KEYS[] = {"UpAxis", "UpAxisSign", "FrontAxis", "FrontAxisSign", "CoordAxis",
                                           "CoordAxisSign"};
        for (unsigned k = 0; k < 6; ++k) scene.mMetaData->Set(k, KEYS[k], in.ConsumeIntegralInRange<int32_t>(-3, 3));
    }

    // A tree of up to 32 nodes, each hung below an earlier one, or a chain
    // deeper than the walk follows.
    std::vector<aiNode*> nodes{new aiNode("root")};
    std::vector<std::vector<aiNode*>> children(1);
    const bool chain = in.ConsumeIntegralInRange<int>(0, 15) == 0;
    const unsigned count = chain ? 300 : in.ConsumeIntegralInRange<unsigned>(0, 31);
    for (unsigned n = 0; n < count; ++n) {
        auto* node = new aiNode();
        node->mTransformation = chain ? aiMatrix4x4() : transform(in);
        const size_t parent = chain ? nodes.size() - 1 : in.ConsumeIntegralInRange<size_t>(0, nodes.size() - 1);
        node->mParent = nodes[parent];
        children[parent].push_back(node);
        nodes.push_back(node);
        children.emplace_back();
    }
    for (size_t n = 0; n < nodes.size(); ++n) {
        aiNode* node = nodes[n];
        const unsigned refs = in.ConsumeIntegralInRange<unsigned>(0, 3);
        if (refs > 0) {
            node->mNumMeshes = refs;
            node->mMeshes = new unsigned[refs];
            for (unsigned r = 0; r < refs; ++r) node->mMeshes[r] = in.ConsumeIntegralInRange<unsigned>(0, scene.mNumMeshes + 1);
        }
        if (!children[n].empty()) {
            node->mNumChildren = static_cast<unsigned>(children[n].size());
            node->mChildren = new aiNode*[children[n].size()];
            for (size_t c = 0; c < children[n].size(); ++c) node->mChildren[c] = children[n][c];
        }
    }
    scene.mRootNode = nodes[0];

    const std::vector<zelimport::MaterialInfo> materials = zelimport::SceneConverter::describeMaterials(scene);
    std::vector<std::string> textures;
    zelimport::TextureExporter exporter(scene, scratch, "textures", "fuzz");
    for (const zelimport::MaterialInfo& material : materials) {
        std::string reason;
        std::string name = material.diffuseTexture.empty() ? "" : exporter.exportTexture(material.diffuseTexture, reason);
        textures.push_back(name.empty() ? "colour.bmp" : name);
    }
    zelimport::ConversionStats stats;
    const assetgen::sgf::Document document =
        zelimport::SceneConverter::convert(scene, "fuzz", materials, textures, in.ConsumeFloatingPointInRange(0.001, 100.0), stats);
    const std::string xml = document.toXml();
    if (stats.triangles != document.triangleCount()) __builtin_trap();
    return 0;
}
