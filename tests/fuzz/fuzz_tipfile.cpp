// The tip file reader: any bytes as a ".qlt" file.
// Invariants: every field ends up empty or the canonical text of a number in
// its range, the rows equal the field check of the file's lines, and writing
// the set and reading it back moves the filled rows to the top unchanged.
#include <algorithm>

#include "FuzzSupport.h"
#include "common/TextCodec.h"
#include "tips/TipSet.h"

using namespace rz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzz::scratchFile("in.qlt");
    fuzz::putFile(path, data, size);
    TipSet tips;
    tips.row(3).Locked = true;
    tips.ReadTipFile(path);
    FUZZ_CHECK(tips.row(3).Locked);

    const std::vector<std::string> lines = splitLines(decodeText(std::string_view(reinterpret_cast<const char*>(data), size)).text);
    for (int r = 1; r <= TipSet::kRows; ++r) {
        const std::string line = static_cast<std::size_t>(r) <= lines.size() ? lines[static_cast<std::size_t>(r - 1)] : "";
        const auto fields = TipSet::splitTipLine(line);
        for (int k = 1; k <= TipSet::kFields; ++k) {
            const std::string& f = tips.get(r, k);
            FUZZ_CHECK(f == TipSet::CheckTipField(fields[static_cast<std::size_t>(k)], TipSet::fieldMax(k)));
            FUZZ_CHECK(f.empty() || (f[0] != '0' && TipSet::CheckTipField(f, TipSet::fieldMax(k)) == f));
        }
    }

    const std::string out = fuzz::scratchFile("out.qlt");
    tips.WriteTipFile(out);
    const std::string written = fuzz::getFile(out);
    int filled = 0;
    for (int r = 1; r <= TipSet::kRows; ++r)
        filled += tips.IsRowFilled(r);
    const auto writtenLines = splitLines(written);
    FUZZ_CHECK(static_cast<int>(writtenLines.size()) == filled);
    FUZZ_CHECK(written.size() >= 2 * static_cast<std::size_t>(filled));
    for (const std::string& l : writtenLines) {
        FUZZ_CHECK(std::count(l.begin(), l.end(), ',') == 6);
        FUZZ_CHECK(l.find_first_not_of("0123456789,") == std::string::npos);
    }
    FUZZ_CHECK(filled == 0 || written.compare(written.size() - 2, 2, "\r\n") == 0);

    TipSet back;
    back.ReadTipFile(out);
    int next = 1;
    for (int r = 1; r <= TipSet::kRows; ++r) {
        if (!tips.IsRowFilled(r))
            continue;
        for (int k = 1; k <= TipSet::kFields; ++k)
            FUZZ_CHECK(back.get(next, k) == tips.get(r, k));
        ++next;
    }
    for (; next <= TipSet::kRows; ++next)
        for (int k = 1; k <= TipSet::kFields; ++k)
            FUZZ_CHECK(back.get(next, k).empty());
    return 0;
}
