#include "app/MainModel.h"

namespace rz {

MainModel::MainModel()
    : dialogs(&nullPlatform_), shell(&nullPlatform_), sound(&nullPlatform_), events(&nullPlatform_) {
    DateTimePicker2.date = dayFromYmd(2017, 1, 1); // designed start of the statistics window
}

void MainModel::setPlatform(IDialogs* d, IShell* s, ISound* so, IEvents* e) {
    dialogs = d ? d : &nullPlatform_;
    shell = s ? s : &nullPlatform_;
    sound = so ? so : &nullPlatform_;
    events = e ? e : &nullPlatform_;
}

void MainModel::setBusy(bool b) {
    busy = b;
    events->setBusyCursor(b);
}

} // namespace rz
