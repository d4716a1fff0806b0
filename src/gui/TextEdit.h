#pragma once
// An overlay label: a component with one line of bitmap-font text whose
// top-left corner is the component's top-left corner, optionally drawn over
// the component's rectangle. Used by the statistics overlay.

#include <cstdint>
#include <string>

#include "gui/Component.h"

namespace zel {
namespace gui {

class TextEdit : public Component {
public:
    static constexpr int DEFAULT_FONT_SIZE = 15;

    TextEdit(int x, int y, int width, int height);
    ~TextEdit() override = default;

    bool init() override;
    // The background rectangle when enabled, then the text.
    void render() override;
    void update(std::uint32_t elapsedMs) override;

    void setText(const std::string& text) { text_ = text; }
    const std::string& getText() const { return text_; }
    void setFontSize(int size) { fontSize_ = size; }
    int getFontSize() const { return fontSize_; }
    void setDrawBackground(bool on) { drawBackground_ = on; }
    bool getDrawBackground() const { return drawBackground_; }

private:
    std::string text_;
    int fontSize_ = DEFAULT_FONT_SIZE;
    bool drawBackground_ = false;
};

} // namespace gui
} // namespace zel
