#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace rz {

// Decodes the bytes of a text file to UTF-8: UTF-8 when they start with its
// byte order mark, UTF-16 (little or big endian) with its mark, Windows-1252
// otherwise. The mark is dropped; malformed sequences become U+FFFD.
std::string decodeTextBytes(std::string_view bytes);

// Splits text into lines at CR LF, LF or a lone CR. A line end at the very
// end gives no extra empty line; empty text gives no line at all. Lines are
// not cut at any length.
std::vector<std::string> splitTextLines(std::string_view text);

// Reads a text file (decoded as above) as lines. Throws IoError when the
// file cannot be opened or read.
std::vector<std::string> readTextFileLines(const std::string& path);

// The bytes of a text file in the form the program writes its language
// files: UTF-8 with a byte order mark, CR LF after every line.
std::string utf8BomCrLfText(const std::vector<std::string>& lines);

} // namespace rz
