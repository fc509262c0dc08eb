#include "app/MainModel.h"

#include "common/ProgramTexts.h"
#include "common/FileIo.h"

namespace rz {

MainModel::MainModel() {
    DateTimePicker2.date = dayFromYmd(2017, 1, 1); // designed start of the statistics window
    // A new model speaks the built-in German until a language is chosen,
    // like its message table; the program's own texts are one table.
    resetProgramTexts();
}


void MainModel::run(const std::function<void()>& command) {
    const CommandScope scope(*this); // one repaint, at the end
    try {
        command();
    } catch (const std::exception& e) {
        if (busy)
            setBusy(false);
        dialogs().message(e.what());
    } catch (...) {
        if (busy)
            setBusy(false);
        dialogs().message("Unbekannter Fehler");
    }
    changed();
}

void MainModel::changeSetting(Gs f, int value) {
    if (f == Gs::MaxRunsThousands)
        LaufMax = Settings.get(f) * 1000;
    Settings.change(f, value);
}

std::optional<std::string> MainModel::chooseSaveTarget(const FileDialogRequest& request) {
    const auto path = dialogs().saveFile(request);
    if (path && sameFile(*path, DatabasePath())) {
        dialogs().message(txt(Txt::IsProgramDatabase, {*path}));
        return std::nullopt;
    }
    return path;
}

void MainModel::setRunButtonCaption(const std::string& caption) {
    Tippsberechnen = caption;
    if (!operation.running(OperationKind::Generation))
        BitBtn4Caption = caption;
}


} // namespace rz
