#pragma once
// The world-of-ulmera-import command: reads a model in any format Assimp
// reads and writes it as an SGF model with its textures (and, when asked,
// their catalogue entries), then prints what it wrote and what it left out.
//
//     world-of-ulmera-import IN OUT.sgf [--scale S] [--texture-dir DIR] [--catalogue FILE]
//     world-of-ulmera-import --formats
//
// Textures go to DIR (default: OUT's folder) under names that start with OUT's
// name. OUT is written through a temporary file and renamed, so it is either
// complete or untouched. Exit status 0 on success, 1 when the model cannot be
// read or converted, 2 for a bad command line.

namespace zelimport {

class ImportTool {
public:
    static constexpr int EXIT_OK = 0;
    static constexpr int EXIT_FAILED = 1;
    static constexpr int EXIT_USAGE = 2;
    // Model files larger than this are not read.
    static constexpr long long MAX_INPUT_BYTES = 512LL << 20;

    // Summary on stdout, errors on stderr; returns the exit status.
    static int run(int argc, const char* const* argv);
};

} // namespace zelimport
