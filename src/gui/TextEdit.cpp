#include "gui/TextEdit.h"

#include "gui/FontRenderer.h"

namespace zel {
namespace gui {

TextEdit::TextEdit(int x, int y, int width, int height) : Component(x, y, width, height) {}

bool TextEdit::init() { return true; }

void TextEdit::render() {
    if (drawBackground_) Component::render();
    FontRenderer::instance().drawText(text_, fontSize_, x_, y_);
}

void TextEdit::update(std::uint32_t) {}

} // namespace gui
} // namespace zel
