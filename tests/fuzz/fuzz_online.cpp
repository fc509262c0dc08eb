// Handing tips to a portal: any bytes as a click script, a tip file and a
// cart base from the data server.
// Invariants: the filled copy is in the system's 8-bit form (UTF-8, or
// Windows-1252 on Windows) with every line ended by CR LF;
// a script without placeholders comes back with only its line ends changed;
// every tip placeholder of rows 1..12 is gone unless an emptied one or an
// inserted text completes a new one (a "[" inside a bracket, or in the tips); a cart address starts with the base and ends with "&Tipps=" and
// the highest non-empty row; only http(s) addresses within the length limit
// and without control characters pass the check for the browser.
#include <algorithm>
#include <array>

#include "FuzzSupport.h"
#include "common/Text.h"
#include "common/TextCodec.h"
#include "online/Cart.h"
#include "online/ClickScript.h"

using namespace rz;

namespace {

// The input as three parts separated by NUL bytes; the first byte sets the flags.
std::array<std::string, 3> parts(const std::string& in) {
    std::array<std::string, 3> out;
    std::size_t at = 1, i = 0;
    while (i < 3 && at <= in.size()) {
        const std::size_t end = i < 2 ? std::min(in.find('\0', at), in.size()) : in.size();
        out[i++] = in.substr(at, end - at);
        at = end + 1;
    }
    return out;
}

// A "[" inside an open bracket: replacing the inner placeholder may complete
// the outer one after its row was filled.
bool nestedBracket(const std::string& text) {
    bool open = false;
    for (const char c : text) {
        if (c == '[') {
            if (open)
                return true;
            open = true;
        } else if (c == ']') {
            open = false;
        }
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string in(reinterpret_cast<const char*>(data), size);
    const auto [script, tipFile, base] = parts(in);
    const unsigned flagBits = size ? data[0] : 0u;
    const ScriptFlags flags{(flagBits & 1) != 0, (flagBits & 2) != 0, (flagBits & 4) != 0, (flagBits & 8) != 0};

    const std::string filled = filledScriptFile(script, tipFile, flags, "/tmp/Tipps/20250101.qlt");
    // The copy is in the system's 8-bit form: UTF-8, or Windows-1252 on Windows.
    const TextEncoding system = systemTextEncoding();
    if (system == TextEncoding::Windows1252)
        FUZZ_CHECK(encodeText(decodeText(filled, NoBomRule::Windows1252).text, system) == filled);
    else
        FUZZ_CHECK(isValidUtf8(filled));
    for (std::size_t i = 0; i < filled.size(); ++i) {
        if (filled[i] == '\r')
            FUZZ_CHECK(i + 1 < filled.size() && filled[i + 1] == '\n');
        if (filled[i] == '\n')
            FUZZ_CHECK(i > 0 && filled[i - 1] == '\r');
    }
    const std::string decodedScript = decodeText(script).text;
    if (decodedScript.find('[') == std::string::npos)
        FUZZ_CHECK(filled == encodeText(joinLinesCrLf(splitLines(decodedScript)), system));
    if (decodeText(tipFile).text.find('[') == std::string::npos && !nestedBracket(decodedScript))
        for (int r = 1; r <= 12; ++r)
            for (const std::string& p : {"[Z1_" + std::to_string(r) + "]", "[S1_" + std::to_string(r) + "]",
                                         "[S2_" + std::to_string(r) + "]"})
                FUZZ_CHECK(filled.find(p) == std::string::npos);

    // Twelve rows from the tip file's lines, as the cart gets them.
    std::array<std::string, 12> rows;
    rows.fill(kEmptyCartRow);
    const auto lines = splitLines(decodeText(tipFile).text);
    for (std::size_t r = 0; r < 12 && r < lines.size(); ++r)
        rows[r] = lines[r];
    const auto urls = cartUrls(base, rows);
    FUZZ_CHECK(urls.size() == (rows[6] != kEmptyCartRow ? 2u : 1u));
    for (std::size_t c = 0; c < urls.size(); ++c) {
        const std::string& url = urls[c];
        FUZZ_CHECK(url.compare(0, base.size(), base) == 0);
        int highest = 0;
        for (int k = 1; k <= 6; ++k)
            if (rows[c * 6 + static_cast<std::size_t>(k - 1)] != kEmptyCartRow)
                highest = k;
        const std::string tail = "&Tipps=" + std::to_string(highest);
        FUZZ_CHECK(url.size() >= tail.size() && url.compare(url.size() - tail.size(), tail.size(), tail) == 0);
        const bool passes = !refusedCartUrl(url).has_value();
        if (passes) {
            FUZZ_CHECK(lowerAscii(url).rfind("http://", 0) == 0 || lowerAscii(url).rfind("https://", 0) == 0);
            FUZZ_CHECK(url.size() <= kMaxCartUrlLength);
            FUZZ_CHECK(std::none_of(url.begin(), url.end(),
                                    [](char ch) { return static_cast<unsigned char>(ch) < 0x20 || ch == 0x7f; }));
        }
    }
    return 0;
}
