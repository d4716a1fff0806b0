#pragma once
// A private Xvfb server (800 x 600 x 24 with GLX; Mesa renders with llvmpipe)
// for the benchmark when no display is set. start() launches it, lets it pick
// a free display number (-displayfd), waits until it accepts connections and
// sets DISPLAY; the destructor stops it.

#include <sys/types.h>

namespace zelbench {

class XvfbServer {
public:
    XvfbServer() = default;
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // False when Xvfb cannot be run or does not come up within 20 seconds.
    bool start();
    void stop();

private:
    pid_t pid_ = -1;
};

} // namespace zelbench
