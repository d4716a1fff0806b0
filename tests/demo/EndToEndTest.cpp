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

// A started child process whose standard output and error go to one pipe.
struct Child {
    pid_t pid = -1;
    int output = -1;
    std::string text;
    int status = -1;
    bool exited = false;
};

Child start(const std::vector<std::string>& argv, const std::string& dir, bool withDisplay) {
    int fds[2];
    Child child;
    if (pipe(fds) != 0)
        return child;
    child.pid = fork();
    if (child.pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        dup2(fds[1], STDERR_FILENO);
        close(fds[0]);
        close(fds[1]);
        const int devNull = open("/dev/null", O_RDONLY);
        if (devNull >= 0)
            dup2(devNull, STDIN_FILENO);
        if (!withDisplay)
            unsetenv("DISPLAY");
        if (chdir(dir.c_str()) != 0)
            _exit(126);
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(fds[1]);
    child.output = fds[0];
    fcntl(child.output, F_SETFL, O_NONBLOCK);
    return child;
}

void drain(Child& child) {
    char buffer[4096];
    ssize_t n;
    while ((n = read(child.output, buffer, sizeof buffer)) > 0)
        child.text.append(buffer, static_cast<std::size_t>(n));
}

// Waits up to timeoutMs for the child to end; kills it when it does not,
// unless killOnTimeout is false (the caller then waits again later).
bool waitFor(Child& child, int timeoutMs, bool killOnTimeout = true) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Clock::now() < deadline) {
        drain(child);
        int status = 0;
        if (waitpid(child.pid, &status, WNOHANG) == child.pid) {
            child.exited = true;
            child.status = status;
            // The pipe may still hold the last output.
            for (int i = 0; i < 50; ++i) {
                drain(child);
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
            close(child.output);
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!killOnTimeout)
        return false;
    kill(child.pid, SIGKILL);
    waitpid(child.pid, nullptr, 0);
    close(child.output);
    return false;
}

// Runs a command to completion (bounded); returns its exit status and output.
int runTool(const std::vector<std::string>& argv, std::string* output = nullptr, int timeoutMs = 5000) {
    Child child = start(argv, ".", true);
    if (!waitFor(child, timeoutMs) || !WIFEXITED(child.status))
        return -1;
    if (output)
        *output = child.text;
    return WEXITSTATUS(child.status);
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

bool haveDisplay() {
    const char* display = std::getenv("DISPLAY");
    return display && *display;
}

std::string findWindow(const std::string& name, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Clock::now() < deadline) {
        std::string out;
        if (runTool({"xdotool", "search", "--name", name}, &out) == 0 && !out.empty()) {
            return out.substr(0, out.find('\n'));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return "";
}

} // namespace

TEST(EndToEndTest, WithoutADisplayPrintsExactlyTheFailureAndExitsZero) {
    // Run from an empty folder: the failure must come before any data is read.
    const std::string dir = zeltest::scratchDir("no-display");
    Child child = start({PROGRAM, "--ignored", "arguments"}, dir, false);
    ASSERT_GT(child.pid, 0);
    ASSERT_TRUE(waitFor(child, 10000)) << "the program did not end";
    ASSERT_TRUE(WIFEXITED(child.status));
    EXPECT_EQ(WEXITSTATUS(child.status), 0);
    EXPECT_EQ(child.text, "Could not create the window.");
}

TEST(EndToEndTest, WindowTakesKeysAndEscapeEndsTheProgram) {
    if (!haveDisplay())
        GTEST_SKIP() << "no X display";
    if (runTool({"sh", "-c", "command -v xdotool && command -v xwininfo && command -v xprop"}) != 0) {
        GTEST_SKIP() << "xdotool, xwininfo or xprop missing";
    }
    keepServerUp();
    Child child = start({PROGRAM}, ZEL_RUN_BIN, true);
    ASSERT_GT(child.pid, 0);
    const std::string window = findWindow("World Of Ulmera", 30000);
    if (window.empty()) {
        waitFor(child, 0);
        FAIL() << "no window appeared; output:\n" << child.text;
    }

    std::string info;
    EXPECT_EQ(runTool({"xwininfo", "-id", window}, &info), 0);
    EXPECT_NE(info.find("Width: 800"), std::string::npos) << info;
    EXPECT_NE(info.find("Height: 600"), std::string::npos) << info;
    std::string name;
    EXPECT_EQ(runTool({"xprop", "-id", window, "WM_NAME"}, &name), 0);
    EXPECT_NE(name.find("\"World Of Ulmera\""), std::string::npos) << name;

    // Hold a few movement keys, then quit with Escape.
    for (const char* key : {"w", "a", "Left"}) {
        runTool({"xdotool", "keydown", key});
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        runTool({"xdotool", "keyup", key});
    }
    runTool({"xdotool", "mousemove", "--window", window, "100", "100"});
    // The program may still be building its scene, and a key pressed before its
    // window holds the keyboard can go astray under a bare X server, so Escape is
    // repeated every two seconds, within a bounded wait.
    bool ended = false;
    for (int attempt = 0; attempt < 10 && !ended; ++attempt) {
        EXPECT_EQ(runTool({"xdotool", "key", "Escape"}), 0);
        ended = waitFor(child, 2000, false);
    }
    if (!ended)
        waitFor(child, 0);
    ASSERT_TRUE(ended) << "the program did not end within 20 s of Escape; output:\n" << child.text;
    ASSERT_TRUE(WIFEXITED(child.status)) << "killed by signal " << WTERMSIG(child.status) << "\n"
                                         << child.text;
    EXPECT_EQ(WEXITSTATUS(child.status), 0) << child.text;
}
