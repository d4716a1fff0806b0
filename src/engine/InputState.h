#pragma once
// The keyboard and mouse state of the process (one instance, created on first
// use). Key events set and clear the held flags of the eight camera bindings;
// once per engine tick applyHeldKeys turns the held flags into camera commands,
// and mouseMoved turns the pointer's offset from the window centre into turn
// and look commands. Escape stops the application's event loop. Commands go to
// the world that is the engine's root; nothing is issued while there is none.

#include <array>

namespace zel {

class InputState {
public:
    // The bindings, in the order applyHeldKeys issues their commands.
    enum Binding {
        FORWARD,
        BACKWARD,
        TURN_LEFT,
        TURN_RIGHT,
        STRAFE_LEFT,
        STRAFE_RIGHT,
        UP,
        DOWN,
        BINDING_COUNT
    };

    static InputState& instance();

    // Sets the held flag of every binding on key; Escape also stops the
    // engine's application loop.
    void keyDown(int key);
    // Clears the held flag of every binding on key.
    void keyUp(int key);
    // Issues the command of each held binding to the world (turns with the
    // keyboard step, movement with amount 0).
    void applyHeldKeys();
    // Turns the camera by the pointer's offset from the centre of the engine's
    // viewport: left/right turn by |dx|, up/down look by |dy|.
    void mouseMoved(int x, int y);

    void setMouseButtonHeld(bool held) { mouseButtonHeld_ = held; }
    bool isMouseButtonHeld() const { return mouseButtonHeld_; }

    bool isHeld(Binding binding) const { return bindings_[binding].held; }
    int getKey(Binding binding) const { return bindings_[binding].key; }
    // Rebinds a binding to another SDL key code.
    void setKey(Binding binding, int key) { bindings_[binding].key = key; }
    // Clears every held flag and the mouse-button flag (used by harnesses
    // between runs; the program itself never needs it).
    void releaseAll();

    virtual ~InputState() = default;

private:
    InputState();
    InputState(const InputState&) = delete;
    InputState& operator=(const InputState&) = delete;

    struct KeyBinding {
        int key;
        int command;
        bool held;
    };
    std::array<KeyBinding, BINDING_COUNT> bindings_;
    bool mouseButtonHeld_ = false;
};

} // namespace zel
