#pragma once
// A small string value used by the overlay to build its captions: made from
// text or from a decimal integer, joined with +, convertible to std::string.

#include <cstdint>
#include <string>

namespace zel {

class String {
public:
    String() = default;
    String(const std::string& text) : text_(text) {}
    String(const char* text) : text_(text ? text : "") {}
    // Decimal text of the value, as a standard string stream writes it.
    String(std::int32_t value);
    virtual ~String() = default;

    String operator+(const String& other) const { return String(text_ + other.text_); }
    operator std::string() const { return text_; }
    const std::string& str() const { return text_; }
    bool operator==(const String& other) const { return text_ == other.text_; }

private:
    std::string text_;
};

} // namespace zel
