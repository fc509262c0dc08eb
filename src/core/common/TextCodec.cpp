#include "common/TextCodec.h"

#include <cstdint>

namespace rz {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Windows-1252 bytes 0x80..0x9F. The five bytes the code page leaves
// undefined map to the C1 control of the same value, so they survive a
// round trip.
constexpr char32_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void appendUtf8(std::string& out, char32_t c) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        c = kReplacement;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Reads one code point at text[i]; advances i. Invalid or overlong
// sequences, surrogates and values above U+10FFFF read as one U+FFFD per
// bad byte; `valid` turns false then.
char32_t nextUtf8(std::string_view text, std::size_t& i, bool& valid) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b0 = byte(i);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    int length = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
        c = b0 & 0x1F;
        minimum = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        c = b0 & 0x0F;
        minimum = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        c = b0 & 0x07;
        minimum = 0x10000;
    } else {
        ++i;
        valid = false;
        return kReplacement;
    }
    if (i + static_cast<std::size_t>(length) > text.size()) {
        ++i;
        valid = false;
        return kReplacement;
    }
    for (int k = 1; k < length; ++k) {
        const unsigned char b = byte(i + static_cast<std::size_t>(k));
        if ((b & 0xC0) != 0x80) {
            ++i;
            valid = false;
            return kReplacement;
        }
        c = (c << 6) | (b & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++i;
        valid = false;
        return kReplacement;
    }
    i += static_cast<std::size_t>(length);
    return c;
}

std::string decodeUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    bool valid = true;
    for (std::size_t i = 0; i < bytes.size();)
        appendUtf8(out, nextUtf8(bytes, i, valid));
    return out;
}

std::string decodeUtf16(std::string_view bytes, bool bigEndian) {
    std::string out;
    out.reserve(bytes.size());
    const auto unit = [&](std::size_t k) -> char32_t {
        const auto a = static_cast<unsigned char>(bytes[k]);
        const auto b = static_cast<unsigned char>(bytes[k + 1]);
        return bigEndian ? static_cast<char32_t>((a << 8) | b) : static_cast<char32_t>((b << 8) | a);
    };
    std::size_t i = 0;
    while (i + 1 < bytes.size()) {
        const char32_t u = unit(i);
        i += 2;
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 1 < bytes.size()) {
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
    if (i < bytes.size())
        appendUtf8(out, kReplacement); // an odd byte at the end
    return out;
}

std::string decodeWindows1252(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80)
            out += ch;
        else if (b < 0xA0)
            appendUtf8(out, kCp1252High[b - 0x80]);
        else
            appendUtf8(out, b);
    }
    return out;
}

bool startsWith(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && s.substr(0, prefix.size()) == prefix;
}

} // namespace

bool isValidUtf8(std::string_view text) {
    bool valid = true;
    for (std::size_t i = 0; i < text.size() && valid;)
        nextUtf8(text, i, valid);
    return valid;
}

DecodedText decodeText(std::string_view bytes, NoBomRule rule) {
    DecodedText d;
    if (startsWith(bytes, "\xEF\xBB\xBF")) {
        d.encoding = TextEncoding::Utf8WithBom;
        d.text = decodeUtf8(bytes.substr(3));
    } else if (startsWith(bytes, "\xFF\xFE")) {
        d.encoding = TextEncoding::Utf16Le;
        d.text = decodeUtf16(bytes.substr(2), false);
    } else if (startsWith(bytes, "\xFE\xFF")) {
        d.encoding = TextEncoding::Utf16Be;
        d.text = decodeUtf16(bytes.substr(2), true);
    } else if (rule == NoBomRule::Utf8IfValid && isValidUtf8(bytes)) {
        d.encoding = TextEncoding::Utf8;
        d.text = std::string(bytes);
    } else {
        d.encoding = TextEncoding::Windows1252;
        d.text = decodeWindows1252(bytes);
    }
    // A file saved twice by tools that add a mark may carry it twice.
    std::size_t marks = 0;
    while (d.text.compare(marks, 3, "\xEF\xBB\xBF") == 0)
        marks += 3;
    d.text.erase(0, marks);
    return d;
}

std::string encodeText(std::string_view utf8, TextEncoding encoding) {
    std::string out;
    bool valid = true;
    switch (encoding) {
    case TextEncoding::Utf8WithBom:
        out = "\xEF\xBB\xBF";
        [[fallthrough]];
    case TextEncoding::Utf8:
        out += isValidUtf8(utf8) ? std::string(utf8) : decodeUtf8(utf8);
        return out;
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be: {
        const bool big = encoding == TextEncoding::Utf16Be;
        auto put = [&](char32_t u) {
            const char hi = static_cast<char>((u >> 8) & 0xFF);
            const char lo = static_cast<char>(u & 0xFF);
            out += big ? hi : lo;
            out += big ? lo : hi;
        };
        put(0xFEFF);
        for (std::size_t i = 0; i < utf8.size();) {
            const char32_t c = nextUtf8(utf8, i, valid);
            if (c >= 0x10000) {
                put(0xD800 + ((c - 0x10000) >> 10));
                put(0xDC00 + ((c - 0x10000) & 0x3FF));
            } else {
                put(c);
            }
        }
        return out;
    }
    case TextEncoding::Windows1252:
        out.reserve(utf8.size());
        for (std::size_t i = 0; i < utf8.size();) {
            const char32_t c = nextUtf8(utf8, i, valid);
            if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
                out += static_cast<char>(c);
                continue;
            }
            char mapped = '?';
            for (int k = 0; k < 32; ++k)
                if (kCp1252High[k] == c)
                    mapped = static_cast<char>(0x80 + k);
            out += mapped;
        }
        return out;
    }
    return out;
}

TextEncoding systemTextEncoding() {
#if defined(_WIN32)
    return TextEncoding::Windows1252;
#else
    return TextEncoding::Utf8;
#endif
}

std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\n' && c != '\r')
            continue;
        lines.emplace_back(text.substr(start, i - start));
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    return lines;
}

std::string joinLinesCrLf(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& line : lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

} // namespace rz
