#include "assetgen/Models.h"

namespace assetgen {

const std::vector<std::string>& modelNames() {
    static const std::vector<std::string> names = {"wall", "house", "well", "fountain", "tower",
                                                   "fireplace"};
    return names;
}

std::string buildModel(const std::string&) { return std::string(); }

bool writeModels(const std::string&) { return true; }

} // namespace assetgen
