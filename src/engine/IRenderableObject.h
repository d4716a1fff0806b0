#pragma once
// The contract of every scene object. The engine drives its root through it; the
// world forwards render and update to its children. init runs once before use
// (whoever attaches an object calls it), render draws with the current GL
// matrices, update advances by the elapsed milliseconds of one engine tick.

#include <cstdint>

namespace zel {

class IRenderableObject {
public:
    virtual ~IRenderableObject() = default;
    // Returns a success flag that no caller examines.
    virtual bool init() = 0;
    virtual void render() = 0;
    virtual void update(std::uint32_t elapsedMs) = 0;
};

} // namespace zel
