#pragma once
// Adds entries for new texture files to a texture catalogue (textures.xml)
// without touching what is already there: the new entries are inserted as text
// before the closing </textures> tag, so the other entries, comments and
// layout keep their bytes. A missing catalogue is created. The importer tool
// uses it after writing a model's textures.

#include <string>
#include <vector>

namespace zelimport {

class CatalogueUpdater {
public:
    // Catalogues larger than this are not read.
    static constexpr long long MAX_CATALOGUE_BYTES = 8LL << 20;

    // The catalogue text with an entry (default filtering, repeat wrapping, no
    // colour key) for every name in fileNames that has none yet, in order.
    // Returns false with a reason when existing is not a well-formed catalogue.
    // An empty existing text starts a new catalogue. added counts the new entries.
    static bool addEntries(const std::string& existing, const std::vector<std::string>& fileNames,
                           std::string& updated, std::size_t& added, std::string& reason);

    // Reads the file at path (when it exists), adds the entries and replaces
    // the file through a temporary file beside it. False with a reason.
    static bool update(const std::string& path, const std::vector<std::string>& fileNames, std::size_t& added,
                       std::string& reason);
};

} // namespace zelimport
