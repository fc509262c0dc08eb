#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "services/Platform.h"
#include "common/Dates.h"

namespace rz {

class ISettingsStore; // settings/SettingsStore.h
class IHttp;          // download/Http.h
class ICredentialStore; // online/OnlineServices.h
class IMachineSettings; // online/OnlineServices.h

// The calendar and the clock. Tests and the command line fix "today" so that
// a run is reproducible.
class IClock {
public:
    virtual ~IClock() = default;
    virtual DayNumber today() = 0;
    // A value that differs between runs, for seeding the random generator.
    virtual std::uint32_t seed() = 0;
};

// Starting another program with an argument list (no shell in between).
class IProcesses {
public:
    virtual ~IProcesses() = default;
    // Returns false when the program could not be started.
    virtual bool start(const std::string& program, const std::vector<std::string>& arguments) = 0;
};

// The system clock of this machine.
class SystemClock : public IClock {
public:
    DayNumber today() override;
    std::uint32_t seed() override;
};

// A clock that stays on one day (command line --today, tests).
class FixedClock : public SystemClock {
public:
    explicit FixedClock(DayNumber day) : day_(day) {}
    DayNumber today() override { return day_; }
    void set(DayNumber day) { day_ = day; }

private:
    DayNumber day_;
};

// Everything the core needs from outside, in one place. A null member means
// "use the headless default" (no window, no sound, dialogs cancelled,
// questions answered "no", the system clock, no programs started).
// settings and http stay null when there is no store or network;
// credentials and machineSettings when the system has none (a password is
// then not kept, no machine-wide installation is known).
struct Services {
    IDialogs* dialogs = nullptr;
    IShell* shell = nullptr;
    ISound* sound = nullptr;
    IEvents* events = nullptr;
    IClock* clock = nullptr;
    IProcesses* processes = nullptr;
    ISettingsStore* settings = nullptr;
    IHttp* http = nullptr;
    ICredentialStore* credentials = nullptr;
    IMachineSettings* machineSettings = nullptr;
};

// Headless defaults for every service that has one.
class HeadlessServices : public NullPlatform, public SystemClock, public IProcesses {
public:
    bool start(const std::string& program, const std::vector<std::string>&) override {
        lastStarted = program;
        return false;
    }
    std::string lastStarted;
};

// Fills the null members of `s` from `defaults`.
inline Services withDefaults(Services s, HeadlessServices& defaults) {
    if (!s.dialogs) s.dialogs = &defaults;
    if (!s.shell) s.shell = &defaults;
    if (!s.sound) s.sound = &defaults;
    if (!s.events) s.events = &defaults;
    if (!s.clock) s.clock = &defaults;
    if (!s.processes) s.processes = &defaults;
    return s;
}

} // namespace rz
