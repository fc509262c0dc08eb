#pragma once
#include <functional>
#include <string>

#include "app/Services.h"
#include "common/Dates.h"
#include "download/Download.h"
#include "i18n/LanguageFiles.h"

namespace rz {

// Where the drawings come from: a data server (date by date) or a CSV export
// (the whole history at once), and the proxy of the Internet options.
struct DownloadSource {
    std::string serverAddress = kDefaultServerAddress;
    std::string proxyHost;
    std::string proxyPort = "80";
};

// What a running download shows: the two panels of the status bar and the
// drawing it is writing (its caption and date). Any member may be empty.
struct DownloadProgress {
    std::function<void(int panel, const std::string& text)> status;
    std::function<void(const std::string& caption, DayNumber date)> drawing;
};

// How a download ended, and the date its date field reached (the window looks
// that date up afterwards).
struct DownloadOutcome {
    DownloadResult result;
    DayNumber dateReached = 0.0;
};

// Brings the drawing file up to date: asks for the drawings after the last
// stored one (never a date after today) and appends them under the
// database lock; a stored drawing is never replaced. A missing file is
// created empty first. Messages the user must read at once (an answer that is
// no drawing) go to the dialogs; every other end is in the outcome.
class DrawingDownload {
public:
    DrawingDownload(std::string databasePath, const LanguageTexts& language, IHttp* http, IEvents& events,
                    IDialogs& dialogs, DayNumber today)
        : databasePath_(std::move(databasePath)), language_(language), http_(http), events_(events),
          dialogs_(dialogs), today_(today) {}

    // Runs until the file is current, the source fails or `stopRequested`
    // says so (checked between requests and drawings).
    DownloadOutcome run(const DownloadSource& source, const DownloadProgress& progress,
                        const std::function<bool()>& stopRequested);

private:
    std::string databasePath_;
    const LanguageTexts& language_;
    IHttp* http_;
    IEvents& events_;
    IDialogs& dialogs_;
    DayNumber today_;
};

} // namespace rz
