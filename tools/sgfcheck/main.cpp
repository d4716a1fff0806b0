// world-of-ulmera-sgfcheck: checks SGF model files and describes them.
// Usage: world-of-ulmera-sgfcheck [--textures DIR] [--verbose] FILE.sgf...
// Exit status 0 when every file is clean, 1 when any has a problem, 2 for a bad
// command line.

#include <libxml/parser.h>

#include "sgfcheck/SgfCheckCommand.h"

int main(int argc, char** argv) {
    xmlInitParser();
    const int status = zeltools::SgfCheckCommand::run(argc, argv);
    xmlCleanupParser();
    return status;
}
