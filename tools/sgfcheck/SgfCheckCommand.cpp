#include "sgfcheck/SgfCheckCommand.h"

#include <cstdio>
#include <string>
#include <vector>

#include "geometry/SGFChecker.h"
#include "geometry/SGFFile.h"

namespace zeltools {

int SgfCheckCommand::run(int argc, const char* const* argv) {
    const char* program = argc > 0 && argv[0] ? argv[0] : "sgfcheck";
    std::string textureDirectory = "../data/textures/";
    bool verbose = false;
    std::vector<std::string> files;
    bool usageError = false;

    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i] ? argv[i] : "";
        if (arg == "--textures") {
            if (i + 1 >= argc || !argv[i + 1]) {
                printf("%s: --textures needs a directory.\n", program);
                usageError = true;
                break;
            }
            textureDirectory = argv[++i];
        } else if (arg == "--verbose" || arg == "-v") {
            verbose = true;
        } else if (arg == "--help" || arg == "-h") {
            printf("Usage: %s [--textures DIR] [--verbose] FILE.sgf...\n"
                   "Checks SGF model files and prints their meshes, textures, bounding box and\n"
                   "problems. Textures are looked for in DIR (default ../data/textures/).\n"
                   "--verbose also lists every vertex and face; face numbers count stored\n"
                   "triangles (a quad is two). Exit status: 0 clean, 1 problems, 2 usage.\n",
                   program);
            return EXIT_CLEAN;
        } else if (arg.size() > 1 && arg[0] == '-') {
            printf("%s: unknown option %s\n", program, arg.c_str());
            usageError = true;
            break;
        } else {
            files.push_back(arg);
        }
    }
    if (usageError || files.empty()) {
        printf("Usage: %s [--textures DIR] [--verbose] FILE.sgf...\n", program);
        return EXIT_USAGE;
    }

    const zel::SGFChecker inspector(textureDirectory);
    int status = EXIT_CLEAN;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const zel::SGFReport report = inspector.inspect(files[i]);
        if (i > 0) {
            printf("\n");
        }
        if (verbose && report.loaded) {
            const zel::SGFFile file(files[i]);
            printf("%s", zel::SGFChecker::describeRecords(file).c_str());
        }
        printf("%s", zel::SGFChecker::format(report).c_str());
        if (!report.isClean()) {
            status = EXIT_PROBLEMS;
        }
    }
    fflush(stdout);
    return status;
}

} // namespace zeltools
