#pragma once
// Observer of the passes of a world frame, for profiling tools such as the
// benchmark (which brackets each pass with GPU timer queries). The world calls
// beginPass/endPass around each pass of its render when an observer is set;
// with none set (the default) a pass costs one pointer test.

namespace zel {

class WorldPassObserver {
public:
    // The passes of one frame, in the order the world draws them.
    enum Pass {
        BloomSource,    // the bloom list drawn into the 128 x 128 corner
        BloomCapture,   // the bloom's copy, bright pass and blurs
        Sky,            // clear, full viewport, the sky
        MainList,       // the main list (terrain, water)
        BloomList,      // the bloom list again, in the main pass
        BloomComposite, // the glow added over the frame
        Overlay,        // the statistics overlay
        PassCount
    };

    virtual ~WorldPassObserver() = default;
    virtual void beginPass(Pass pass) = 0;
    virtual void endPass(Pass pass) = 0;

    // A short lower-case name of the pass ("bloom_source", ...), for reports.
    static const char* name(Pass pass) {
        static const char* const names[PassCount] = {"bloom_source", "bloom_capture", "sky", "main_list",
                                                     "bloom_list", "bloom_composite", "overlay"};
        return pass >= 0 && pass < PassCount ? names[pass] : "";
    }
};

} // namespace zel
