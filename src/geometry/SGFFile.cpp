#include "geometry/SGFFile.h"

#include <cctype>
#include <cfloat>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>

#include "xml/CXMLAttribute.h"
#include "xml/CXMLDocument.h"
#include "xml/CXMLNode.h"
#include "xml/CXMLNodeSet.h"

namespace zel {

namespace {

// The first child of node that is an element (text and comments skipped).
bool firstElementChild(const xml::CXMLNode& node, xml::CXMLNode& child) {
    const xmlNodePtr parent = node.getNodePointer();
    if (!parent) {
        return false;
    }
    for (xmlNodePtr n = parent->children; n; n = n->next) {
        if (n->type == XML_ELEMENT_NODE) {
            child = xml::CXMLNode(n);
            return true;
        }
    }
    return false;
}

// Replaces value with the attribute read as a float when the node carries it.
void readFloatAttribute(const xml::CXMLNode& node, const char* name, float& value) {
    xml::CXMLAttribute attribute;
    if (node.getAttribute(name, attribute)) {
        value = SGFFile::toFloat(attribute.getValue());
    }
}

void readIntAttribute(const xml::CXMLNode& node, const char* name, std::int32_t& value) {
    xml::CXMLAttribute attribute;
    if (node.getAttribute(name, attribute)) {
        value = SGFFile::toInt(attribute.getValue());
    }
}

void readTexCoord(const xml::CXMLNode& node, Vector2& texCoord) {
    readFloatAttribute(node, "u", texCoord.u);
    readFloatAttribute(node, "v", texCoord.v);
}

// Moves node to its next element sibling; false (node unchanged) at the end.
bool advance(xml::CXMLNode& node) {
    xml::CXMLNode next;
    if (!node.getNextSibling(next)) {
        return false;
    }
    node = next;
    return true;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Index just past the leading white space of text.
std::size_t skipBlanks(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    return i;
}

} // namespace

SGFFile::SGFFile(const std::string& path, std::size_t maxVerticesPerMesh, std::size_t maxFacesPerMesh)
    : path_(path), maxVertices_(maxVerticesPerMesh), maxFaces_(maxFacesPerMesh) {
    // Only regular files of a bounded size reach the parser: a pipe or a device
    // could block or stream forever, and an oversized file would cost its size
    // many times over in the document tree before any record limit applies.
    xml::CXMLDocument document(path, static_cast<std::size_t>(MAX_FILE_BYTES));
    if (!document.isLoaded()) {
        // A file that is missing or not a regular file is reported by the model
        // that asked for it; a size or content refusal is reported here.
        const DataFileStatus status = document.getFileStatus();
        if (status == DataFileStatus::TOO_LARGE || (status == DataFileStatus::OK && !document.getRefusal().empty())) {
            fprintf(stderr, "WARNING: [SGFFile] %s %s; the file is not read.\n", path_.c_str(),
                    document.getRefusal().c_str());
        }
        return;
    }
    loaded_ = true;

    if (std::unique_ptr<xml::CXMLNodeSet> meshNodes = document.evaluateXPath("/sgf/mesh")) {
        xml::CXMLNode node;
        for (int i = 0; i < meshNodes->getCount() && !fileFull_; ++i) {
            if (meshes_.size() >= MAX_MESHES_PER_FILE) {
                fprintf(stderr, "WARNING: [SGFFile] %s: more than %zu meshes; the rest are ignored.\n",
                        path_.c_str(), MAX_MESHES_PER_FILE);
                break;
            }
            if (meshNodes->getNode(i, node)) {
                parseMesh(node);
            }
        }
    }

    if (std::unique_ptr<xml::CXMLNodeSet> lightNodes = document.evaluateXPath("/sgf/light")) {
        xml::CXMLNode node;
        for (int i = 0; i < lightNodes->getCount(); ++i) {
            if (!lightNodes->getNode(i, node) || !parseLight(node)) {
                break;
            }
        }
    }
}

SGFFile::~SGFFile() = default;

bool SGFFile::parseMesh(const xml::CXMLNode& meshNode) {
    const int meshIndex = static_cast<int>(meshes_.size());
    SGFMesh mesh;
    Vector3 vertex;
    SGFFace face;

    xml::CXMLNode vertexList;
    if (!firstElementChild(meshNode, vertexList)) {
        meshes_.push_back(std::move(mesh));
        return true;
    }

    xml::CXMLNode vertexNode;
    bool more = firstElementChild(vertexList, vertexNode);
    while (more) {
        if (mesh.vertices.size() >= maxVertices_) {
            fprintf(stderr, "WARNING: [SGFFile] %s: mesh %d has more than %zu vertices; the rest are ignored.\n",
                    path_.c_str(), meshIndex, maxVertices_);
            break;
        }
        readFloatAttribute(vertexNode, "x", vertex.x);
        readFloatAttribute(vertexNode, "y", vertex.y);
        readFloatAttribute(vertexNode, "z", vertex.z);
        mesh.vertices.push_back(vertex);
        more = advance(vertexNode);
    }

    xml::CXMLNode faceNode;
    more = vertexList.getNextSibling(faceNode);
    while (more) {
        std::string name;
        faceNode.getName(name);
        const bool isTriangle = name == "triangle";
        const bool isQuad = name == "quad";

        if (mesh.faces.size() + (isTriangle ? 1 : 2) > maxFaces_) {
            fprintf(stderr, "WARNING: [SGFFile] %s: mesh %d has more than %zu faces; the rest are ignored.\n",
                    path_.c_str(), meshIndex, maxFaces_);
            break;
        }
        if (fileFaces_ + (isTriangle ? 1 : 2) > MAX_FACES_PER_FILE) {
            fprintf(stderr, "WARNING: [SGFFile] %s: more than %zu faces in the file; the rest are ignored.\n",
                    path_.c_str(), MAX_FACES_PER_FILE);
            fileFull_ = true;
            break;
        }

        face.triangle = isTriangle;

        xml::CXMLNode part;
        if (faceNode.findChild("indices", part)) {
            readIntAttribute(part, "i0", face.indices[0]);
            readIntAttribute(part, "i1", face.indices[1]);
            readIntAttribute(part, "i2", face.indices[2]);
            if (isQuad) {
                readIntAttribute(part, "i3", face.indices[3]);
            }
        }

        if (faceNode.findChild("texCoord", part)) {
            readTexCoord(part, face.texCoords[0]);
            const int last = isQuad ? 3 : 2;
            for (int corner = 1; corner <= last && advance(part); ++corner) {
                readTexCoord(part, face.texCoords[corner]);
            }
        }

        if (faceNode.findChild("texture", part)) {
            std::string text;
            face.texture = part.getText(text) ? afterLast(text, '\\') : std::string("default.jpg");
            if (face.texture.size() > MAX_TEXTURE_NAME_BYTES) {
                // No file name is that long; a huge name copied into every later
                // face would otherwise multiply its size by the face count.
                fprintf(stderr, "WARNING: [SGFFile] %s: mesh %d: a texture name of %zu bytes is longer than %zu; "
                        "default.jpg is used.\n",
                        path_.c_str(), meshIndex, face.texture.size(), MAX_TEXTURE_NAME_BYTES);
                face.texture = "default.jpg";
            }
        }

        fileFaces_ += isTriangle ? 1 : 2;
        if (isTriangle) {
            mesh.faces.push_back(face);
        } else {
            // Split into corners (1, 2, 3) and (3, 4, 1).
            static const int CORNERS[2][3] = {{0, 1, 2}, {2, 3, 0}};
            for (const auto& corners : CORNERS) {
                SGFFace half;
                half.triangle = true;
                half.texture = face.texture;
                for (int k = 0; k < 3; ++k) {
                    half.indices[k] = face.indices[corners[k]];
                    half.texCoords[k] = face.texCoords[corners[k]];
                }
                mesh.faces.push_back(std::move(half));
            }
        }
        more = advance(faceNode);
    }

    meshes_.push_back(std::move(mesh));
    return true;
}

bool SGFFile::parseLight(const xml::CXMLNode& lightNode) {
    SGFLight light;
    xml::CXMLNode child;
    if (!firstElementChild(lightNode, child)) {
        lights_.push_back(light);
        return true;
    }
    std::string text;
    if (!child.getText(text)) {
        return false;
    }
    light.scalar = toFloat(text);

    if (!advance(child)) {
        return false;
    }
    readFloatAttribute(child, "red", light.red);
    readFloatAttribute(child, "green", light.green);
    readFloatAttribute(child, "blue", light.blue);

    if (!advance(child)) {
        return false;
    }
    readFloatAttribute(child, "x", light.x);
    readFloatAttribute(child, "y", light.y);
    readFloatAttribute(child, "z", light.z);

    lights_.push_back(light);
    return true;
}

float SGFFile::toFloat(const std::string& text) {
    // Find the longest prefix of the form [sign] digits [. digits] [e [sign] digits]
    // with at least one mantissa digit; the exponent counts only with a digit.
    const std::size_t start = skipBlanks(text);
    std::size_t i = start;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    std::size_t digits = 0;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return 0.0f;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            ++j;
        }
        if (j < text.size() && isDigit(text[j])) {
            while (j < text.size() && isDigit(text[j])) {
                ++j;
            }
            i = j;
        }
    }
    // The prefix holds only sign, digits, point and exponent, so strtod reads all
    // of it (no hex, nan or inf forms can reach it).
    const std::string number = text.substr(start, i - start);
    const double value = std::strtod(number.c_str(), nullptr);
    if (value > FLT_MAX) {
        return FLT_MAX;
    }
    if (value < -FLT_MAX) {
        return -FLT_MAX;
    }
    return static_cast<float>(value);
}

std::int32_t SGFFile::toInt(const std::string& text) {
    std::size_t i = skipBlanks(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i >= text.size() || !isDigit(text[i])) {
        return 0;
    }
    // Accumulate with saturation: out-of-range values become the limit of their sign.
    const std::int64_t limit = negative ? -static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::min())
                                        : std::numeric_limits<std::int32_t>::max();
    std::int64_t magnitude = 0;
    while (i < text.size() && isDigit(text[i])) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > limit) {
            magnitude = limit;
        }
        ++i;
    }
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

std::string SGFFile::afterLast(const std::string& text, char c) {
    const std::size_t pos = text.rfind(c);
    return pos == std::string::npos ? text : text.substr(pos + 1);
}

} // namespace zel
