// The download command of the window: its frame (buttons, stop, status bar)
// around the download (app/DrawingDownload.h), then the lookup and the chart.
#include <optional>

#include "app/DrawingDownload.h"
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

} // namespace

void MainModel::KalventoClick() {
    // The menu command stays enabled while a download runs; a second download
    // inside the first would write its drawings twice, and one inside another
    // long command would end that command's operation.
    if (operation.running())
        return;
    lastDownload = DownloadResult{};
    DownloadFrame frame(*this);

    DrawingDownload download(DatabasePath(), language, services().http, events(), dialogs(), today());
    DownloadProgress progress;
    progress.status = [this](int panel, const std::string& text) { StatusPanel[static_cast<std::size_t>(panel)] = text; };
    progress.drawing = [this](const std::string& caption, DayNumber date) {
        cur.Datum1 = date;
        DateTimePicker1.setDate(date);
        Label29 = caption;
    };
    // The stop button hidden, or the window closing.
    const DownloadOutcome outcome = download.run({ServerAddress, ProxyHost, ProxyPort}, progress,
                                                 [this] { return !SpeedButton8Visible || operation.stopRequested; });
    lastDownload = outcome.result;
    DateTimePicker1.setDateOrEarliest(outcome.dateReached);
    const DrawingDatabase db = database();

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
