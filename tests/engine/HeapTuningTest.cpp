#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "engine/HeapTuning.h"

namespace {

using ::testing::HasSubstr;

// The "VmFlags:" line of the mapping in /proc/self/smaps that holds address p.
std::string mappingFlags(const void* p) {
    const auto address = reinterpret_cast<std::uintptr_t>(p);
    std::ifstream smaps("/proc/self/smaps");
    bool inside = false;
    for (std::string line; std::getline(smaps, line);) {
        unsigned long long from = 0, to = 0;
        if (std::sscanf(line.c_str(), "%llx-%llx ", &from, &to) == 2)
            inside = from <= address && address < to;
        else if (inside && line.rfind("VmFlags:", 0) == 0)
            return line + " ";
    }
    return "";
}

TEST(HeapTuningTest, LoadingHeapComesInHugePagesUntilLoadingEnds) {
    const bool marked = zel::tuneHeapForLoading();
    EXPECT_FALSE(zel::tuneHeapForLoading()) << "only the first call acts";
    if (!marked)
        GTEST_SKIP()
            << "malloc is not glibc's heap here (sanitizer, valgrind) or the kernel has no huge pages";

    // A block taken after the heap has grown lies in the marked reserve.
    std::vector<char> block(4 << 20, 1);
    const char* middle = block.data() + (2 << 20);
    EXPECT_THAT(mappingFlags(middle), HasSubstr(" hg ")) << "marked for huge pages";

    EXPECT_TRUE(zel::endHeapLoading());
    EXPECT_FALSE(zel::endHeapLoading()) << "only the first call acts";
    EXPECT_THAT(mappingFlags(middle), HasSubstr(" nh ")) << "ordinary pages from now on";
}

} // namespace
