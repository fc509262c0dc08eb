// The text boundary: any bytes decoded, encoded and decoded again.
// Invariants: the text is always valid UTF-8; valid UTF-8 without a mark is
// taken as it is; every Unicode form gives the same text back; Windows-1252
// keeps every character it can hold; line splitting and joining agree.
#include "FuzzSupport.h"
#include "common/TextCodec.h"

using namespace rz;

namespace {

std::string withoutLeadingMarks(std::string s) {
    std::size_t n = 0;
    while (s.compare(n, 3, "\xEF\xBB\xBF") == 0)
        n += 3;
    return s.erase(0, n);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (NoBomRule rule : {NoBomRule::Utf8IfValid, NoBomRule::Windows1252}) {
        const DecodedText d = decodeText(bytes, rule);
        FUZZ_CHECK(isValidUtf8(d.text));
        FUZZ_CHECK(d.text.compare(0, 3, "\xEF\xBB\xBF") != 0);
        if (rule == NoBomRule::Utf8IfValid && d.encoding == TextEncoding::Utf8)
            FUZZ_CHECK(d.text == withoutLeadingMarks(std::string(bytes)));
        for (TextEncoding e : {TextEncoding::Utf8, TextEncoding::Utf8WithBom, TextEncoding::Utf16Le, TextEncoding::Utf16Be})
            FUZZ_CHECK(decodeText(encodeText(d.text, e)).text == d.text);
        // An 8-bit text that happens to start like a mark is read by the mark;
        // every other one comes back byte for byte.
        const std::string cp = encodeText(d.text, TextEncoding::Windows1252);
        const bool looksMarked = cp.compare(0, 3, "\xEF\xBB\xBF") == 0 || cp.compare(0, 2, "\xFF\xFE") == 0 ||
                                 cp.compare(0, 2, "\xFE\xFF") == 0;
        if (!looksMarked)
            FUZZ_CHECK(encodeText(decodeText(cp, NoBomRule::Windows1252).text, TextEncoding::Windows1252) == cp);
        if (d.encoding == TextEncoding::Windows1252 && rule == NoBomRule::Windows1252)
            FUZZ_CHECK(cp == bytes);

        const std::vector<std::string> lines = splitLines(d.text);
        for (const std::string& l : lines)
            FUZZ_CHECK(l.find_first_of("\r\n") == std::string::npos);
        FUZZ_CHECK(splitLines(joinLinesCrLf(lines)) == lines);
    }
    return 0;
}
