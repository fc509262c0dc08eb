// The download: date by date from a data server, or once from a CSV export,
// appending the drawings after the last stored one.
#include "app/DrawingDownload.h"

#include "common/ProgramTexts.h"
#include "common/Text.h"
#include "database/DrawingDatabase.h"
#include "database/Importer.h"
#include "download/Http.h"
#include "services/Operation.h"

namespace rz {
namespace {

class Downloader {
public:
    Downloader(const DrawingDatabase& db, const DrawingRecord& buffer, const DownloadSource& source,
               const LanguageTexts& language, IHttp* http, IEvents& events, IDialogs& dialogs, DayNumber today,
               const DownloadProgress& progress, const std::function<bool()>& stopRequested, DownloadOutcome& out,
               DatePicker& dateField)
        : db_(db), buffer_(buffer), source_(source), language_(language), http_(http), events_(events),
          dialogs_(dialogs), today_(today), progress_(progress), stopRequested_(stopRequested), out_(out),
          result_(out.result), dateField_(dateField) {}

    // Step by step over the candidate dates, two requests at most per date.
    void protocol() {
        while (dateField_.date <= today_ && !stopRequested()) {
            const DayNumber d = dateField_.date;
            HttpRequest req;
            if (!applyProxy(req))
                return;
            status(0, "Loading");
            req.url = drawingRequestUrl(source_.serverAddress, d + 1);
            if (req.url.empty())
                return badAddress();
            HttpResponse res = send(req);
            if (res.answered() && res.status < 400 && res.body.empty()) {
                req.url = drawingRequestUrl(source_.serverAddress, d);
                res = send(req);
            }
            if (!res.answered())
                return transportFailure(res);
            showAnswerStatus(res);
            if (res.status < 400) {
                for (const std::string& line : splitAnswerLines(res.body)) {
                    DrawingRecord rec = buffer_;
                    if (!parseAnswerLine(line, rec.Numbers))
                        return badLine(res.body);
                    rec.Date = d;
                    showDrawing(rec);
                    events_.processPendingEvents();
                    write(rec);
                }
            }
            dateField_.setDate(nextCandidateDate(d));
        }
        result_.end = stopRequested() ? DownloadEnd::Stopped : DownloadEnd::Completed;
    }

    // The whole history in one file; only drawings after the last stored one
    // are taken, a stored drawing is never replaced.
    void csv(DayNumber lastStored) {
        HttpRequest req;
        if (!applyProxy(req))
            return;
        req.url = normaliseServerAddress(source_.serverAddress);
        status(0, "Loading");
        const HttpResponse res = send(req);
        if (!res.answered())
            return transportFailure(res);
        showAnswerStatus(res);
        if (res.status >= 400) {
            result_.end = DownloadEnd::Completed;
            return;
        }
        std::vector<DrawingRecord> incoming;
        const ImportResult parsed = parseDrawingHistory(res.body, incoming);
        if (!parsed.ok) {
            const std::string text = txt(Txt::AnswerUnreadable, {req.url, parsed.error});
            dialogs_.message(text);
            result_.message = text;
            result_.end = DownloadEnd::BadAnswer;
            return;
        }
        Yielder yield(events_);
        bool first = true;
        for (const DrawingRecord& r : incoming) { // ascending dates
            if (r.Date <= lastStored || r.Date > today_)
                continue;
            if (stopRequested())
                break;
            DrawingRecord rec = buffer_; // bytes 16..31 as in the record buffer
            rec.Date = r.Date;
            rec.Numbers = r.Numbers;
            dateField_.setDate(r.Date);
            showDrawing(rec);
            if (first)
                yield.now(); // the first drawing shows at once
            else
                yield();
            first = false;
            write(rec);
        }
        result_.end = stopRequested() ? DownloadEnd::Stopped : DownloadEnd::Completed;
    }

private:
    bool stopRequested() const { return stopRequested_ && stopRequested_(); }
    void status(int panel, const std::string& text) const {
        if (progress_.status)
            progress_.status(panel, text);
    }
    void showDrawing(const DrawingRecord& rec) const {
        if (!progress_.drawing)
            return;
        std::string caption = formatCaptionDate(rec.Date, language_.language) + "   ";
        for (int i = 1; i <= 5; ++i)
            caption += "  " + std::to_string(rec.Numbers[static_cast<std::size_t>(i)]);
        progress_.drawing(caption, rec.Date);
    }

    // The proxy of the Internet options, before every request.
    bool applyProxy(HttpRequest& req) {
        if (applyRequestSettings(req, source_.proxyHost, source_.proxyPort, result_.message))
            return true;
        result_.end = DownloadEnd::BadProxyPort;
        return false; // the window tells it once its buttons are back
    }

    HttpResponse send(const HttpRequest& req) {
        result_.requests += 1;
        return fetch(http_, events_, req, [this] { return stopRequested(); });
    }

    void showAnswerStatus(const HttpResponse& res) {
        status(0, res.statusLine);
        status(1, language_.msg(Msg::NoWarranty));
        result_.statusLine = res.statusLine;
    }

    void transportFailure(const HttpResponse& res) {
        const std::string caption = failureCaption(res);
        status(0, caption);
        result_.statusLine = caption;
        if (res.failure == HttpFailure::Aborted) {
            result_.end = DownloadEnd::Stopped;
            return;
        }
        // The client's own words (a library's, often English) only where the
        // kind of failure says nothing.
        const std::string why = res.failure == HttpFailure::Other && !res.failureText.empty() ? res.failureText : caption;
        const std::string text = txt(Txt::NoConnectionBecause, {normaliseServerAddress(source_.serverAddress), why});
        status(1, text);
        result_.message = text;
        result_.end = DownloadEnd::TransportFailed;
    }

    void badAddress() {
        const std::string text = txt(Txt::ServerNotHttp, {source_.serverAddress});
        status(0, txt(Txt::NoAddressStatus));
        status(1, text);
        result_.statusLine = txt(Txt::NoAddressStatus);
        result_.message = text;
        result_.end = DownloadEnd::BadAddress;
    }

    // The answer may be megabytes long: only its start is shown.
    void badLine(const std::string& body) {
        const std::string shown = shortenedAnswer(body);
        if (!shown.empty())
            dialogs_.message(shown);
        result_.message = shown;
        result_.end = DownloadEnd::BadAnswer;
    }

    // Decided under the lock: another program may have added drawings since
    // the download began; a stored drawing is never replaced.
    void write(const DrawingRecord& rec) {
        // Every line of one answer is stored; a date stored by anyone else is kept.
        const bool sameAnswer = result_.added > 0 && result_.lastAdded == rec.Date;
        const DrawingDatabase::Added added =
            db_.add(rec, sameAnswer ? DrawingDatabase::SameDate::AppendAfterLast : DrawingDatabase::SameDate::Keep);
        buffer_ = rec;
        if (added == DrawingDatabase::Added::Kept)
            return;
        result_.added += 1;
        result_.lastAdded = rec.Date;
    }

    const DrawingDatabase& db_;
    DrawingRecord buffer_;
    const DownloadSource& source_;
    const LanguageTexts& language_;
    IHttp* http_;
    IEvents& events_;
    IDialogs& dialogs_;
    DayNumber today_;
    const DownloadProgress& progress_;
    const std::function<bool()>& stopRequested_;
    DownloadOutcome& out_;
    DownloadResult& result_;
    DatePicker& dateField_;
};

} // namespace

DownloadOutcome DrawingDownload::run(const DownloadSource& source, const DownloadProgress& progress,
                                     const std::function<bool()>& stopRequested) {
    DownloadOutcome out;
    const DrawingDatabase db(databasePath_);
    if (!db.exists())
        db.createEmpty();
    const std::optional<DrawingRecord> last = db.readLast();
    const DrawingRecord buffer = last ? *last : DrawingRecord{};
    const DayNumber lastStored = last ? last->Date : 0.0;

    // The date field starts at the candidate after the last stored drawing.
    DatePicker dateField;
    dateField.setDateOrEarliest(lastStored > 0 ? lastStored : dateField.minDate);
    dateField.setDate(nextCandidateDate(dateField.date));

    Downloader downloader(db, buffer, source, language_, http_, events_, dialogs_, today_, progress, stopRequested,
                          out, dateField);
    DownloadResult& result = out.result;
    if (last && !isRepresentableDay(lastStored)) {
        // A file that is no drawing database (its last record holds no date):
        // nothing could be stored in it, so nothing is asked for.
        result.message = txt(Txt::DbNotDrawings, {databasePath_, std::to_string(db.readAll().size())});
        result.end = DownloadEnd::NoDrawingDatabase;
        if (progress.status)
            progress.status(1, result.message);
    } else if (lastStored > today_) {
        // Every request starts after the last stored drawing, so a drawing
        // entered with a date in the future would silence the download
        // for good: say so instead of asking nothing.
        result.message = txt(Txt::LastDrawingInFuture, {formatShortDate(lastStored, language_.language),
                                                        formatShortDate(today_, language_.language)});
        result.end = DownloadEnd::FutureLastDrawing;
        if (progress.status)
            progress.status(1, result.message);
    } else if (isCsvSource(source.serverAddress)) {
        // The CSV export holds drawings of any weekday: the display must land
        // on the newest, so the date field starts at the last stored drawing.
        if (lastStored > 0)
            dateField.setDate(lastStored);
        downloader.csv(lastStored);
    } else {
        downloader.protocol();
    }
    out.dateReached = dateField.date;
    return out;
}

} // namespace rz
