// Start-up sequence, first show and the import command of the main window.
#include <filesystem>

#include "app/MainModel.h"
#include "common/ProgramTexts.h"
#include "database/Importer.h"
#include "i18n/LanguageFiles.h"
#include "app/SettingsPersistence.h"

namespace rz {

void MainModel::FormCreate(const AppPaths& paths) {
    dfb = today();
    usePaths(paths);
    SoundName = "yippee.wav";
    LaufMax = 100000;
    sortieren = false;
    Berechnunglaeuft = false;

    // Stored settings; without a store the designed values stand.
    if (services().settings)
        loadSettings(*this, *services().settings);
    sortieren = true;

    // A stored statistics start later than a week ago would leave no window.
    if (DateTimePicker2.date > today() - 7)
        DateTimePicker2.date = DateTimePicker2.minDate;
    Settings.fixExcludeDbClassRange();
    LaufMax = Settings.get(Gs::MaxRunsThousands) * 1000;
    if (ProxyHost.empty())
        ProxyPort = "80";
    ZahlenFile = kDrawingFileName;
    rng.RandSeed = clock().seed();
    aktDatum = DateTimePicker2.date;
    DateTimePicker1.setDate(today());
    // Installed: the user's files go to a folder that may not exist yet.
    paths.prepareUserFolder();
}

void MainModel::SpracheSetzen() {
    // Languages 1..8 are applied now that every window exists; any other
    // value keeps the built-in German texts.
    if (languageBySprache(sprache)) {
        try {
            chooseLanguage(sprache);
        } catch (const IoError& e) {
            // An unreadable language file is reported; start-up goes on.
            dialogs().message(e.what());
        }
    }
    loadBundledHistory();
    SpeedButton5Click();
    SpeedButton2Click();
}

void MainModel::FormShow() {
    KalventoClick();
    SpeedButton2Click();
}

void MainModel::FormClose() {
    // A running loop is asked to stop; it ends at its next step.
    if (operation.running(OperationKind::Generation))
        Label28Click();
    else
        operation.requestStop();
    // The settings are written once the loop has put back what it changed.
    settingsSavePending_ = true;
    if (!operation.running())
        finishClose();
}

void MainModel::finishClose() {
    if (!settingsSavePending_ || operation.running())
        return;
    settingsSavePending_ = false;
    if (services().settings)
        saveSettings(*this, *services().settings);
}

void MainModel::importCommand() {
    if (operation.running(OperationKind::Download))
        return; // the download appends meanwhile
    FileDialogRequest req;
    req.filter = txt(Txt::ImportFileFilter);
    req.defaultExt = "csv";
    req.initialDir = paths().userFolder();
    const auto file = dialogs().openFile(req);
    if (!file)
        return;
    ImportResult res;
    setBusy(true);
    try {
        res = importDrawingHistory(*file, DatabasePath(), today());
    } catch (const IoError& e) {
        setBusy(false);
        dialogs().message(e.what());
        return;
    }
    setBusy(false);
    dialogs().message(res.report());
    if (res.ok) {
        drawingFileChanged();
        // Show the newest stored drawing.
        if (const auto last = database().readLast())
            DateTimePicker1.setDate(last->Date);
        SpeedButton5Click();
        SpeedButton2Click();
    }
    changed();
}

} // namespace rz
