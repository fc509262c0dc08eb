#pragma once
// The text boundary: inside the program every text is UTF-8; files are
// decoded on the way in and encoded in the form each file needs on the way out.
#include <string>
#include <string_view>
#include <vector>

namespace rz {

enum class TextEncoding {
    Utf8,        // without byte order mark
    Utf8WithBom, // EF BB BF first
    Utf16Le,     // FF FE first
    Utf16Be,     // FE FF first
    Windows1252, // the 8-bit Western code page
};

// How to read a file without byte order mark.
enum class NoBomRule {
    // Valid UTF-8 is taken as UTF-8, anything else as Windows-1252. Text in
    // ASCII reads the same either way, a file written by this program on any
    // system reads back as written, and an 8-bit file is practically never
    // valid UTF-8 by chance.
    Utf8IfValid,
    // Always Windows-1252.
    Windows1252,
};

struct DecodedText {
    std::string text;          // UTF-8, without the byte order mark
    TextEncoding encoding = TextEncoding::Utf8;
};

// Decodes a file's bytes: by byte order mark (UTF-8, UTF-16 LE/BE), else by
// the rule. Byte sequences that are not valid in the detected form become
// U+FFFD; the result is always valid UTF-8. Leading U+FEFF characters are
// byte order marks and never part of the text.
DecodedText decodeText(std::string_view bytes, NoBomRule rule = NoBomRule::Utf8IfValid);

// Encodes UTF-8 text (invalid sequences count as U+FFFD). Windows-1252 writes
// "?" for a character it cannot hold; the UTF-16 forms start with their
// byte order mark.
std::string encodeText(std::string_view utf8, TextEncoding encoding);

// The form of the system's own 8-bit text files: Windows-1252 on Windows,
// UTF-8 (without byte order mark) elsewhere.
TextEncoding systemTextEncoding();

bool isValidUtf8(std::string_view text);

// Splits text into lines; a line ends at CR LF, LF or a lone CR. A line end
// at the very end adds no empty line; an empty text has no lines.
std::vector<std::string> splitLines(std::string_view text);

// Every line followed by CR LF, the last one included.
std::string joinLinesCrLf(const std::vector<std::string>& lines);

} // namespace rz
