#pragma once
#include <cstdint>
#include <string>

namespace rz {

// Decimal integer conversion used for every field text: an optional sign and
// digits, within the signed 32-bit range. Anything else (empty text, blanks,
// letters) fails.
bool tryParseInt(const std::string& text, std::int32_t& out);
// The same within 64 bits.
bool tryParseInt64(const std::string& text, std::int64_t& out);

// The text with A..Z made a..z; every other byte stays as it is, whatever
// the locale.
std::string lowerAscii(std::string text);

// Replaces every occurrence of `what` from left to right; a replacement is
// not searched again. One pass builds the result, so the time grows with the
// length of the text, however many occurrences it holds. An empty `what`
// changes nothing.
void replaceAll(std::string& text, const std::string& what, const std::string& with);

// The text without the blanks and control characters at either end.
std::string trimBlanks(const std::string& text);
// The text without spaces, tabs and line ends at either end; other control
// characters stay (a CSV field keeps them and fails its number check).
std::string trimWhitespace(const std::string& text);

} // namespace rz
