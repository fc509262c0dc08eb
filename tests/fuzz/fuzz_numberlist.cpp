// The number list reader: the first byte picks how many boxes are in use,
// the rest is a ".qlw" file.
// Invariants: a box is ticked exactly when its line is not empty, its weight
// is then that line (valid UTF-8, no line end), an unticked box weighs "1";
// saving and loading again gives the same boxes.
#include "FuzzSupport.h"
#include "common/TextCodec.h"
#include "generator/NumberList.h"

using namespace rz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const int maxZahl = data[0] % (NumberList::kBoxes + 1);
    const std::string path = fuzz::scratchFile("in.qlw");
    fuzz::putFile(path, data + 1, size - 1);
    NumberList list;
    list.MaxZahl = maxZahl;
    list.box(70).weight = "untouched";
    list.loadFromFile(path);

    const std::vector<std::string> lines =
        splitLines(decodeText(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1)).text);
    for (int n = 1; n <= maxZahl; ++n) {
        const NumberList::Box& b = list.box(n);
        const std::string line = static_cast<std::size_t>(n) <= lines.size() ? lines[static_cast<std::size_t>(n - 1)] : "";
        FUZZ_CHECK(b.checked == !line.empty());
        FUZZ_CHECK(b.weight == (line.empty() ? std::string("1") : line));
        FUZZ_CHECK(isValidUtf8(b.weight));
        FUZZ_CHECK(b.weight.find_first_of("\r\n") == std::string::npos);
    }
    if (maxZahl < 70)
        FUZZ_CHECK(list.box(70).weight == "untouched");

    const std::string out = fuzz::scratchFile("out.qlw");
    list.saveToFile(out);
    NumberList back;
    back.MaxZahl = maxZahl;
    back.loadFromFile(out);
    for (int n = 1; n <= maxZahl; ++n) {
        FUZZ_CHECK(back.box(n).checked == list.box(n).checked);
        if (list.box(n).checked)
            FUZZ_CHECK(back.box(n).weight == list.box(n).weight);
    }
    return 0;
}
