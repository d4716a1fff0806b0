#include "gui/String.h"

#include <sstream>

namespace zel {

String::String(std::int32_t value) {
    std::ostringstream out;
    out << value;
    text_ = out.str();
}

} // namespace zel
