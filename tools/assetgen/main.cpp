// Asset generator: writes the demo's textures, texture catalogue and models into
// the run folder given as the only argument. Prints only errors; exits non-zero
// when anything cannot be written.
#include "assetgen/Catalogue.h"
#include "assetgen/Models.h"
#include "assetgen/TextureSet.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s RUN_DIR\n", argc > 0 ? argv[0] : "world-of-ulmera-assetgen");
        return 2;
    }
    const std::string runDir = argv[1];
    bool ok = assetgen::TextureSet::writeAll(runDir);
    ok = assetgen::Catalogue::write(runDir) && ok;
    ok = assetgen::writeModels(runDir) && ok;
    return ok ? 0 : 1;
}
