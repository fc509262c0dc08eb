// The download command: date by date from a data server, or once from a CSV
// export, appending the drawings after the last stored one.
#include <optional>

#include "app/MainModel.h"
#include "common/ProgramTexts.h"
#include "common/Text.h"
#include "database/Importer.h"
#include "download/Download.h"
#include "download/Http.h"

namespace rz {
namespace {

// Marks the download as the running operation, disables the start buttons
// and shows the stop button for its time; however the download ends, they are
// restored.
class DownloadFrame {
public:
    explicit DownloadFrame(MainModel& m) : m_(m), scope_(std::in_place, m.operation, OperationKind::Download) {
        m_.BitBtn1Enabled = false;
        m_.SpeedButton10Enabled = false;
        m_.SpeedButton8Visible = true;
    }
    ~DownloadFrame() { close(); }
    DownloadFrame(const DownloadFrame&) = delete;
    DownloadFrame& operator=(const DownloadFrame&) = delete;

    void close() {
        if (!scope_)
            return;
        if (IHttp* http = m_.services().http)
            http->closeConnections();
        m_.BitBtn1Enabled = true;
        m_.SpeedButton10Enabled = true;
        m_.SpeedButton8Visible = false;
        scope_.reset();
    }

private:
    MainModel& m_;
    std::optional<OperationScope> scope_;
};

class Downloader {
public:
    Downloader(MainModel& m, const DrawingDatabase& db, const DrawingRecord& buffer)
        : m_(m), db_(db), buffer_(buffer) {}

    // Step by step over the candidate dates, two requests at most per date.
    void protocol() {
        const DayNumber last = today();
        while (m_.DateTimePicker1.date <= last && !stopRequested()) {
            const DayNumber d = m_.DateTimePicker1.date;
            HttpRequest req;
            if (!applyProxy(req))
                return;
            m_.StatusPanel[0] = "Loading";
            req.url = drawingRequestUrl(m_.ServerAddress, d + 1);
            if (req.url.empty())
                return badAddress();
            HttpResponse res = send(req);
            if (res.answered() && res.status < 400 && res.body.empty()) {
                req.url = drawingRequestUrl(m_.ServerAddress, d);
                res = send(req);
            }
            if (!res.answered())
                return transportFailure(res);
            showAnswerStatus(res);
            if (res.status < 400) {
                for (const std::string& line : splitAnswerLines(res.body)) {
                    m_.cur.Datum1 = d;
                    DrawingRecord rec = buffer_;
                    if (!parseAnswerLine(line, rec.Numbers))
                        return badLine(res.body);
                    rec.Date = d;
                    m_.Label29 = progressCaption(rec);
                    m_.events().processPendingEvents();
                    write(rec);
                }
            }
            m_.DateTimePicker1.setDate(nextCandidateDate(d));
        }
        m_.lastDownload.end = stopRequested() ? DownloadEnd::Stopped : DownloadEnd::Completed;
    }

    // The whole history in one file; only drawings after the last stored one
    // are taken, a stored drawing is never replaced.
    void csv(DayNumber lastStored) {
        HttpRequest req;
        if (!applyProxy(req))
            return;
        req.url = normaliseServerAddress(m_.ServerAddress);
        m_.StatusPanel[0] = "Loading";
        const HttpResponse res = send(req);
        if (!res.answered())
            return transportFailure(res);
        showAnswerStatus(res);
        if (res.status >= 400) {
            m_.lastDownload.end = DownloadEnd::Completed;
            return;
        }
        std::vector<DrawingRecord> incoming;
        const ImportResult parsed = parseDrawingHistory(res.body, incoming);
        if (!parsed.ok) {
            const std::string text = txt(Txt::AnswerUnreadable, {req.url, parsed.error});
            m_.dialogs().message(text);
            m_.lastDownload.message = text;
            m_.lastDownload.end = DownloadEnd::BadAnswer;
            return;
        }
        const DayNumber last = today();
        Yielder yield(m_.events());
        bool first = true;
        for (const DrawingRecord& r : incoming) { // ascending dates
            if (r.Date <= lastStored || r.Date > last)
                continue;
            if (stopRequested())
                break;
            DrawingRecord rec = buffer_; // bytes 16..31 as in the record buffer
            rec.Date = r.Date;
            rec.Numbers = r.Numbers;
            m_.DateTimePicker1.setDate(r.Date);
            m_.cur.Datum1 = r.Date;
            m_.Label29 = progressCaption(rec);
            if (first)
                yield.now(); // the first drawing shows at once
            else
                yield();
            first = false;
            write(rec);
        }
        m_.lastDownload.end = stopRequested() ? DownloadEnd::Stopped : DownloadEnd::Completed;
    }

private:
    DayNumber today() const { return m_.today(); }
    // The stop button hidden, or the window closing.
    bool stopRequested() const { return !m_.SpeedButton8Visible || m_.operation.stopRequested; }

    // The proxy of the "Internet-Optionen" tab, before every request.
    bool applyProxy(HttpRequest& req) {
        if (applyRequestSettings(req, m_.ProxyHost, m_.ProxyPort, m_.lastDownload.message))
            return true;
        m_.lastDownload.end = DownloadEnd::BadProxyPort;
        return false; // reported after the buttons are restored
    }

    HttpResponse send(const HttpRequest& req) {
        m_.lastDownload.requests += 1;
        return fetch(m_.services().http, m_.events(), req, [this] { return stopRequested(); });
    }

    void showAnswerStatus(const HttpResponse& res) {
        m_.StatusPanel[0] = res.statusLine;
        m_.StatusPanel[1] = m_.msg(Msg::NoWarranty);
        m_.lastDownload.statusLine = res.statusLine;
    }

    void transportFailure(const HttpResponse& res) {
        m_.StatusPanel[0] = failureCaption(res);
        m_.lastDownload.statusLine = m_.StatusPanel[0];
        if (res.failure == HttpFailure::Aborted) {
            m_.lastDownload.end = DownloadEnd::Stopped;
            return;
        }
        // The client's own words (a library's, often English) only where the
        // kind of failure says nothing.
        const std::string why = res.failure == HttpFailure::Other && !res.failureText.empty()
                                    ? res.failureText
                                    : failureCaption(res);
        const std::string text = txt(Txt::NoConnectionBecause, {normaliseServerAddress(m_.ServerAddress), why});
        m_.StatusPanel[1] = text;
        m_.lastDownload.message = text;
        m_.lastDownload.end = DownloadEnd::TransportFailed;
    }

    void badAddress() {
        const std::string text = txt(Txt::ServerNotHttp, {m_.ServerAddress});
        m_.StatusPanel[0] = txt(Txt::NoAddressStatus);
        m_.StatusPanel[1] = text;
        m_.lastDownload.statusLine = m_.StatusPanel[0];
        m_.lastDownload.message = text;
        m_.lastDownload.end = DownloadEnd::BadAddress;
    }

    // The answer may be megabytes long: only its start is shown.
    void badLine(const std::string& body) {
        const std::string shown = shortenedAnswer(body);
        if (!shown.empty())
            m_.dialogs().message(shown);
        m_.lastDownload.message = shown;
        m_.lastDownload.end = DownloadEnd::BadAnswer;
    }

    std::string progressCaption(const DrawingRecord& rec) const {
        std::string s = formatCaptionDate(rec.Date, m_.sprache) + "   ";
        for (int i = 1; i <= 5; ++i)
            s += "  " + std::to_string(rec.Numbers[static_cast<std::size_t>(i)]);
        return s;
    }

    // Decided under the lock: another program may have added drawings since
    // the download began; a stored drawing is never replaced.
    void write(const DrawingRecord& rec) {
        // Every line of one answer is stored; a date stored by anyone else is kept.
        const bool sameAnswer = m_.lastDownload.added > 0 && m_.lastDownload.lastAdded == rec.Date;
        const DrawingDatabase::Added added =
            db_.add(rec, sameAnswer ? DrawingDatabase::SameDate::AppendAfterLast : DrawingDatabase::SameDate::Keep);
        buffer_ = rec;
        if (added == DrawingDatabase::Added::Kept)
            return;
        m_.lastDownload.added += 1;
        m_.lastDownload.lastAdded = rec.Date;
    }

    MainModel& m_;
    const DrawingDatabase& db_;
    DrawingRecord buffer_;
};

} // namespace

void MainModel::KalventoClick() {
    // The menu command stays enabled while a download runs; a second download
    // inside the first would write its drawings twice, and one inside another
    // long command would end that command's operation.
    if (operation.running())
        return;
    lastDownload = DownloadResult{};
    DownloadFrame frame(*this);

    const DrawingDatabase db = database();
    if (!db.exists())
        db.createEmpty();
    const std::optional<DrawingRecord> last = db.readLast();
    const DrawingRecord buffer = last ? *last : DrawingRecord{};
    const DayNumber lastStored = last ? last->Date : 0.0;

    if (!DateTimePicker1.setDate(lastStored > 0 ? lastStored : DateTimePicker1.minDate))
        DateTimePicker1.date = DateTimePicker1.minDate;
    DateTimePicker1.setDate(nextCandidateDate(DateTimePicker1.date));

    Downloader run(*this, db, buffer);
    if (last && !isRepresentableDay(lastStored)) {
        // A file that is no drawing database (its last record holds no date):
        // nothing could be stored in it, so nothing is asked for.
        lastDownload.message =
            txt(Txt::DbNotDrawings, {DatabasePath(), std::to_string(db.readAll().size())});
        lastDownload.end = DownloadEnd::NoDrawingDatabase;
        StatusPanel[1] = lastDownload.message;
    } else if (lastStored > today()) {
        // Every request starts after the last stored drawing, so a drawing
        // entered with a date in the future would silence the download
        // for good: say so instead of asking nothing.
        lastDownload.message = txt(Txt::LastDrawingInFuture, {formatShortDate(lastStored, sprache),
                                                              formatShortDate(today(), sprache)});
        lastDownload.end = DownloadEnd::FutureLastDrawing;
        StatusPanel[1] = lastDownload.message;
    } else if (isCsvSource(ServerAddress)) {
        // The CSV export holds drawings of any weekday: the display must land
        // on the newest, so the date field starts at the last stored drawing.
        if (lastStored > 0)
            DateTimePicker1.setDate(lastStored);
        run.csv(lastStored);
    } else {
        run.protocol();
    }

    frame.close();
    Label35 = Label29;
    SpeedButton5Click();
    if (lastDownload.added > 0) {
        drawingFileChanged(); // an entry or delete before it stays as it is
        recountChart();       // the chart counts the new drawings too
    }
    // The status bar ends with what the download brought, after the first
    // start's history notice when there is one (it would be gone at once).
    if (lastDownload.end == DownloadEnd::Completed || lastDownload.end == DownloadEnd::Stopped ||
        lastDownload.end == DownloadEnd::BadAnswer) {
        const std::optional<DrawingRecord> newest = db.readLast();
        const std::string lastDate = newest ? formatShortDate(newest->Date, sprache) : std::string("-");
        StatusPanel[1] = lastDownload.added > 0
                             ? txt(Txt::DownloadAddedSummary, {std::to_string(lastDownload.added), lastDate})
                             : txt(Txt::DownloadNothingNew, {lastDate});
    }
    if (!startNotice_.empty()) {
        if (!StatusPanel[1].empty())
            StatusPanel[1] = startNotice_ + (startNotice_.back() == '.' ? " " : ". ") + StatusPanel[1];
        else
            StatusPanel[1] = startNotice_;
        startNotice_.clear();
    }
    if (lastDownload.end == DownloadEnd::BadProxyPort)
        dialogs().message(lastDownload.message);
    changed();
}

} // namespace rz
