#include "common/Text.h"

#include <limits>

namespace rz {

bool tryParseInt64(const std::string& text, std::int64_t& out) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i >= text.size())
        return false;
    // Accumulate as a negative number so that the smallest value fits.
    std::int64_t value = 0;
    const std::int64_t lowest = std::numeric_limits<std::int64_t>::min();
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return false;
        const int digit = c - '0';
        if (value < (lowest + digit) / 10)
            return false;
        value = value * 10 - digit;
    }
    if (!negative) {
        if (value == lowest)
            return false;
        value = -value;
    }
    out = value;
    return true;
}

bool tryParseInt(const std::string& text, std::int32_t& out) {
    std::int64_t value = 0;
    if (!tryParseInt64(text, value) || value > std::numeric_limits<std::int32_t>::max() ||
        value < std::numeric_limits<std::int32_t>::min())
        return false;
    out = static_cast<std::int32_t>(value);
    return true;
}

void replaceAll(std::string& text, const std::string& what, const std::string& with) {
    if (what.empty())
        return;
    std::size_t pos = text.find(what);
    if (pos == std::string::npos)
        return;
    std::string out;
    out.reserve(with.size() > what.size() ? text.size() + (with.size() - what.size()) * 16 : text.size());
    std::size_t from = 0;
    while (pos != std::string::npos) {
        out.append(text, from, pos - from);
        out += with;
        from = pos + what.size();
        pos = text.find(what, from);
    }
    out.append(text, from, std::string::npos);
    text.swap(out);
}

std::string trimBlanks(const std::string& s) {
    std::size_t a = 0, b = s.size();
    while (a < b && static_cast<unsigned char>(s[a]) <= ' ')
        ++a;
    while (b > a && static_cast<unsigned char>(s[b - 1]) <= ' ')
        --b;
    return s.substr(a, b - a);
}

std::string trimWhitespace(const std::string& s) {
    auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    std::size_t a = 0, b = s.size();
    while (a < b && space(s[a]))
        ++a;
    while (b > a && space(s[b - 1]))
        --b;
    return s.substr(a, b - a);
}

std::string lowerAscii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

} // namespace rz
