#include "resources/TextureResourceFile.h"

#include "xml/CXMLAttribute.h"
#include "xml/CXMLNodeSet.h"

#include "resources/DataFile.h"

#include <cstdio>
#include <sstream>

namespace zel {

namespace {

const char* const SOURCE = "TextureResourceFile";

// Formatted stream input: leading blanks skipped, the longest number prefix
// taken, 0 when there is none.
int parseInt(const std::string& text) {
    std::istringstream stream(text);
    int value = 0;
    stream >> value;
    return value;
}

bool attribute(const xml::CXMLNode& node, const char* name, std::string& value) {
    xml::CXMLAttribute found;
    if (!node.getAttribute(name, found)) {
        return false;
    }
    value = found.getValue();
    return true;
}

} // namespace

TextureResourceFile::TextureResourceFile(const std::string& path)
    : document(std::make_unique<xml::CXMLDocument>(path, static_cast<std::size_t>(MAX_FILE_BYTES))),
      valid(true) {
    // A file over the size limit is a failed read. Other refusals (not a regular
    // file, declarations, too many attributes) make an unparsable catalogue,
    // which counts as an empty one; a missing file says nothing.
    const std::string& refusal = document->getRefusal();
    if (!refusal.empty() && document->getFileStatus() != DataFileStatus::MISSING) {
        fprintf(stderr, "ERROR: [%s] %s %s; it is not read.\n", SOURCE, path.c_str(), refusal.c_str());
        if (document->getFileStatus() == DataFileStatus::TOO_LARGE) {
            document.reset();
            valid = false;
            printf("ERROR: [%s] TextureResourceFile could not be loaded.\n", SOURCE);
            return;
        }
    }
    valid = read();
    if (valid) {
        printf("INFO: [%s] TextureResourceFile loaded.\n", SOURCE);
    } else {
        printf("ERROR: [%s] TextureResourceFile could not be loaded.\n", SOURCE);
    }
}

TextureResourceFile::~TextureResourceFile() = default;

bool TextureResourceFile::read() {
    if (!document->isLoaded()) {
        return true; // a missing or unparsable catalogue is an empty one
    }
    bool ok = true;
    std::unique_ptr<xml::CXMLNodeSet> nodes = document->evaluateXPath("/textures/texture");
    if (nodes) {
        for (int i = 0; i < nodes->getCount(); ++i) {
            xml::CXMLNode textureNode;
            nodes->getNode(i, textureNode);
            TextureEntry entry;
            if (!readEntry(textureNode, entry)) {
                ok = false;
                break;
            }
            // Lookups take the first entry of a name, so later duplicates are
            // not indexed.
            firstEntry.emplace(entry.fileName, entries.size());
            entries.push_back(entry);
        }
    }
    nodes.reset();
    document.reset();
    return ok;
}

bool TextureResourceFile::readEntry(const xml::CXMLNode& textureNode, TextureEntry& entry) {
    xml::CXMLNode child;
    std::string name;
    if (!textureNode.getFirstChild(child) || !child.getName(name) || name != "filename" ||
        !child.getText(entry.fileName)) {
        return false;
    }
    while (child.getNextSibling(child)) {
        if (!child.getName(name)) {
            continue;
        }
        if (name == "alpha") {
            readAlpha(child, entry);
        } else if (name == "filter") {
            readFilter(child, entry);
        } else if (name == "wrap") {
            readWrap(child, entry);
        }
    }
    return true;
}

void TextureResourceFile::readAlpha(const xml::CXMLNode& node, TextureEntry& entry) {
    std::string value;
    if (attribute(node, "enabled", value)) {
        entry.alpha = value == "true";
    }
    xml::CXMLNode blend;
    std::string name;
    if (node.getFirstChild(blend) && blend.getName(name) && name == "alphablend") {
        if (attribute(blend, "red", value)) entry.red = parseInt(value);
        if (attribute(blend, "green", value)) entry.green = parseInt(value);
        if (attribute(blend, "blue", value)) entry.blue = parseInt(value);
    }
}

void TextureResourceFile::readFilter(const xml::CXMLNode& node, TextureEntry& entry) {
    entry.minFilter = GL_LINEAR_MIPMAP_LINEAR;
    entry.magFilter = GL_LINEAR;
    entry.mipmaps = true;

    struct MinFilter {
        const char* name;
        GLint filter;
        bool mipmaps;
    };
    static const MinFilter MIN_FILTERS[] = {
        {"linear", GL_LINEAR, false},
        {"nearest", GL_NEAREST, false},
        {"linear_mipmap_linear", GL_LINEAR_MIPMAP_LINEAR, true},
        {"linear_mipmap_nearest", GL_LINEAR_MIPMAP_NEAREST, true},
        {"nearest_mipmap_linear", GL_NEAREST_MIPMAP_LINEAR, true},
        {"nearest_mipmap_nearest", GL_NEAREST_MIPMAP_NEAREST, true},
    };
    std::string value;
    if (attribute(node, "minfilter", value)) {
        for (const MinFilter& candidate : MIN_FILTERS) {
            if (value == candidate.name) {
                entry.minFilter = candidate.filter;
                entry.mipmaps = candidate.mipmaps;
                break;
            }
        }
    }
    if (attribute(node, "magfilter", value)) {
        if (value == "linear") {
            entry.magFilter = GL_LINEAR;
        } else if (value == "nearest") {
            entry.magFilter = GL_NEAREST;
        }
    }
}

void TextureResourceFile::readWrap(const xml::CXMLNode& node, TextureEntry& entry) {
    entry.wrapS = GL_REPEAT;
    entry.wrapT = GL_REPEAT;
    std::string value;
    if (attribute(node, "s", value) && value == "clamp") {
        entry.wrapS = GL_CLAMP;
    }
    if (attribute(node, "t", value) && value == "clamp") {
        entry.wrapT = GL_CLAMP;
    }
}

bool TextureResourceFile::hasEntry(const std::string& fileName) const {
    return firstEntry.count(fileName) != 0;
}

TextureEntry TextureResourceFile::getEntry(const std::string& fileName) const {
    const auto found = firstEntry.find(fileName);
    if (found != firstEntry.end()) {
        return entries[found->second];
    }
    TextureEntry fallback;
    fallback.fileName = fileName;
    return fallback;
}

const std::vector<TextureEntry>& TextureResourceFile::getEntries() const {
    return entries;
}

bool TextureResourceFile::isValid() const {
    return valid;
}

} // namespace zel
