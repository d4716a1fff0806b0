// End-to-end runs of the real program under the test X server (and without
// any display). Every wait is bounded; a program that does not end is killed.

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "support/GLContext.h"

namespace {

using Clock = std::chrono::steady_clock;

const std::string PROGRAM = std::string(ZEL_RUN_BIN) + "/world-of-ulmera";

// A started child process; its standard output and error go to one file.
struct Child {
    pid_t pid = -1;
    std::string log;
    int status = -1;
    std::string output() const { return zeltest::readFile(log); }
};

Child start(const std::string& dir, bool withDisplay, const std::vector<std::string>& argv = {PROGRAM}) {
    Child child;
    child.log = zeltest::scratchDir("e2e-" + std::to_string(withDisplay)) + "/output.log";
    child.pid = fork();
    if (child.pid == 0) {
        const int log = open(child.log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int devNull = open("/dev/null", O_RDONLY);
        if (log < 0 || devNull < 0 || chdir(dir.c_str()) != 0)
            _exit(126);
        dup2(log, STDOUT_FILENO);
        dup2(log, STDERR_FILENO);
        dup2(devNull, STDIN_FILENO);
        if (!withDisplay)
            unsetenv("DISPLAY");
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    return child;
}

// Waits up to timeoutMs for the child to end; kills it when it does not,
// unless killOnTimeout is false (the caller then waits again later).
bool waitFor(Child& child, int timeoutMs, bool killOnTimeout = true) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
        if (waitpid(child.pid, &child.status, WNOHANG) == child.pid)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (Clock::now() < deadline);
    if (killOnTimeout) {
        kill(child.pid, SIGKILL);
        waitpid(child.pid, nullptr, 0);
    }
    return false;
}

// Runs a shell command (bounded to 5 s); returns its exit status and its standard output.
int runTool(const std::string& command, std::string* output = nullptr) {
    const std::string file = zeltest::scratchDir("e2e-tool") + "/out";
    const int status = std::system(("timeout 5 " + command + " >" + file + " 2>/dev/null").c_str());
    if (output)
        *output = zeltest::readFile(file);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// An X server may reset itself whenever its last client disconnects and refuse
// connections meanwhile; the short-lived xdotool runs would trigger that just
// as the program connects. This connection keeps the server up for the test.
void keepServerUp() {
    static void* connection = [] {
        using OpenDisplay = void* (*)(const char*);
        void* xlib = dlopen("libX11.so.6", RTLD_NOW | RTLD_GLOBAL);
        auto open = xlib ? reinterpret_cast<OpenDisplay>(dlsym(xlib, "XOpenDisplay")) : nullptr;
        return open ? open(nullptr) : nullptr;
    }();
    (void)connection;
}

std::string findWindow(const std::string& name, int timeoutMs) {
    for (const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
         Clock::now() < deadline;) {
        std::string out;
        if (runTool("xdotool search --name '" + name + "'", &out) == 0 && !out.empty())
            return out.substr(0, out.find('\n'));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return "";
}

} // namespace

TEST(EndToEndTest, WithoutADisplayPrintsExactlyTheFailureAndExitsZero) {
    // Run from an empty folder: the failure must come before any data is read.
    Child child = start(zeltest::scratchDir("no-display"), false, {PROGRAM, "--ignored", "arguments"});
    ASSERT_GT(child.pid, 0);
    ASSERT_TRUE(waitFor(child, 10000)) << "the program did not end";
    ASSERT_TRUE(WIFEXITED(child.status));
    EXPECT_EQ(WEXITSTATUS(child.status), 0);
    EXPECT_EQ(child.output(), "Could not create the window.");
}

TEST(EndToEndTest, WindowTakesKeysAndEscapeEndsTheProgram) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
        GTEST_SKIP() << "no X display";
    if (runTool("sh -c 'command -v xdotool && command -v xwininfo && command -v xprop'") != 0)
        GTEST_SKIP() << "xdotool, xwininfo or xprop missing";
    keepServerUp();
    Child child = start(ZEL_RUN_BIN, true);
    ASSERT_GT(child.pid, 0);
    const std::string window = findWindow("World Of Ulmera", 30000);
    if (window.empty()) {
        waitFor(child, 0);
        FAIL() << "no window appeared; output:\n" << child.output();
    }

    std::string info;
    EXPECT_EQ(runTool("xwininfo -id " + window, &info), 0);
    EXPECT_NE(info.find("Width: 800"), std::string::npos) << info;
    EXPECT_NE(info.find("Height: 600"), std::string::npos) << info;
    EXPECT_EQ(runTool("xprop -id " + window + " WM_NAME", &info), 0);
    EXPECT_NE(info.find("\"World Of Ulmera\""), std::string::npos) << info;

    // Hold a few movement keys, then quit with Escape.
    for (const char* key : {"w", "a", "Left"}) {
        runTool(std::string("xdotool keydown ") + key + " sleep 0.2 keyup " + key);
    }
    runTool("xdotool mousemove --window " + window + " 100 100");
    // The program may still be building its scene, and a key pressed before its
    // window holds the keyboard can go astray under a bare X server, so Escape is
    // repeated every two seconds, within a bounded wait.
    bool ended = false;
    for (int attempt = 0; attempt < 10 && !ended; ++attempt) {
        EXPECT_EQ(runTool("xdotool key Escape"), 0);
        ended = waitFor(child, 2000, false);
    }
    if (!ended)
        waitFor(child, 0);
    ASSERT_TRUE(ended) << "the program did not end within 20 s of Escape; output:\n" << child.output();
    ASSERT_TRUE(WIFEXITED(child.status)) << "killed by signal " << WTERMSIG(child.status) << "\n"
                                         << child.output();
    EXPECT_EQ(WEXITSTATUS(child.status), 0) << child.output();
}
