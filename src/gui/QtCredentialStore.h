#pragma once
#include <optional>
#include <string>

#include "online/OnlineServices.h"

// The system's credential store through QtKeychain (the Secret Service or
// KWallet on Linux, the Credential Manager on Windows). Nothing is ever kept
// in a plain file: without a credential store a secret is simply not kept.
// Each call waits for the store while the window goes on handling events.
class QtCredentialStore : public rz::ICredentialStore {
public:
    std::optional<std::string> readSecret(const std::string& service, const std::string& key) override;
    bool writeSecret(const std::string& service, const std::string& key, const std::string& secret) override;
};
