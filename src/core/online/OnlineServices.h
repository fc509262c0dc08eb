#pragma once
// What the online submission needs from the system beyond the common
// services: a place for the portal password that is not a plain file, and
// the settings other programs of the maker recorded for every user.
#include <optional>
#include <string>

namespace rz {

// The system's credential store (the keyring or the password vault).
class ICredentialStore {
public:
    virtual ~ICredentialStore() = default;
    // The secret stored under service/key; nullopt when there is none or the
    // store cannot be reached.
    virtual std::optional<std::string> readSecret(const std::string& service, const std::string& key) = 0;
    // Stores the secret (an empty one removes the entry). Returns false when
    // it could not be stored; nothing is then kept anywhere else.
    virtual bool writeSecret(const std::string& service, const std::string& key, const std::string& secret) = 0;
};

// Read-only settings that programs of the maker recorded for every user of
// the machine: on Windows the machine-wide registry, elsewhere a system-wide
// settings file per program.
class IMachineSettings {
public:
    virtual ~IMachineSettings() = default;
    // The text value `name` ("Settings/Path") of the program `program`
    // ("Varendo"); nullopt when it is not recorded.
    virtual std::optional<std::string> readText(const std::string& program, const std::string& name) = 0;
};

// The credential entry of the portal password.
inline constexpr const char* kCredentialService = "Quendral Varendo";

} // namespace rz
