#include "environment/ValueFader.h"

namespace zel {

void ValueFader::update() {
    if (increasing_) {
        value_ += step_;
    } else {
        value_ -= step_;
    }
    if (value_ >= maximum_)
        increasing_ = false;
    if (value_ <= minimum_)
        increasing_ = true;
}

} // namespace zel
