// End-to-end runs of the real program under the test X server and without any display,
// each bounded by timeout(1), which kills a program that does not end.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "support/GLContext.h"

namespace {

using Clock = std::chrono::steady_clock;

const std::string PROGRAM = std::string(ZEL_RUN_BIN) + "/world-of-ulmera";

// Runs a shell command (bounded to 5 s); returns its exit status and its standard output.
int runTool(const std::string& command, std::string* output = nullptr) {
    std::string out, err;
    const int status = zeltest::runCommand("timeout 5 " + command, out, err, zeltest::scratchDir("e2e-tool"));
    if (output)
        *output = out;
    return status;
}

// Polls every 100 ms, up to timeoutMs, until done() holds; returns whether it did.
template <typename Done> bool waitUntil(Done done, int timeoutMs) {
    for (const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs); !done();) {
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return true;
}

} // namespace

TEST(EndToEndTest, WithoutADisplayPrintsExactlyTheFailureAndExitsZero) {
    // Run from an empty folder: the failure must come before any data is read.
    const std::string dir = zeltest::scratchDir("no-display");
    const int status = std::system(("cd " + dir + " && env -u DISPLAY timeout -s KILL 10 " + PROGRAM +
                                    " --ignored arguments >output.log 2>&1 </dev/null")
                                       .c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "137: it did not end";
    EXPECT_EQ(zeltest::readFile(dir + "/output.log"), "Could not create the window.");
}

TEST(EndToEndTest, WindowTakesKeysAndEscapeEndsTheProgram) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
        GTEST_SKIP() << "no X display";
    if (runTool("sh -c 'command -v xdotool && command -v xwininfo'") != 0)
        GTEST_SKIP() << "xdotool or xwininfo missing";
    // In the background, killed after 60 s; its exit status goes to status.
    const std::string dir = zeltest::scratchDir("e2e-window");
    std::system(("cd " ZEL_RUN_BIN " && (timeout -s KILL 60 " + PROGRAM + " >" + dir +
                 "/output.log 2>&1 </dev/null; echo $? >" + dir + "/status.tmp; mv " + dir + "/status.tmp " +
                 dir + "/status) &")
                    .c_str());
    auto ended = [&] { return !zeltest::readFile(dir + "/status").empty(); };
    std::string window;
    waitUntil([&] { return runTool("xdotool search --name 'World Of Ulmera'", &window) == 0; }, 30000);
    ASSERT_FALSE(window.empty()) << "no window appeared; output:\n" << zeltest::readFile(dir + "/output.log");
    window = window.substr(0, window.find('\n'));

    // xwininfo names the window by its exact title in quotes.
    std::string info;
    EXPECT_EQ(runTool("xwininfo -id " + window, &info), 0);
    for (const char* expected : {"\"World Of Ulmera\"", "Width: 800", "Height: 600"})
        EXPECT_NE(info.find(expected), std::string::npos) << expected << " in\n" << info;

    // Hold a few movement keys, then quit with Escape.
    for (const char* key : {"w", "a", "Left"})
        runTool(std::string("xdotool keydown ") + key + " sleep 0.2 keyup " + key);
    runTool("xdotool mousemove --window " + window + " 100 100");
    // A key pressed before the window holds the keyboard can go astray under a
    // bare X server, so Escape is repeated every two seconds.
    for (int attempt = 0; attempt < 10 && !ended(); ++attempt) {
        EXPECT_EQ(runTool("xdotool key Escape"), 0);
        waitUntil(ended, 2000);
    }
    ASSERT_TRUE(ended()) << "the program did not end within 20 s of Escape; output:\n"
                         << zeltest::readFile(dir + "/output.log");
    EXPECT_EQ(zeltest::readFile(dir + "/status"), "0\n") << zeltest::readFile(dir + "/output.log");
}
