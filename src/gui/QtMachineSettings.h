#pragma once
#include <QString>

#include <optional>
#include <string>

#include "online/OnlineServices.h"

// Settings the maker's programs recorded for every user of the machine: on
// Windows the machine-wide registry, elsewhere one INI file per program in the
// system-wide settings folder (/etc/xdg/Quendral/PROGRAM.ini, or the folders
// of XDG_CONFIG_DIRS).
// Values are plain text, as an installer writes them.
class QtMachineSettings : public rz::IMachineSettings {
public:
    QtMachineSettings() = default;
    // Another folder instead of the system-wide one (tests, portable installs).
    explicit QtMachineSettings(const QString& folder) : folder_(folder) {}

    std::optional<std::string> readText(const std::string& program, const std::string& name) override;

private:
    QString folder_;
};
