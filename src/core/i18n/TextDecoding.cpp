#include "i18n/TextDecoding.h"

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "database/DrawingDatabase.h" // IoError, systemErrorText

namespace rz {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// Copies UTF-8, replacing every malformed sequence (stray continuation
// bytes, overlong forms, surrogates, values above U+10FFFF, cut sequences)
// by U+FFFD.
std::string cleanUtf8(std::string_view in) {
    std::string out;
    out.reserve(in.size());
    std::size_t i = 0;
    const std::size_t n = in.size();
    while (i < n) {
        const auto b0 = static_cast<unsigned char>(in[i]);
        if (b0 < 0x80) {
            out.push_back(static_cast<char>(b0));
            ++i;
            continue;
        }
        int len = 0;
        char32_t c = 0;
        char32_t min = 0;
        if (b0 >= 0xC2 && b0 <= 0xDF) {
            len = 2, c = b0 & 0x1F, min = 0x80;
        } else if (b0 >= 0xE0 && b0 <= 0xEF) {
            len = 3, c = b0 & 0x0F, min = 0x800;
        } else if (b0 >= 0xF0 && b0 <= 0xF4) {
            len = 4, c = b0 & 0x07, min = 0x10000;
        } else {
            appendUtf8(out, kReplacement);
            ++i;
            continue;
        }
        int got = 1;
        while (got < len && i + static_cast<std::size_t>(got) < n) {
            const auto b = static_cast<unsigned char>(in[i + static_cast<std::size_t>(got)]);
            if ((b & 0xC0) != 0x80)
                break;
            c = (c << 6) | (b & 0x3F);
            ++got;
        }
        if (got < len || c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            appendUtf8(out, kReplacement);
            i += static_cast<std::size_t>(got);
            continue;
        }
        out.append(in.substr(i, static_cast<std::size_t>(len)));
        i += static_cast<std::size_t>(len);
    }
    return out;
}

std::string utf16ToUtf8(std::string_view in, bool bigEndian) {
    std::string out;
    out.reserve(in.size());
    auto unit = [&](std::size_t at) -> char32_t {
        const auto a = static_cast<unsigned char>(in[at]);
        const auto b = static_cast<unsigned char>(in[at + 1]);
        return bigEndian ? static_cast<char32_t>((a << 8) | b) : static_cast<char32_t>((b << 8) | a);
    };
    std::size_t i = 0;
    while (i + 1 < in.size()) {
        const char32_t u = unit(i);
        i += 2;
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 1 < in.size()) {
                const char32_t low = unit(i);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    i += 2;
                    appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                    continue;
                }
            }
            appendUtf8(out, kReplacement);
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            appendUtf8(out, kReplacement);
        } else {
            appendUtf8(out, u);
        }
    }
    if (i < in.size()) // an odd byte at the end
        appendUtf8(out, kReplacement);
    return out;
}

// Windows-1252 bytes 0x80..0x9F; the five unassigned bytes keep their C1 code.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

std::string cp1252ToUtf8(std::string_view in) {
    std::string out;
    out.reserve(in.size());
    for (char ch : in) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80)
            out.push_back(ch);
        else if (b < 0xA0)
            appendUtf8(out, kCp1252High[b - 0x80]);
        else
            appendUtf8(out, b);
    }
    return out;
}

bool startsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

} // namespace

std::string decodeTextBytes(std::string_view bytes) {
    if (startsWith(bytes, "\xEF\xBB\xBF"))
        return cleanUtf8(bytes.substr(3));
    if (startsWith(bytes, "\xFF\xFE"))
        return utf16ToUtf8(bytes.substr(2), false);
    if (startsWith(bytes, "\xFE\xFF"))
        return utf16ToUtf8(bytes.substr(2), true);
    return cp1252ToUtf8(bytes);
}

std::vector<std::string> splitTextLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.emplace_back(text.substr(start, i - start));
            i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    return lines;
}

std::vector<std::string> readTextFileLines(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        throw IoError("Cannot open \"" + path + "\": " + systemErrorText(EISDIR));
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw IoError("Cannot open \"" + path + "\": " + systemErrorText(errno));
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw IoError("Cannot read \"" + path + "\": " + systemErrorText(errno));
    return splitTextLines(decodeTextBytes(bytes));
}

std::string utf8BomCrLfText(const std::vector<std::string>& lines) {
    std::string out = "\xEF\xBB\xBF";
    for (const std::string& l : lines)
        out.append(l).append("\r\n");
    return out;
}

} // namespace rz
