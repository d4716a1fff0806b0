#pragma once
// The texture catalogue: an XML file of <texture> entries under <textures> that
// give filters, wrap modes, mipmapping and colour-key transparency per texture
// file. TextureDatabase reads it once and looks entries up by file name. Reading
// stops at the first malformed entry; the entries before it stay usable.

#include "resources/TextureEntry.h"
#include "xml/CXMLDocument.h"
#include "xml/CXMLNode.h"

#include <memory>
#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

namespace zel {

class TextureResourceFile {
public:
    // Reads the catalogue at path and prints whether that worked. A missing or
    // unparsable file counts as an empty catalogue.
    // A file larger than MAX_FILE_BYTES, one that is not a regular file, or one
    // the XML layer refuses (declarations, too many attributes) is reported on
    // standard error and counts as a failed read with no entries.
    explicit TextureResourceFile(const std::string& path);
    static constexpr long long MAX_FILE_BYTES = 4LL << 20;
    virtual ~TextureResourceFile();

    TextureResourceFile(const TextureResourceFile&) = delete;
    TextureResourceFile& operator=(const TextureResourceFile&) = delete;

    // Whether an entry's fileName equals fileName exactly.
    bool hasEntry(const std::string& fileName) const;
    // A copy of the first entry for fileName; call only after hasEntry said yes
    // (otherwise a default entry carrying fileName is returned).
    TextureEntry getEntry(const std::string& fileName) const;

    // All entries in file order, duplicates included.
    const std::vector<TextureEntry>& getEntries() const;
    // False when reading stopped at a malformed entry.
    bool isValid() const;

private:
    bool read();
    static bool readEntry(const xml::CXMLNode& textureNode, TextureEntry& entry);
    static void readAlpha(const xml::CXMLNode& node, TextureEntry& entry);
    static void readFilter(const xml::CXMLNode& node, TextureEntry& entry);
    static void readWrap(const xml::CXMLNode& node, TextureEntry& entry);

    std::vector<TextureEntry> entries;
    std::unordered_map<std::string, std::size_t> firstEntry; // file name -> index of its first entry
    std::unique_ptr<xml::CXMLDocument> document; // released as soon as reading ends
    bool valid;
};

} // namespace zel
