#include "app/MainModel.h"

namespace rz {

MainModel::MainModel() : services_(withDefaults(Services{}, headless_)) {
    DateTimePicker2.date = dayFromYmd(2017, 1, 1); // designed start of the statistics window
}

void MainModel::setServices(const Services& services) { services_ = withDefaults(services, headless_); }

void MainModel::setBusy(bool b) {
    busy = b;
    events().setBusyCursor(b);
}

} // namespace rz
