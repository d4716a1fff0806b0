#include "geometry/SGFChecker.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <sstream>
#include <system_error>

#include "geometry/SGFFile.h"
#include "geometry/SGFMeshModel.h"
#include "resources/Image.h"
#include "xml/CXMLDocument.h"
#include "xml/CXMLNode.h"
#include "xml/CXMLNodeSet.h"

namespace zel {

namespace {

// Element counts of one mesh element as written in the file.
struct MeshElementCounts {
    std::size_t vertices = 0;
    std::size_t storedFaces = 0; // triangles count once, every other face twice
};

// Counts the element children of a node (text and comments skipped).
std::size_t countElementChildren(xmlNodePtr node) {
    std::size_t count = 0;
    for (xmlNodePtr child = node ? node->children : nullptr; child; child = child->next) {
        if (child->type == XML_ELEMENT_NODE) {
            ++count;
        }
    }
    return count;
}

MeshElementCounts countMeshElements(xmlNodePtr mesh) {
    MeshElementCounts counts;
    xmlNodePtr child = mesh ? mesh->children : nullptr;
    while (child && child->type != XML_ELEMENT_NODE) {
        child = child->next;
    }
    if (!child) {
        return counts;
    }
    counts.vertices = countElementChildren(child);
    for (child = child->next; child; child = child->next) {
        if (child->type == XML_ELEMENT_NODE) {
            const bool triangle = std::strcmp(reinterpret_cast<const char*>(child->name), "triangle") == 0;
            counts.storedFaces += triangle ? 1 : 2;
        }
    }
    return counts;
}

std::string formatFloat(float value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", static_cast<double>(value));
    return buffer;
}

std::string formatPoint(float x, float y, float z) {
    return "(" + formatFloat(x) + ", " + formatFloat(y) + ", " + formatFloat(z) + ")";
}

void addProblem(SGFReport& report, const std::string& line) {
    ++report.problemCount;
    if (report.problems.size() < SGFChecker::MAX_PROBLEM_LINES) {
        report.problems.push_back(line);
    }
}

std::string meshLabel(std::size_t index) { return "mesh " + std::to_string(index); }

void growBox(SGFReport& report, const Vector3& p) {
    if (!report.hasBox) {
        report.box = BoundingBox(p.x, p.y, p.z, p.x, p.y, p.z);
        report.hasBox = true;
        return;
    }
    report.box.extend(p);
}

// Whether the image decoder the texture registry uses can read the file.
bool decodes(const std::string& path) {
    const Image image(path, false, 0, 0, 0);
    return image.loaded;
}

} // namespace

std::size_t SGFReport::totalFaces() const {
    std::size_t total = 0;
    for (const SGFMeshSummary& mesh : meshes) {
        total += mesh.faceCount;
    }
    return total;
}

std::size_t SGFReport::totalVertices() const {
    std::size_t total = 0;
    for (const SGFMeshSummary& mesh : meshes) {
        total += mesh.vertexCount;
    }
    return total;
}

SGFChecker::SGFChecker(const std::string& textureDirectory, std::size_t maxVerticesPerMesh,
                           std::size_t maxFacesPerMesh)
    : textureDirectory_(textureDirectory), maxVertices_(maxVerticesPerMesh), maxFaces_(maxFacesPerMesh) {
    if (!textureDirectory_.empty() && textureDirectory_.back() != '/') {
        textureDirectory_ += '/';
    }
}

SGFReport SGFChecker::inspect(const std::string& path) const {
    const SGFFile file(path, maxVertices_, maxFaces_);
    SGFReport report = inspect(file);
    if (!report.loaded) {
        return report;
    }

    // A second look at the document itself: what the file holds against what the
    // reader kept. The reader drops vertices and faces beyond its limits and
    // silently stops at the first malformed light.
    xml::CXMLDocument document(path);
    if (!document.isLoaded()) {
        return report;
    }
    if (std::unique_ptr<xml::CXMLNodeSet> meshNodes = document.evaluateXPath("/sgf/mesh")) {
        xml::CXMLNode node;
        const std::size_t count = std::min(static_cast<std::size_t>(std::max(meshNodes->getCount(), 0)),
                                           report.meshes.size());
        for (std::size_t i = 0; i < count; ++i) {
            if (!meshNodes->getNode(static_cast<int>(i), node)) {
                continue;
            }
            const MeshElementCounts written = countMeshElements(node.getNodePointer());
            const SGFMeshSummary& kept = report.meshes[i];
            if (written.vertices > kept.vertexCount) {
                addProblem(report, meshLabel(i) + ": the file lists " + std::to_string(written.vertices) +
                                       " vertices; only the first " + std::to_string(kept.vertexCount) +
                                       " are read (limit " + std::to_string(maxVertices_) + " per mesh).");
            }
            if (written.storedFaces > kept.faceCount) {
                addProblem(report, meshLabel(i) + ": the file's faces make " +
                                       std::to_string(written.storedFaces) + " triangles; only the first " +
                                       std::to_string(kept.faceCount) + " are read (limit " +
                                       std::to_string(maxFaces_) + " per mesh).");
            }
        }
    }
    if (std::unique_ptr<xml::CXMLNodeSet> lightNodes = document.evaluateXPath("/sgf/light")) {
        report.lightElementCount = static_cast<std::size_t>(std::max(lightNodes->getCount(), 0));
        if (report.lightElementCount > report.lightCount) {
            addProblem(report, "light " + std::to_string(report.lightCount) +
                                   " is malformed (its first child needs a number as text, and it needs "
                                   "three child elements); it and the " +
                                   std::to_string(report.lightElementCount - report.lightCount - 1) +
                                   " lights after it are skipped.");
        }
    }
    return report;
}

SGFReport SGFChecker::inspect(const SGFFile& file) const {
    SGFReport report;
    report.path = file.getPath();
    report.loaded = file.isLoaded();
    report.lightCount = file.getLights().size();
    report.lightElementCount = report.lightCount;

    if (!report.loaded) {
        std::error_code error;
        const bool exists = std::filesystem::exists(report.path, error);
        addProblem(report, exists ? "the file is not well-formed XML (or cannot be read); nothing loads."
                                  : "the file does not exist; nothing loads.");
        return report;
    }

    const std::vector<SGFMesh>& meshes = file.getMeshes();
    if (meshes.empty()) {
        addProblem(report, "the file has no mesh elements directly under an sgf root element; nothing loads.");
    }

    for (std::size_t m = 0; m < meshes.size(); ++m) {
        const SGFMesh& record = meshes[m];
        SGFMeshSummary summary;
        summary.vertexCount = record.vertices.size();
        summary.faceCount = record.faces.size();
        summary.singleTextured = SGFMeshModel::hasSingleTexture(record);

        if (record.vertices.empty() && record.faces.empty()) {
            addProblem(report, meshLabel(m) + " is empty: no vertices and no faces.");
        } else if (record.faces.empty()) {
            addProblem(report, meshLabel(m) + " has " + std::to_string(record.vertices.size()) +
                                   " vertices but no faces.");
        } else if (record.vertices.empty()) {
            addProblem(report, meshLabel(m) + " has faces but no vertices.");
        }

        for (std::size_t f = 0; f < record.faces.size(); ++f) {
            const SGFFace& face = record.faces[f];
            if (face.texture.empty()) {
                ++summary.unnamedFaceCount;
            } else {
                if (std::find(summary.textures.begin(), summary.textures.end(), face.texture) ==
                    summary.textures.end()) {
                    summary.textures.push_back(face.texture);
                }
                auto known = std::find_if(report.textures.begin(), report.textures.end(),
                                          [&](const SGFTextureSummary& t) { return t.name == face.texture; });
                if (known == report.textures.end()) {
                    SGFTextureSummary texture;
                    texture.name = face.texture;
                    texture.path = textureDirectory_ + face.texture;
                    report.textures.push_back(texture);
                    known = report.textures.end() - 1;
                }
                ++known->faceCount;
            }

            if (!SGFMeshModel::hasValidIndices(record, face)) {
                ++summary.invalidFaceCount;
                if (!record.vertices.empty()) {
                    addProblem(report, meshLabel(m) + ", face " + std::to_string(f) + ": vertex index (" +
                                           std::to_string(face.indices[0]) + ", " +
                                           std::to_string(face.indices[1]) + ", " +
                                           std::to_string(face.indices[2]) + ") outside the mesh's " +
                                           std::to_string(record.vertices.size()) +
                                           " vertices (valid 0.." + std::to_string(record.vertices.size() - 1) +
                                           "); the loader skips this face.");
                }
                continue;
            }
            for (int k = 0; k < 3; ++k) {
                growBox(report, record.vertices[static_cast<std::size_t>(face.indices[k])]);
            }
        }
        if (summary.unnamedFaceCount > 0) {
            addProblem(report, meshLabel(m) + ": " + std::to_string(summary.unnamedFaceCount) +
                                   " faces name no texture (no texture element before them); they draw "
                                   "with the default texture.");
        }
        report.meshes.push_back(std::move(summary));
    }

    if (!report.meshes.empty() && report.meshes.front().faceCount == report.meshes.front().invalidFaceCount) {
        addProblem(report, "the first mesh has no face that loads, so the model has no bounding box and "
                           "loads empty.");
    }

    for (SGFTextureSummary& texture : report.textures) {
        std::error_code error;
        texture.found = std::filesystem::is_regular_file(texture.path, error);
        texture.decodable = texture.found && decodes(texture.path);
        if (!texture.found) {
            addProblem(report, "texture " + texture.name + " (" + std::to_string(texture.faceCount) +
                                   " faces): file " + texture.path +
                                   " not found; those faces draw with the default texture.");
        } else if (!texture.decodable) {
            addProblem(report, "texture " + texture.name + ": file " + texture.path +
                                   " cannot be decoded as TGA, BMP or JPEG; those faces draw with the "
                                   "default texture.");
        }
    }
    return report;
}

std::string SGFChecker::format(const SGFReport& report) {
    std::ostringstream out;
    out << "File: " << report.path << "\n";
    if (report.loaded) {
        for (std::size_t m = 0; m < report.meshes.size(); ++m) {
            const SGFMeshSummary& mesh = report.meshes[m];
            out << "  " << meshLabel(m) << ": " << mesh.vertexCount << " vertices, " << mesh.faceCount
                << " faces";
            if (mesh.invalidFaceCount > 0) {
                out << " (" << mesh.invalidFaceCount << " skipped)";
            }
            if (mesh.faceCount > 0) {
                out << (mesh.singleTextured ? ", single texture (vertex buffers): "
                                            : ", mixed textures (display list): ");
                for (std::size_t t = 0; t < mesh.textures.size(); ++t) {
                    out << (t > 0 ? ", " : "") << mesh.textures[t];
                }
                if (mesh.unnamedFaceCount > 0) {
                    out << (mesh.textures.empty() ? "" : ", ") << "(none)";
                }
            }
            out << "\n";
        }
        out << "Totals: " << report.meshes.size() << " meshes, " << report.totalVertices() << " vertices, "
            << report.totalFaces() << " faces (triangles), " << report.lightCount << " lights";
        if (report.lightElementCount != report.lightCount) {
            out << " of " << report.lightElementCount << " light elements";
        }
        out << "\n";
        out << "Textures: " << report.textures.size() << "\n";
        for (const SGFTextureSummary& texture : report.textures) {
            out << "  " << texture.name << ": " << texture.faceCount << " faces, "
                << (!texture.found ? "MISSING" : texture.decodable ? "ok" : "UNREADABLE") << " (" << texture.path
                << ")\n";
        }
        if (report.hasBox) {
            const BoundingBox& b = report.box;
            out << "Bounding box: min " << formatPoint(b.minX, b.minY, b.minZ) << " max "
                << formatPoint(b.maxX, b.maxY, b.maxZ) << " size "
                << formatPoint(b.maxX - b.minX, b.maxY - b.minY, b.maxZ - b.minZ) << "\n";
        } else {
            out << "Bounding box: none (no face loads)\n";
        }
    }
    if (!report.isClean()) {
        out << "Problems: " << report.problemCount << "\n";
        for (const std::string& problem : report.problems) {
            out << "  " << problem << "\n";
        }
        if (report.problemCount > report.problems.size()) {
            out << "  ... and " << report.problemCount - report.problems.size() << " more\n";
        }
    }
    out << "Result: " << (report.isClean() ? "clean" : "PROBLEMS") << "\n";
    return out.str();
}

std::string SGFChecker::describeRecords(const SGFFile& file) {
    std::ostringstream out;
    const std::vector<SGFMesh>& meshes = file.getMeshes();
    for (std::size_t m = 0; m < meshes.size(); ++m) {
        const SGFMesh& record = meshes[m];
        out << meshLabel(m) << ":\n";
        for (std::size_t v = 0; v < record.vertices.size(); ++v) {
            const Vector3& p = record.vertices[v];
            out << "  vertex " << v << ": " << formatPoint(p.x, p.y, p.z) << "\n";
        }
        for (std::size_t f = 0; f < record.faces.size(); ++f) {
            const SGFFace& face = record.faces[f];
            out << "  face " << f << ": indices (" << face.indices[0] << ", " << face.indices[1] << ", "
                << face.indices[2] << ") uv";
            for (int k = 0; k < 3; ++k) {
                out << " (" << formatFloat(face.texCoords[k].u) << ", " << formatFloat(face.texCoords[k].v) << ")";
            }
            out << " texture " << (face.texture.empty() ? "(none)" : face.texture) << "\n";
        }
    }
    return out.str();
}

} // namespace zel
