#pragma once
#include <cstdint>
#include <string>

namespace rz {

// Decimal integer conversion used for every field text: an optional sign and
// digits, within the signed 32-bit range. Anything else (empty text, blanks,
// letters) fails.
bool tryParseInt(const std::string& text, std::int32_t& out);

// The text with A..Z made a..z; every other byte stays as it is, whatever
// the locale.
std::string lowerAscii(std::string text);

// The text without the blanks and control characters at either end.
std::string trimBlanks(const std::string& text);
// The text without spaces, tabs and line ends at either end; other control
// characters stay (a CSV field keeps them and fails its number check).
std::string trimWhitespace(const std::string& text);

} // namespace rz
