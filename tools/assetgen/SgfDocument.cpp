#include "assetgen/SgfDocument.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

namespace assetgen {
namespace sgf {

double Vec3::length() const { return std::sqrt(x * x + y * y + z * z); }

Vec3 Vec3::normalised() const {
    const double len = length();
    if (len == 0.0) {
        return *this;
    }
    return {x / len, y / len, z / len};
}

Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

std::string formatNumber(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.4f", value);
    std::string s(text);
    if (s.find('.') != std::string::npos) {
        while (!s.empty() && s.back() == '0') {
            s.pop_back();
        }
        if (!s.empty() && s.back() == '.') {
            s.pop_back();
        }
    }
    if (s == "-0") {
        s = "0";
    }
    return s;
}

std::string textureFileName(const std::string& path) {
    const size_t slash = path.rfind('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

namespace {

std::string escapeXml(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c; break;
        }
    }
    return out;
}

std::string vertexKey(const Vec3& p) {
    return formatNumber(p.x) + " " + formatNumber(p.y) + " " + formatNumber(p.z);
}

} // namespace

Mesh::Mesh(std::string name) : name_(std::move(name)) {}

int Mesh::addVertex(const Vec3& position) {
    const std::string key = vertexKey(position);
    const auto found = vertexLookup_.find(key);
    if (found != vertexLookup_.end()) {
        return found->second;
    }
    const int index = static_cast<int>(vertices_.size());
    vertices_.push_back(position);
    vertexLookup_.emplace(key, index);
    return index;
}

void Mesh::addTriangle(const Vec3 (&corners)[3], const Vec2 (&uv)[3], const std::string& texture) {
    Face face;
    face.quad = false;
    for (int i = 0; i < 3; ++i) {
        face.indices[i] = addVertex(corners[i]);
        face.uv[i] = uv[i];
    }
    face.texture = texture;
    faces_.push_back(face);
}

void Mesh::addQuad(const Vec3 (&corners)[4], const Vec2 (&uv)[4], const std::string& texture) {
    Face face;
    face.quad = true;
    for (int i = 0; i < 4; ++i) {
        face.indices[i] = addVertex(corners[i]);
        face.uv[i] = uv[i];
    }
    face.texture = texture;
    faces_.push_back(face);
}

size_t Mesh::triangleCount() const {
    size_t count = 0;
    for (const Face& face : faces_) {
        count += face.quad ? 2 : 1;
    }
    return count;
}

std::vector<std::string> Mesh::textureNames() const {
    std::set<std::string> names;
    for (const Face& face : faces_) {
        names.insert(textureFileName(face.texture));
    }
    return std::vector<std::string>(names.begin(), names.end());
}

void Mesh::appendXml(std::string& out) const {
    // One line per vertex and per face, without indentation: every run of
    // white space between elements becomes a text node in the parsed
    // document, and the models are parsed at every start-up.
    out += "<mesh name=\"" + escapeXml(name_) + "\">\n";
    out += "<vertices>\n";
    // The reader starts every mesh with the working vertex (0, 0, 0) and keeps
    // coordinates a vertex leaves out, so only changed coordinates are written.
    std::string previous[3] = {"0", "0", "0"};
    static const char* const AXES[3] = {"x", "y", "z"};
    for (const Vec3& v : vertices_) {
        const std::string values[3] = {formatNumber(v.x), formatNumber(v.y), formatNumber(v.z)};
        out += "<vertex";
        for (int axis = 0; axis < 3; ++axis) {
            if (values[axis] != previous[axis]) {
                out += std::string(" ") + AXES[axis] + "=\"" + values[axis] + "\"";
                previous[axis] = values[axis];
            }
        }
        out += "/>\n";
    }
    out += "</vertices>\n";

    // The texture of a face carries over to the next face of the same mesh.
    std::string previousTexture;
    for (const Face& face : faces_) {
        const int corners = face.quad ? 4 : 3;
        const char* element = face.quad ? "quad" : "triangle";
        out += std::string("<") + element + ">";
        out += "<indices";
        for (int i = 0; i < corners; ++i) {
            out += " i" + std::to_string(i) + "=\"" + std::to_string(face.indices[i]) + "\"";
        }
        out += "/><texCoords>";
        for (int i = 0; i < corners; ++i) {
            out += "<texCoord u=\"" + formatNumber(face.uv[i].u) + "\" v=\"" + formatNumber(face.uv[i].v) +
                   "\"/>";
        }
        out += "</texCoords>";
        const std::string fileName = textureFileName(face.texture);
        if (fileName != previousTexture) {
            out += "<texture>" + escapeXml(face.texture) + "</texture>";
            previousTexture = fileName;
        }
        out += std::string("</") + element + ">\n";
    }
    out += "</mesh>\n";
}

Document::Document(std::string title) : title_(std::move(title)) {}

Mesh& Document::addMesh(const std::string& name) {
    meshes_.push_back(std::make_unique<Mesh>(name));
    return *meshes_.back();
}

void Document::addLight(const Light& light) { lights_.push_back(light); }

size_t Document::triangleCount() const {
    size_t count = 0;
    for (const auto& mesh : meshes_) {
        count += mesh->triangleCount();
    }
    return count;
}

std::string Document::toXml() const {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out += "<!-- " + escapeXml(title_) + " -->\n";
    out += "<sgf>\n";
    for (const auto& mesh : meshes_) {
        mesh->appendXml(out);
    }
    for (const Light& light : lights_) {
        out += "<light><intensity>" + formatNumber(light.intensity) + "</intensity>";
        out += "<color red=\"" + formatNumber(light.red) + "\" green=\"" +
               formatNumber(light.green) + "\" blue=\"" + formatNumber(light.blue) + "\"/>";
        out += "<position x=\"" + formatNumber(light.position.x) + "\" y=\"" + formatNumber(light.position.y) +
               "\" z=\"" + formatNumber(light.position.z) + "\"/></light>\n";
    }
    out += "</sgf>\n";
    return out;
}

} // namespace sgf
} // namespace assetgen
