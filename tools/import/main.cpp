// world-of-ulmera-import: converts a model in any format Assimp reads into an
// SGF model with its textures. See import/ImportTool.h for the command line.

#include <libxml/parser.h>
#include <sys/resource.h>

#include "import/ImportTool.h"

int main(int argc, char** argv) {
#if defined(__SANITIZE_ADDRESS__)
#define ZEL_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZEL_ADDRESS_SANITIZER 1
#endif
#endif
#ifndef ZEL_ADDRESS_SANITIZER
    // A hostile file can state counts that make a loader reserve without
    // bound; with a ceiling the allocation fails and the loader reports it.
    // (AddressSanitizer reserves its shadow memory beyond any such ceiling.)
    const rlimit limit{rlim_t(8) << 30, rlim_t(8) << 30};
    setrlimit(RLIMIT_AS, &limit);
#endif
    xmlInitParser();
    const int status = zelimport::ImportTool::run(argc, argv);
    xmlCleanupParser();
    return status;
}
