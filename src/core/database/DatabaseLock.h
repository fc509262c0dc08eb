#pragma once
#include <chrono>
#include <string>

namespace rz {

// Advisory lock that every read-modify-write of a drawing database takes, so
// that two writers (the window, the command line, a second copy of either)
// never work on the same file at once. The lock belongs to the lock file
// "<database>.lock" beside the database (a symbolic link to the database is
// followed first), so the window and the command line share it; the lock
// file itself is never removed. When that file cannot be created (a
// write-protected folder), the database file itself is locked instead.
//
// A second writer waits up to `wait` for the lock and then throws IoError
// "... database in use ...", having changed nothing.
class DatabaseLock {
public:
    explicit DatabaseLock(const std::string& databasePath, std::chrono::milliseconds wait = defaultWait());
    ~DatabaseLock();
    DatabaseLock(const DatabaseLock&) = delete;
    DatabaseLock& operator=(const DatabaseLock&) = delete;

    // The wait of every lock taken without an explicit one (5 seconds).
    static std::chrono::milliseconds defaultWait();
    static void setDefaultWait(std::chrono::milliseconds wait);

    // The lock file of a database.
    static std::string lockPathFor(const std::string& databasePath);

private:
    int fd_ = -1;
#if defined(_WIN32)
    void* handle_ = nullptr;
#endif
};

} // namespace rz
