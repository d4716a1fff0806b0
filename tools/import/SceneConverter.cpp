#include "import/SceneConverter.h"

#include <assimp/material.h>
#include <assimp/metadata.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <utility>

namespace zelimport {

namespace sgf = assetgen::sgf;

namespace {

// A row-major 3 x 4 affine transform of column vectors.
struct Affine {
    double m[12] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0};

    static Affine from(const aiMatrix4x4& a) {
        Affine t;
        const double rows[12] = {a.a1, a.a2, a.a3, a.a4, a.b1, a.b2, a.b3, a.b4, a.c1, a.c2, a.c3, a.c4};
        for (int i = 0; i < 12; ++i) t.m[i] = rows[i];
        return t;
    }

    Affine operator*(const Affine& o) const {
        Affine r;
        for (int row = 0; row < 3; ++row) {
            for (int col = 0; col < 4; ++col) {
                double v = col == 3 ? m[row * 4 + 3] : 0.0;
                for (int k = 0; k < 3; ++k) v += m[row * 4 + k] * o.m[k * 4 + col];
                r.m[row * 4 + col] = v;
            }
        }
        return r;
    }

    sgf::Vec3 apply(const aiVector3D& p) const {
        return {m[0] * p.x + m[1] * p.y + m[2] * p.z + m[3], m[4] * p.x + m[5] * p.y + m[6] * p.z + m[7],
                m[8] * p.x + m[9] * p.y + m[10] * p.z + m[11]};
    }

    double determinant() const {
        return m[0] * (m[5] * m[10] - m[6] * m[9]) - m[1] * (m[4] * m[10] - m[6] * m[8]) +
               m[2] * (m[4] * m[9] - m[5] * m[8]);
    }
};

bool usable(const sgf::Vec3& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z) &&
           std::fabs(p.x) <= SceneConverter::MAX_COORDINATE && std::fabs(p.y) <= SceneConverter::MAX_COORDINATE &&
           std::fabs(p.z) <= SceneConverter::MAX_COORDINATE;
}

unsigned char colourByte(float value) {
    if (!(value > 0.0f)) return 0; // NaN too
    if (value >= 1.0f) return 255;
    return static_cast<unsigned char>(std::lround(value * 255.0f));
}

// An axis metadata value: 0, 1 or 2 for the axis and +1 or -1 for the sign.
bool readMetaInt(const aiMetadata* meta, const char* key, int& out) {
    if (meta == nullptr) return false;
    int32_t i32 = 0;
    if (meta->Get(key, i32)) {
        out = i32;
        return true;
    }
    double d = 0.0;
    if (meta->Get(key, d) && std::isfinite(d) && std::fabs(d) < 16.0) {
        out = static_cast<int>(d);
        return true;
    }
    float f = 0.0f;
    if (meta->Get(key, f) && std::isfinite(f) && std::fabs(f) < 16.0f) {
        out = static_cast<int>(f);
        return true;
    }
    return false;
}

} // namespace

std::string SceneConverter::sanitiseName(const std::string& text, std::size_t maxLength) {
    std::string out;
    for (char c : text) {
        if (out.size() >= maxLength) break;
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                          c == '_' || c == '.';
        out += keep ? c : '_';
    }
    return out;
}

std::vector<MaterialInfo> SceneConverter::describeMaterials(const aiScene& scene) {
    std::vector<MaterialInfo> list;
    const unsigned count = scene.mMaterials != nullptr ? scene.mNumMaterials : 0;
    for (unsigned i = 0; i <= count; ++i) {
        MaterialInfo info;
        const aiMaterial* material = i < count ? scene.mMaterials[i] : nullptr;
        if (material == nullptr) {
            info.name = i < count ? "material" + std::to_string(i) : "unnamed";
            list.push_back(info);
            continue;
        }
        aiString name;
        if (material->Get(AI_MATKEY_NAME, name) == AI_SUCCESS) info.name = sanitiseName(name.C_Str());
        if (info.name.empty() || info.name.find_first_not_of('_') == std::string::npos)
            info.name = "material" + std::to_string(i);
        aiColor4D colour;
        if (material->Get(AI_MATKEY_COLOR_DIFFUSE, colour) == AI_SUCCESS) {
            info.rgb[0] = colourByte(colour.r);
            info.rgb[1] = colourByte(colour.g);
            info.rgb[2] = colourByte(colour.b);
        }
        aiString path;
        // glTF 2.0 keeps its colour map as the base colour; most formats as diffuse.
        if ((material->GetTextureCount(aiTextureType_DIFFUSE) > 0 &&
             material->GetTexture(aiTextureType_DIFFUSE, 0, &path) == AI_SUCCESS) ||
            (material->GetTextureCount(aiTextureType_BASE_COLOR) > 0 &&
             material->GetTexture(aiTextureType_BASE_COLOR, 0, &path) == AI_SUCCESS)) {
            info.diffuseTexture = path.C_Str();
        }
        list.push_back(info);
    }
    return list;
}

void SceneConverter::axisCorrection(const aiScene& scene, double out[9]) {
    static const double IDENTITY[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    for (int i = 0; i < 9; ++i) out[i] = IDENTITY[i];
    const aiMetadata* meta = scene.mMetaData;
    int up = 1, upSign = 1, front = 2, frontSign = 1, coord = 0, coordSign = 1;
    aiString format;
    if (meta != nullptr && meta->Get("SourceAsset_Format", format) &&
        std::string(format.C_Str()).find("Blender") != std::string::npos) {
        // Blender scenes are z-up with y to the back, and Assimp passes them on
        // unrotated.
        up = 2;
        front = 1;
        frontSign = -1;
    } else if (!readMetaInt(meta, "UpAxis", up)) {
        return;
    }
    readMetaInt(meta, "UpAxisSign", upSign);
    upSign = upSign < 0 ? -1 : 1;
    const bool stated = readMetaInt(meta, "FrontAxis", front) && readMetaInt(meta, "CoordAxis", coord);
    if (stated) {
        readMetaInt(meta, "FrontAxisSign", frontSign);
        readMetaInt(meta, "CoordAxisSign", coordSign);
    } else if (up == 2 || up == 0) {
        // Only the up axis is known: the rotation about the remaining
        // horizontal axis that brings it to y.
        const int other = up == 2 ? 1 : 0;
        front = up == 2 ? other : 2;
        frontSign = up == 2 ? -upSign : 1;
        coord = up == 2 ? 0 : other + 1;
        coordSign = up == 2 ? 1 : -upSign;
    } else {
        front = 2;
        frontSign = upSign;
        coord = 0;
    }
    const int axes[3] = {coord, up, front};
    const int signs[3] = {coordSign < 0 ? -1 : 1, upSign < 0 ? -1 : 1, frontSign < 0 ? -1 : 1};
    bool seen[3] = {false, false, false};
    for (int a : axes) {
        if (a < 0 || a > 2 || seen[a]) return; // inconsistent: leave the model as it is
        seen[a] = true;
    }
    // Row r picks the file's axis that becomes our x, y or z.
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) out[r * 3 + c] = c == axes[r] ? signs[r] : 0.0;
    }
}

sgf::Document SceneConverter::convert(const aiScene& scene, const std::string& title,
                                      const std::vector<MaterialInfo>& materials,
                                      const std::vector<std::string>& textureOfMaterial, double scale,
                                      ConversionStats& stats) {
    sgf::Document document(title);
    if (scene.mRootNode == nullptr) return document;

    double axis[9];
    axisCorrection(scene, axis);
    Affine root;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) root.m[r * 4 + c] = axis[r * 3 + c] * scale;

    const unsigned meshCount = scene.mMeshes != nullptr ? scene.mNumMeshes : 0;
    const std::size_t slots = std::min(materials.size(), textureOfMaterial.size());
    if (slots == 0) return document;
    const std::size_t greyMaterial = slots - 1;
    std::map<std::size_t, sgf::Mesh*> meshOfMaterial;

    struct Pending {
        const aiNode* node;
        Affine parent;
        std::size_t depth;
    };
    std::vector<Pending> stack{{scene.mRootNode, root, 0}};
    std::size_t visits = 0;
    while (!stack.empty()) {
        const Pending item = stack.back();
        stack.pop_back();
        if (item.node == nullptr) continue;
        if (item.depth >= MAX_NODE_DEPTH || ++visits > MAX_NODE_VISITS) {
            ++stats.deepNodes;
            continue;
        }
        const Affine world = item.parent * Affine::from(item.node->mTransformation);
        // A mirroring transform turns counter-clockwise corners clockwise.
        const bool mirrored = world.determinant() < 0.0;

        const unsigned refs = item.node->mMeshes != nullptr ? item.node->mNumMeshes : 0;
        for (unsigned r = 0; r < refs; ++r) {
            const unsigned meshIndex = item.node->mMeshes[r];
            const aiMesh* mesh = meshIndex < meshCount ? scene.mMeshes[meshIndex] : nullptr;
            if (mesh == nullptr || mesh->mVertices == nullptr) {
                ++stats.badMeshRefs;
                continue;
            }
            std::size_t material = mesh->mMaterialIndex;
            if (material >= greyMaterial) {
                ++stats.badMaterials;
                material = greyMaterial;
            }
            const aiVector3D* uvs = mesh->mTextureCoords[0];
            const unsigned faceCount = mesh->mFaces != nullptr ? mesh->mNumFaces : 0;
            for (unsigned f = 0; f < faceCount; ++f) {
                const aiFace& face = mesh->mFaces[f];
                const unsigned corners = face.mIndices != nullptr ? face.mNumIndices : 0;
                if (corners == 0) {
                    ++stats.emptyFaces;
                    continue;
                }
                if (corners == 1) {
                    ++stats.points;
                    continue;
                }
                if (corners == 2) {
                    ++stats.lines;
                    continue;
                }
                // Polygons left by the triangulation step become a fan.
                for (unsigned k = 1; k + 1 < corners; ++k) {
                    const unsigned idx[3] = {face.mIndices[0], face.mIndices[k], face.mIndices[k + 1]};
                    if (idx[0] >= mesh->mNumVertices || idx[1] >= mesh->mNumVertices ||
                        idx[2] >= mesh->mNumVertices) {
                        ++stats.badIndices;
                        continue;
                    }
                    sgf::Vec3 p[3];
                    sgf::Vec2 uv[3];
                    bool ok = true;
                    for (int c = 0; c < 3; ++c) {
                        p[c] = world.apply(mesh->mVertices[idx[c]]);
                        ok = ok && usable(p[c]);
                        if (uvs != nullptr) {
                            const double u = uvs[idx[c]].x;
                            const double v = 1.0 - static_cast<double>(uvs[idx[c]].y);
                            ok = ok && std::isfinite(u) && std::isfinite(v) && std::fabs(u) <= MAX_COORDINATE &&
                                 std::fabs(v) <= MAX_COORDINATE;
                            uv[c] = {u, v};
                        }
                    }
                    if (!ok) {
                        ++stats.nonFinite;
                        continue;
                    }
                    if (stats.triangles >= MAX_TRIANGLES) {
                        ++stats.overLimit;
                        continue;
                    }
                    if (mirrored) {
                        std::swap(p[1], p[2]);
                        std::swap(uv[1], uv[2]);
                    }
                    sgf::Mesh*& target = meshOfMaterial[material];
                    if (target == nullptr) {
                        target = &document.addMesh(materials[material].name);
                    }
                    target->addTriangle(p, uv, textureOfMaterial[material]);
                    ++stats.triangles;
                }
            }
        }

        const unsigned children = item.node->mChildren != nullptr ? item.node->mNumChildren : 0;
        // Pushed in reverse so that children are visited in file order.
        for (unsigned c = children; c > 0; --c) stack.push_back({item.node->mChildren[c - 1], world, item.depth + 1});
    }

    stats.meshes = document.meshes().size();
    stats.vertices = 0;
    for (const auto& mesh : document.meshes()) stats.vertices += mesh->vertexCount();
    return document;
}

} // namespace zelimport
