#pragma once
// The village's SGF models: the ring wall, the timber-framed house, the well, the
// fountain, the tower and the fireplace, built from simple solids with the
// SgfWriter and written into the run layout. The asset generator's main calls
// writeModels; the tools tests build the documents directly to check them.
// Every model stands on y = 0 with the middle of its footprint at x = z = 0,
// which is the point the demo scene places on the ground.

#include <string>
#include <vector>

namespace assetgen {

// Names of the generated models, in writing order ("wall", "house", ...).
const std::vector<std::string>& modelNames();

// The SGF document text of the named model; empty when the name is unknown.
// Deterministic: the same bytes on every call.
std::string buildModel(const std::string& name);

// Writes runDir/data/models/<name>.sgf for every model, creating the folders.
// Silent on success; on a failure prints an ERROR line naming the file and
// returns false.
bool writeModels(const std::string& runDir);

} // namespace assetgen
