#include "gui/SceneAnalyseGUI.h"

#include "engine/CoreEngine.h"
#include "gui/String.h"

namespace zel {
namespace gui {

const char* const SceneAnalyseGUI::TITLE = "World Of Ulmera";
const char* const SceneAnalyseGUI::FPS_CAPTION = "Current FPS: ";

SceneAnalyseGUI& SceneAnalyseGUI::instance() {
    static SceneAnalyseGUI overlay;
    return overlay;
}

SceneAnalyseGUI::SceneAnalyseGUI()
    : titleLabel_(std::make_unique<TextEdit>(10, 10, 300, 30)), fpsLabel_(std::make_unique<TextEdit>(10, 40, 300, 30)) {
    for (TextEdit* label : {titleLabel_.get(), fpsLabel_.get()}) {
        label->setColor(PANEL_COLOR[0], PANEL_COLOR[1], PANEL_COLOR[2], PANEL_COLOR[3]);
        label->setDrawBackground(true);
    }
}

bool SceneAnalyseGUI::init() { return true; }

std::string SceneAnalyseGUI::fpsText(int fps) { return String(FPS_CAPTION) + String(static_cast<std::int32_t>(fps)); }

void SceneAnalyseGUI::render() {
    titleLabel_->setText(title_);
    titleLabel_->render();
    fpsLabel_->setText(fpsText(fps_));
    fpsLabel_->render();
}

void SceneAnalyseGUI::update(std::uint32_t) { fps_ = static_cast<int>(CoreEngine::instance().getFps()); }

} // namespace gui
} // namespace zel
