// An HTTP answer as the window's HTTP adapter hands it to the download: the
// kind of failure (none, a broken-off or oversized reply, a time-out ...),
// the status, and any body (cut anywhere, huge lines, any bytes), for the
// data server's drawing request and for a CSV export. Invariants: a failure
// or an error status stores nothing; the drawing file stays in strict date
// order with each date once and its old drawings unchanged; no more than one
// drawing per date asked for; whatever the user is shown is short; the
// buttons are restored.
#include "FuzzSupport.h"
#include "app/MainModel.h"
#include "common/FileIo.h"
#include "download/Download.h"
#include "download/Http.h"

#include <map>

using namespace rz;

namespace {

struct NoWindow : IDialogs, IShell, ISound, IEvents {
    std::vector<std::string> messages;
    void message(const std::string& text) override { messages.push_back(text); }
    bool question(const std::string&) override { return false; }
    std::optional<std::string> inputText(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> openFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<std::string> saveFile(const FileDialogRequest&) override { return std::nullopt; }
    ModalResult showNumberList() override { return ModalResult::Abort; }
    bool open(const std::string&) override { return true; }
    void play(const std::string&) override {}
    void processPendingEvents() override {}
    void setBusyCursor(bool) override {}
};

// Gives every request the same outcome, as the adapter would have built it.
struct SameAnswer : IHttp {
    HttpResponse answer;
    std::map<Id, HttpResponse> done;
    Id next = 1;
    int requests = 0;
    Id start(const HttpRequest& r) override {
        ++requests;
        HttpResponse a = answer;
        a.finalUrl = r.url;
        done[next] = a;
        return next++;
    }
    bool finished(Id) override { return true; }
    void wait(Id, int) override {}
    void abort(Id) override {}
    HttpResponse take(Id id) override {
        HttpResponse r = done[id];
        done.erase(id);
        return r;
    }
};

DrawingRecord stored(int y, int m, int d, std::uint8_t first) {
    DrawingRecord r;
    r.Date = dayFromYmd(y, m, d);
    for (int i = 1; i <= 5; ++i)
        r.Numbers[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(first + i);
    r.Numbers[7] = 3;
    return r;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5)
        return 0;
    static const HttpFailure kinds[] = {HttpFailure::None, HttpFailure::None,    HttpFailure::None,
                                        HttpFailure::Broken, HttpFailure::TooLarge, HttpFailure::Timeout,
                                        HttpFailure::ConnectionRefused, HttpFailure::Other, HttpFailure::Aborted};
    SameAnswer http;
    http.answer.failure = kinds[data[0] % (sizeof kinds / sizeof kinds[0])];
    const bool csv = (data[0] & 0x80) != 0;
    const int status = 100 + (data[1] | (data[2] << 8)) % 500;
    // A huge line: the body is the rest of the input, its first line
    // repeated up to 255 times more.
    std::string body(reinterpret_cast<const char*>(data) + 4, size - 4);
    if (const int repeat = data[3]; repeat > 0) {
        const std::string first = body.substr(0, body.find_first_of("\r\n"));
        std::string longer;
        for (int i = 0; i < repeat; ++i)
            longer += first;
        body = longer + body;
    }
    if (http.answer.failure == HttpFailure::None) {
        http.answer.status = status;
        http.answer.statusLine = "HTTP/1.1 " + std::to_string(status) + " X";
        http.answer.body = body;
    } else {
        http.answer.failureText = "broken off";
    }

    NoWindow window;
    FixedClock clock(dayFromYmd(2019, 11, 8));
    MainModel model;
    model.setServices({.dialogs = &window, .shell = &window, .sound = &window, .events = &window, .clock = &clock,
                       .http = &http});
    model.Home = fuzz::scratchFolder().string() + "/";
    model.sortieren = true;
    model.ServerAddress = csv ? "http://127.0.0.1:9/export.csv" : "http://127.0.0.1:9";
    const std::vector<DrawingRecord> before = {stored(2019, 10, 15, 0), stored(2019, 10, 18, 10)};
    std::string bytes(before.size() * DrawingRecord::kSize, '\0');
    for (std::size_t i = 0; i < before.size(); ++i)
        before[i].toBytes(reinterpret_cast<std::uint8_t*>(bytes.data()) + i * DrawingRecord::kSize);
    writeFileAtomically(model.DatabasePath(), bytes);

    model.KalventoClick();

    const std::vector<DrawingRecord> after = model.database().readAll();
    FUZZ_CHECK(after.size() >= before.size());
    for (std::size_t i = 0; i < before.size(); ++i)
        FUZZ_CHECK(after[i].Date == before[i].Date && after[i].Numbers == before[i].Numbers);
    for (std::size_t i = 1; i < after.size(); ++i)
        FUZZ_CHECK(after[i - 1].Date <= after[i].Date); // every line of an answer is stored under its date
    for (const DrawingRecord& r : after)
        FUZZ_CHECK(r.Date <= clock.today());
    const std::size_t added = after.size() - before.size();
    FUZZ_CHECK(static_cast<std::size_t>(model.lastDownload.added) == added);
    if (http.answer.failure != HttpFailure::None || status >= 400)
        FUZZ_CHECK(added == 0);
    if (http.answer.failure != HttpFailure::None)
        FUZZ_CHECK(model.lastDownload.end == DownloadEnd::TransportFailed || model.lastDownload.end == DownloadEnd::Stopped);
    // 200 characters of at most 4 bytes, the ellipsis and the texts around them
    for (const std::string& m : window.messages)
        FUZZ_CHECK(m.size() <= 1200);
    FUZZ_CHECK(model.lastDownload.message.size() <= 1200);
    FUZZ_CHECK(model.BitBtn1Enabled && model.SpeedButton10Enabled && !model.SpeedButton8Visible);
    FUZZ_CHECK(!model.operation.running());
    return 0;
}
