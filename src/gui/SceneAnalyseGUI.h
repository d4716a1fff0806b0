#pragma once
// The on-screen statistics overlay: two translucent panels in the top-left
// corner showing the window title and the engine's current frame rate. A
// singleton that the world draws last in every frame and updates every tick.

#include <cstdint>
#include <memory>
#include <string>

#include "engine/IRenderableObject.h"
#include "gui/TextEdit.h"

namespace zel {
namespace gui {

class SceneAnalyseGUI : public IRenderableObject {
public:
    static constexpr float PANEL_COLOR[4] = {0.5f, 0.3f, 0.3f, 0.4f};
    static const char* const TITLE;
    static const char* const FPS_CAPTION;

    static SceneAnalyseGUI& instance();

    ~SceneAnalyseGUI() override = default;
    SceneAnalyseGUI(const SceneAnalyseGUI&) = delete;
    SceneAnalyseGUI& operator=(const SceneAnalyseGUI&) = delete;

    bool init() override;
    // Sets both captions and draws the title panel, then the frame-rate panel.
    void render() override;
    // Copies the engine's frames-per-second value.
    void update(std::uint32_t elapsedMs) override;

    // The frame-rate caption for a value: "Current FPS: " and the decimal value.
    static std::string fpsText(int fps);

    // The caption of the title panel; TITLE until a tool that shows something
    // else (the model viewer) sets its own.
    void setTitle(const std::string& title) { title_ = title; }
    const std::string& getTitle() const { return title_; }

    int getFps() const { return fps_; }
    void setFps(int fps) { fps_ = fps; }
    TextEdit& getTitleLabel() { return *titleLabel_; }
    TextEdit& getFpsLabel() { return *fpsLabel_; }

private:
    SceneAnalyseGUI();

    std::unique_ptr<TextEdit> titleLabel_;
    std::unique_ptr<TextEdit> fpsLabel_;
    int fps_ = 0;
    std::string title_ = TITLE;
};

} // namespace gui
} // namespace zel
