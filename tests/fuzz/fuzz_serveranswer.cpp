// The data server's answer: any bytes as an answer body, and as a server
// address. Invariants: lines hold no line end and split back unchanged after
// being joined with CR LF; a line that reads as a drawing holds byte values
// that read back the same when written as an answer line; a request address
// is http(s), ends with the drawing request and the date, and normalising an
// address twice changes nothing.
#include "FuzzSupport.h"
#include "common/Text.h"
#include "common/TextCodec.h"
#include "download/Download.h"

using namespace rz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string body(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = splitAnswerLines(body);
    for (const std::string& line : lines) {
        FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
        std::array<std::uint8_t, 9> n{};
        if (!parseAnswerLine(line, n))
            continue;
        FUZZ_CHECK(n[6] == 0);
        std::string again;
        for (int slot : {1, 2, 3, 4, 5, 7, 8})
            again += (again.empty() ? "" : ",") + std::to_string(n[static_cast<std::size_t>(slot)]);
        std::array<std::uint8_t, 9> m{};
        FUZZ_CHECK(parseAnswerLine(again, m));
        FUZZ_CHECK(m == n);
    }
    FUZZ_CHECK(splitAnswerLines(joinLinesCrLf(lines)) == lines);

    const std::string address = body.substr(0, 200);
    const std::string normal = normaliseServerAddress(address);
    FUZZ_CHECK(normaliseServerAddress(normal) == normal);
    const DayNumber day = dayFromYmd(2019, 10, 22);
    const std::string url = drawingRequestUrl(address, day);
    if (!url.empty()) {
        const std::string lower = lowerAscii(url);
        FUZZ_CHECK(lower.rfind("http://", 0) == 0 || lower.rfind("https://", 0) == 0);
        const std::string tail = std::string(kDrawingRequestPath) + "20191022";
        FUZZ_CHECK(url.size() > tail.size() && url.compare(url.size() - tail.size(), tail.size(), tail) == 0);
    }
    return 0;
}
