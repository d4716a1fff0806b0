// The data-file reader every loader goes through: pipes, devices, folders, unreadable and oversized
// files end at once with a status (and each loader's diagnostic), and names that leave a folder.

#include "resources/DataFile.h"
#include "resources/GPUProgram.h"
#include "resources/Image.h"
#include "resources/TextureResourceFile.h"
#include "support/GLContext.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>

using namespace zel;

TEST(DataFile, PipesDevicesAndOversizedFilesAreNeverRead) {
    const std::string dir = zeltest::scratchDir("data_file");
    ASSERT_EQ(mkfifo((dir + "/pipe").c_str(), 0600), 0);
    for (const char* name : {"/pipe.jpg", "/pipe.txt", "/pipe.xml"})
        ASSERT_EQ(symlink("pipe", (dir + name).c_str()), 0);
    ASSERT_EQ(symlink("/dev/zero", (dir + "/zero.txt").c_str()), 0);
    const std::string ten = zeltest::writeFile(dir, "ten.txt", "0123456789");
    const auto start = std::chrono::steady_clock::now();
    const struct {
        std::string path;
        std::size_t limit;
        DataFileStatus status;
    } cases[] = {
        {dir + "/pipe", 100, DataFileStatus::NOT_REGULAR},
        {dir + "/zero.txt", 100, DataFileStatus::NOT_REGULAR},
        {dir, 100, DataFileStatus::NOT_REGULAR},
        {dir + "/none", 100, DataFileStatus::MISSING},
        {ten, 9, DataFileStatus::TOO_LARGE},
    };
    for (const auto& c : cases) {
        std::string bytes = "old";
        EXPECT_EQ(readDataFile(c.path, c.limit, bytes), c.status) << c.path;
        EXPECT_EQ(bytes, "");
    }
    std::string bytes;
    EXPECT_EQ(readDataFile(ten, 10, bytes), DataFileStatus::OK);
    EXPECT_EQ(bytes, "0123456789");
    // Every loader on the pipe and the endless device: refused, not blocked.
    std::string out;
    const std::string err = zeltest::captureStderr([&] {
        out = zeltest::captureStdout([&] {
            EXPECT_FALSE(Image(dir + "/pipe.jpg", false, 0, 0, 0).loaded);
            EXPECT_TRUE(TextureResourceFile(dir + "/pipe.xml").getEntries().empty());
        });
        EXPECT_EQ(GPUProgram::readSourceFile(dir + "/zero.txt"), "");
        EXPECT_EQ(GPUProgram::readSourceFile(dir + "/pipe.txt"), "");
    });
    EXPECT_EQ(out, "[Image]: Error: Could not load image.\n[Image]: Error: Could not load image <" + dir +
                       "/pipe.jpg>.\nINFO: [TextureResourceFile] TextureResourceFile loaded.\n");
    const std::string notRegular = " is not a regular file (at most ";
    EXPECT_EQ(err, "ERROR: [Image] " + dir + "/pipe.jpg" + notRegular +
                       "67108864 bytes of a regular file).\nERROR: [TextureResourceFile] " + dir +
                       "/pipe.xml is not a regular file; it is not read.\nERROR: [GPUProgram] " + dir +
                       "/zero.txt" + notRegular +
                       "1048576 bytes of a regular file); the source is empty.\nERROR: [GPUProgram] " + dir +
                       "/pipe.txt" + notRegular + "1048576 bytes of a regular file); the source is empty.\n");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(DataFile, ContainedNames) {
    for (const char* name : {"a.jpg", "sub/a.jpg", "..a.jpg", "a..jpg", ""})
        EXPECT_TRUE(isContainedName(name)) << name;
    for (const char* name : {"../a.jpg", "a/../../b.jpg", "/etc/a.jpg", "..", "a\\..\\b.jpg", "a/.."})
        EXPECT_FALSE(isContainedName(name)) << name;
}
