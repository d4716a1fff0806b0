#pragma once
// The command line of world-of-ulmera-sgfcheck over the engine's SGF checker:
//   world-of-ulmera-sgfcheck [--textures DIR] [--verbose] FILE.sgf...

namespace zeltools {

class SgfCheckCommand {
public:
    // Exit status of run(): clean, problems found, bad command line.
    static constexpr int EXIT_CLEAN = 0;
    static constexpr int EXIT_PROBLEMS = 1;
    static constexpr int EXIT_USAGE = 2;

    // Prints each file's report to stdout; returns EXIT_CLEAN when every file is
    // clean, EXIT_PROBLEMS when any has a problem, EXIT_USAGE (with a usage line)
    // for a bad command line or no files.
    static int run(int argc, const char* const* argv);
};

} // namespace zeltools
