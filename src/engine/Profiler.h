#pragma once
// Start-up profile: wall-clock time spent in the big parts of building a scene
// (catalogue, textures, models, terrain, culling trees, shaders). The loaders
// open a Profiler::Scope around their work; scopes nest, and each part counts
// only its own time (a texture loaded while a model is built counts as texture
// time, not model time). The benchmark enables it before building the demo
// scene and reads the totals afterwards. Disabled (the default) a scope costs
// one test of a global flag.

#include <chrono>

namespace zel {

class Profiler {
public:
    enum Section {
        Catalogue, // XML library and the texture catalogue
        Textures,  // image decoding and texture upload
        Models,    // SGF parsing and model building
        Terrain,   // heightmap and terrain meshes
        Trees,     // octree and quadtree building
        Shaders,   // GLSL compiling and linking
        SectionCount
    };

    // Opens a section for its lifetime when the profiler is enabled.
    class Scope {
    public:
        explicit Scope(Section section) : active_(enabled_) {
            if (active_) begin(section);
        }
        ~Scope() {
            if (active_) end();
        }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        bool active_;
    };

    static void setEnabled(bool enabled) { enabled_ = enabled; }
    static bool isEnabled() { return enabled_; }
    // Clears the totals (open sections are left alone).
    static void reset();
    // Own time of a section so far, in milliseconds.
    static double getMs(Section section);
    // A short lower-case name for reports ("catalogue", "textures", ...).
    static const char* name(Section section);

    // The innermost open section is suspended while section runs.
    static void begin(Section section);
    static void end();

private:
    static bool enabled_;
};

} // namespace zel
