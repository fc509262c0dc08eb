#include "common/NumberFormat.h"

#include <cmath>
#include <cstdio>

#include "common/ProgramTexts.h"

namespace rz {
namespace {

// The thousands separator and the decimal mark of a language.
struct NumberMarks {
    const char* group;
    const char* decimal;
};

NumberMarks marks(int language) {
    switch (language) {
    case 2: case 8:      // English, Chinese
        return {",", "."};
    case 3: case 6:      // French, Russian: a no-break space
        return {"\u00a0", ","};
    default:             // German, Spanish, Italian, Portuguese
        return {".", ","};
    }
}

} // namespace

std::string formatGrouped(std::uint64_t n, int language) {
    const std::string digits = std::to_string(n);
    const std::string group = marks(language).group;
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += group;
        out += digits[i];
    }
    return out;
}

std::string formatDollars(std::int64_t cents, int language) {
    const bool negative = cents < 0;
    const std::uint64_t abs = negative ? static_cast<std::uint64_t>(-(cents + 1)) + 1 : static_cast<std::uint64_t>(cents);
    const std::uint64_t rest = abs % 100;
    const std::string amount = (negative ? "-" : "") + formatGrouped(abs / 100, language) + marks(language).decimal +
                               (rest < 10 ? "0" : "") + std::to_string(rest);
    switch (language) {
    case 2: case 8:
        return "$" + amount;
    case 7:
        return "US$\u00a0" + amount;
    default:
        return amount + "\u00a0$";
    }
}

std::string formatDecimal(long double v, int digits, int language) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*Lf", digits, v);
    std::string out = buf;
    if (const std::size_t dot = out.find('.'); dot != std::string::npos)
        out.replace(dot, 1, marks(language).decimal);
    return out;
}

std::string formatOneIn(long double probability, int language) {
    if (!(probability > 0))
        return "-";
    const long double inverse = 1.0L / probability;
    if (inverse < 100) {
        // Small odds keep a tenth: "1 in 1.7", not "1 in 2".
        const auto tenths = static_cast<std::uint64_t>(std::round(inverse * 10));
        return txt(Txt::OddsOneIn, {formatGrouped(tenths / 10, language) + marks(language).decimal +
                                    std::to_string(tenths % 10)});
    }
    const long double huge = 1e18L;
    const auto count = static_cast<std::uint64_t>(std::round(inverse < huge ? inverse : huge));
    return txt(Txt::OddsOneIn, {formatGrouped(count, language)});
}

} // namespace rz
