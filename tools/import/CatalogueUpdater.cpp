#include "import/CatalogueUpdater.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

namespace zelimport {

namespace fs = std::filesystem;

namespace {

const char* const CLOSING_TAG = "</textures>";

// The file names of the catalogue's entries as the engine reads them: the text
// of each texture element's first element child when that is a filename.
bool readNames(const std::string& text, std::set<std::string>& names, std::string& reason) {
    xmlDocPtr doc = xmlReadMemory(text.data(), static_cast<int>(text.size()), "textures.xml", nullptr,
                                  XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (doc == nullptr) {
        reason = "is not well-formed XML";
        return false;
    }
    const xmlNode* root = xmlDocGetRootElement(doc);
    if (root == nullptr || xmlStrcmp(root->name, BAD_CAST "textures") != 0) {
        xmlFreeDoc(doc);
        reason = "has no <textures> root element";
        return false;
    }
    for (const xmlNode* entry = root->children; entry != nullptr; entry = entry->next) {
        if (entry->type != XML_ELEMENT_NODE || xmlStrcmp(entry->name, BAD_CAST "texture") != 0) continue;
        const xmlNode* first = entry->children;
        while (first != nullptr && first->type != XML_ELEMENT_NODE) first = first->next;
        if (first == nullptr || xmlStrcmp(first->name, BAD_CAST "filename") != 0) continue;
        xmlChar* content = xmlNodeGetContent(first);
        if (content != nullptr) names.insert(reinterpret_cast<const char*>(content));
        xmlFree(content);
    }
    xmlFreeDoc(doc);
    return true;
}

} // namespace

bool CatalogueUpdater::addEntries(const std::string& existing, const std::vector<std::string>& fileNames,
                                  std::string& updated, std::size_t& added, std::string& reason) {
    added = 0;
    std::string text = existing;
    if (text.empty()) text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<textures>\n</textures>\n";
    std::set<std::string> names;
    if (!readNames(text, names, reason)) return false;
    const std::size_t closing = text.rfind(CLOSING_TAG);
    if (closing == std::string::npos) {
        reason = "has no closing </textures> tag";
        return false;
    }
    std::string entries;
    for (const std::string& name : fileNames) {
        if (!names.insert(name).second) continue;
        // A bare filter element selects trilinear mipmapped filtering.
        entries += "  <texture>\n    <filename>" + name +
                   "</filename>\n    <alpha enabled=\"false\"/>\n    <filter/>\n    <wrap s=\"repeat\" t=\"repeat\"/>\n"
                   "  </texture>\n";
        ++added;
    }
    updated = text.substr(0, closing) + entries + text.substr(closing);
    return true;
}

bool CatalogueUpdater::update(const std::string& path, const std::vector<std::string>& fileNames, std::size_t& added,
                              std::string& reason) {
    std::string existing;
    std::error_code error;
    if (fs::exists(path, error)) {
        if (fs::file_size(path, error) > static_cast<std::uintmax_t>(MAX_CATALOGUE_BYTES) || error) {
            reason = "is too large or cannot be read";
            return false;
        }
        std::ifstream in(path, std::ios::binary);
        existing.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (!in.good() && !in.eof()) {
            reason = "cannot be read";
            return false;
        }
        if (existing.empty()) {
            reason = "is empty";
            return false;
        }
    }
    std::string updated;
    if (!addEntries(existing, fileNames, updated, added, reason)) return false;
    if (added == 0 && !existing.empty()) return true;
    const std::string temporary = path + ".importing";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(updated.data(), static_cast<std::streamsize>(updated.size()));
        if (!out.good()) {
            reason = "cannot be written";
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        reason = "cannot be replaced";
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace zelimport
