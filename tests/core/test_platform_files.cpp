// The file layer does the same on Windows as on POSIX systems: the atomic
// writer next to other handles and over read-only files, one file under
// several spellings, the database lock between two processes, the bounded
// reader next to devices, the system's 8-bit code page, CR LF, and file
// names outside ASCII. Built and run on both (Windows: the MinGW-w64 build
// under Wine, scripts/test-windows).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "Wine.h"
#include "common/FileIo.h"
#include "common/Path.h"
#include "common/TextCodec.h"
#include "common/TextFile.h"
#include "database/DatabaseLock.h"
#include "online/ClickScript.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

using namespace rz;
using rz::test::TempDir;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::string errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const IoError& e) {
        return e.what();
    }
    return std::string();
}

// The names in a folder, read through the wide-character API on Windows.
std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> out;
    for (const auto& entry : fs::directory_iterator(toPath(folder)))
        out.push_back(fromPath(entry.path().filename()));
    std::sort(out.begin(), out.end());
    return out;
}

// Files named in UTF-8, opened through the wide-character API on Windows
// (the shared test helpers take the ANSI code page there).
std::string inDir(const TempDir& dir, const std::string& name) { return fromPath(toPath(dir.str()) / toPath(name)); }

void putFile(const std::string& path, const std::string& content) {
    std::ofstream out(toPath(path), std::ios::binary | std::ios::trunc);
    out << content;
}

std::string getFile(const std::string& path) {
    std::ifstream in(toPath(path), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

void setEnv(const char* name, const std::string& value) {
#if defined(_WIN32)
    ::_putenv_s(name, value.c_str());
#else
    ::setenv(name, value.c_str(), 1);
#endif
}

// This test program started once more, running only `filter`, with the
// environment of this process. Returns a function that waits for its end and
// gives its exit code.
std::function<int()> startSelf(const std::string& filter) {
    const std::string filterArg = "--gtest_filter=" + filter;
#if defined(_WIN32)
    wchar_t self[MAX_PATH * 4];
    const DWORD n = ::GetModuleFileNameW(nullptr, self, static_cast<DWORD>(std::size(self)));
    EXPECT_GT(n, 0u);
    std::wstring commandLine = L"\"" + std::wstring(self, n) + L"\" " +
                               std::wstring(filterArg.begin(), filterArg.end()) + L" --gtest_also_run_disabled_tests";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(self, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        ADD_FAILURE() << "CreateProcessW failed: " << ::GetLastError();
        return [] { return -1; };
    }
    ::CloseHandle(pi.hThread);
    return [h = pi.hProcess] {
        ::WaitForSingleObject(h, 60000);
        DWORD code = 0;
        ::GetExitCodeProcess(h, &code);
        ::CloseHandle(h);
        return static_cast<int>(code);
    };
#else
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    std::vector<std::string> args{self, filterArg, "--gtest_also_run_disabled_tests"};
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (::posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
        ADD_FAILURE() << "posix_spawn failed";
        return [] { return -1; };
    }
    return [pid] {
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
#endif
}

// Spellings of the existing file `file` (absolute) that name the same file:
// on Windows other letter cases, the other separator, the short name where
// the file system has one; everywhere a detour through the folder's parent.
std::vector<std::string> otherSpellings(const std::string& file) {
    std::vector<std::string> out;
    const fs::path p = toPath(file);
    out.push_back(fromPath(p.parent_path() / ".." / p.parent_path().filename() / p.filename()));
    out.push_back(fromPath(p.parent_path() / "." / p.filename()));
#if defined(_WIN32)
    std::string backslashes = file, slashes = file;
    std::replace(backslashes.begin(), backslashes.end(), '/', '\\');
    std::replace(slashes.begin(), slashes.end(), '\\', '/');
    out.push_back(backslashes);
    out.push_back(slashes);
    std::string drive = backslashes;
    if (drive.size() > 1 && drive[1] == ':') {
        drive[0] = static_cast<char>(std::islower(static_cast<unsigned char>(drive[0])) ? std::toupper(drive[0])
                                                                                       : std::tolower(drive[0]));
        out.push_back(drive);
    }
    std::string upper = backslashes;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    out.push_back(upper);
    wchar_t shortName[MAX_PATH * 4];
    const std::wstring wide = toPath(file).wstring();
    const DWORD n = ::GetShortPathNameW(wide.c_str(), shortName, static_cast<DWORD>(std::size(shortName)));
    if (n > 0 && n < std::size(shortName) && std::wstring(shortName, n) != wide)
        out.push_back(fromPath(fs::path(std::wstring(shortName, n))));
#else
    const std::string hardLink = file + ".hard";
    fs::create_hard_link(p, toPath(hardLink));
    out.push_back(hardLink);
#endif
    return out;
}

} // namespace

// ------------------------------------------------------------ atomic writer

TEST(PlatformFiles, ReplacesAFileThatTheProgramIsReading) {
    TempDir dir;
    const std::string file = fromPath(fs::absolute(toPath(inDir(dir, "Ruvuzevodare.dat"))));
    std::string old(300000, '\0');
    for (std::size_t i = 0; i < old.size(); ++i)
        old[i] = static_cast<char>(i * 13 + 1);
    putFile(file, old);

    ReadOnlyFile reader(file);
    char first[10];
    ASSERT_EQ(reader.readFully(first, sizeof first), sizeof first);
    // Wine's server refuses any rename over a file that is open, whatever
    // its sharing (Windows 10 and POSIX systems replace it).
    if (rz::test::runningUnderWine())
        GTEST_SKIP() << "Wine cannot rename over an open file";
    ASSERT_NO_THROW(writeFileAtomically(file, "new content"));

    EXPECT_EQ(readWholeFile(file), "new content");
    // The open reader goes on with the old file, to its end.
    EXPECT_EQ(reader.readRest(), old.substr(sizeof first));
    EXPECT_EQ(namesIn(dir.str()), std::vector<std::string>{"Ruvuzevodare.dat"});
}

#if defined(_WIN32)
TEST(PlatformFiles, AFileAnotherProgramHoldsWithoutSharingIsReportedAndKept) {
    TempDir dir;
    const std::string file = inDir(dir, "tips.qlt");
    putFile(file, "old");
    // Open the way a program does that locks the file for itself.
    HANDLE h = ::CreateFileW(toPath(file).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    const std::string error = errorOf([&] { writeFileAtomically(file, "new"); });
    ::CloseHandle(h);
    const std::string temporary = fromPath(toPath(file).parent_path() / "tips.qlt."); // and a unique end
    EXPECT_EQ(error.rfind("\"" + temporary, 0), 0u) << error;
    EXPECT_NE(error.find("\" kann nicht in \"" + file + "\" umbenannt werden: "), std::string::npos) << error;
    const bool held = error.find(": wird gerade benutzt") != std::string::npos; // sharing violation
    const bool denied = error.find(": Zugriff verweigert") != std::string::npos; // what Wine says
    EXPECT_TRUE(held || denied) << error;
    EXPECT_EQ(getFile(file), "old");
    EXPECT_EQ(namesIn(dir.str()), std::vector<std::string>{"tips.qlt"});
    // Once it is let go, the file is replaced.
    writeFileAtomically(file, "new");
    EXPECT_EQ(getFile(file), "new");
}
#endif

TEST(PlatformFiles, ReadOnlyFileIsReportedAndUnchanged) {
    TempDir dir;
    const std::string file = inDir(dir, "tips.qlt");
    putFile(file, "old\r\n");
    const auto writeBits = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    fs::permissions(toPath(file), writeBits, fs::perm_options::remove);
    const std::string error = errorOf([&] { writeFileAtomically(file, "new\r\n"); });
    EXPECT_NE(error.find("schreibgeschützt"), std::string::npos) << error;
    EXPECT_NE(error.find(file), std::string::npos) << error;
    EXPECT_EQ(getFile(file), "old\r\n");
    EXPECT_EQ(namesIn(dir.str()), std::vector<std::string>{"tips.qlt"});
    fs::permissions(toPath(file), fs::perms::owner_write, fs::perm_options::add);
    writeFileAtomically(file, "new\r\n");
    EXPECT_EQ(getFile(file), "new\r\n");
}

// ----------------------------------------------------- one file, many names

TEST(PlatformFiles, OneFileUnderAnotherSpellingIsTheSameFileAndShareItsLock) {
    TempDir dir;
    fs::create_directories(toPath(inDir(dir, "sub")));
    const std::string file = fromPath(fs::absolute(toPath(inDir(dir, "Ruvuzevodare.dat"))));
    putFile(file, std::string(32, '\0'));
    const std::string other = fromPath(fs::absolute(toPath(inDir(dir, "Other.dat"))));
    putFile(other, "x");

    DatabaseLock held(file, 0ms);
    for (const std::string& spelling : otherSpellings(file)) {
        EXPECT_TRUE(sameFile(file, spelling)) << spelling;
        EXPECT_TRUE(sameFile(spelling, file)) << spelling;
        EXPECT_FALSE(sameFile(spelling, other)) << spelling;
        // (A hard link is another name with a lock file of its own: not covered.)
        if (spelling.size() > 5 && spelling.substr(spelling.size() - 5) == ".hard")
            continue;
        const std::string error = errorOf([&] { DatabaseLock second(spelling, 50ms); });
        EXPECT_NE(error.find("von einem anderen Programm benutzt"), std::string::npos) << spelling << ": " << error;
    }
    DatabaseLock unrelated(other, 0ms); // another file's lock is free
}

// ---------------------------------------------------------- database lock

// The second process of the test below: holds the lock on $RZ_LOCK_DB, says
// so with a file, and lets go once the file "release" appears beside it.
TEST(PlatformFilesChild, DISABLED_HoldsTheDatabaseLock) {
    const char* db = std::getenv("RZ_LOCK_DB");
    if (db == nullptr || *db == '\0')
        GTEST_SKIP() << "only as the second process of DatabaseLockBetweenProcesses";
    DatabaseLock lock(db, 5000ms);
    writeFileAtomically(std::string(db) + ".held", "1");
    const bool released = waitFor([&] { return fs::exists(toPath(std::string(db) + ".release")); }, 30000ms);
    EXPECT_TRUE(released);
}

TEST(PlatformFiles, DatabaseLockBetweenProcesses) {
    TempDir dir;
    const std::string db = fromPath(fs::absolute(toPath(inDir(dir, "Zählung.dat"))));
    putFile(db, std::string(32, '\0'));
    setEnv("RZ_LOCK_DB", db);
    auto waitChild = startSelf("PlatformFilesChild.DISABLED_HoldsTheDatabaseLock");
    setEnv("RZ_LOCK_DB", "");
    ASSERT_TRUE(waitFor([&] { return fs::exists(toPath(db + ".held")); }, 30000ms)) << "the second process never locked";

    const auto start = std::chrono::steady_clock::now();
    const std::string error = errorOf([&] { DatabaseLock mine(db, 300ms); });
    EXPECT_NE(error.find("von einem anderen Programm benutzt"), std::string::npos) << error;
    EXPECT_GE(std::chrono::steady_clock::now() - start, 250ms);

    // Let go: a waiting lock gets it as soon as the other process ends.
    putFile(db + ".release", "");
    EXPECT_NO_THROW(DatabaseLock mine(db, 20000ms));
    EXPECT_EQ(waitChild(), 0);
}

// ---------------------------------------------------------- bounded reader

TEST(PlatformFiles, BoundedReaderRefusesFoldersDevicesAndMissingFilesAtOnce) {
    TempDir dir;
    std::vector<std::string> paths{inDir(dir, "missing.dat"), inDir(dir, "")};
#if defined(_WIN32)
    for (const char* device : {"NUL", "CON", "CONIN$", "\\\\.\\NUL", "COM1"})
        paths.push_back(device);
#else
    for (const char* device : {"/dev/null", "/dev/zero", "/dev/tty"})
        paths.push_back(device);
#endif
    for (const std::string& path : paths) {
        const auto start = std::chrono::steady_clock::now();
        const std::string error = errorOf([&] { readWholeFile(path); });
        EXPECT_NE(error.find("kann nicht geöffnet werden"), std::string::npos) << path << ": " << error;
        EXPECT_LT(std::chrono::steady_clock::now() - start, 5s) << path;
    }
    putFile(inDir(dir, "big.txt"), std::string(2049, 'x'));
    EXPECT_NE(errorOf([&] { readWholeFile(inDir(dir, "big.txt"), 2048); }).find("größer als 2048"), std::string::npos);
    EXPECT_EQ(readWholeFile(inDir(dir, "big.txt"), 2049).size(), 2049u);
}

// ------------------------------------------------ text: code page and CR LF

TEST(PlatformFiles, SystemTextFilesUseTheSystemsEightBitForm) {
    TempDir dir;
    const std::string text = "Zähler € Œ “x”\r\n";
#if defined(_WIN32)
    EXPECT_EQ(systemTextEncoding(), TextEncoding::Windows1252);
    const std::string expected = "Z\xE4hler \x80 \x8C \x93x\x94\r\n";
#else
    EXPECT_EQ(systemTextEncoding(), TextEncoding::Utf8);
    const std::string expected = text;
#endif
    writeTextFile(inDir(dir, "t.txt"), text);
    EXPECT_EQ(getFile(inDir(dir, "t.txt")), expected);
    const DecodedText back = decodeText(getFile(inDir(dir, "t.txt")));
    EXPECT_EQ(back.text, text);
}

TEST(PlatformFiles, WrittenTextLinesEndInCrLfOnEverySystem) {
    TempDir dir;
    writeTextFile(inDir(dir, "a.txt"), joinLinesCrLf({"one", "two", ""}));
    EXPECT_EQ(getFile(inDir(dir, "a.txt")), "one\r\ntwo\r\n\r\n");
    // The writer never adds a CR of its own (no text mode anywhere).
    writeFileAtomically(inDir(dir, "b.bin"), "a\nb\r\n");
    EXPECT_EQ(getFile(inDir(dir, "b.bin")), "a\nb\r\n");
}

// -------------------------------------------------- names outside ASCII

TEST(PlatformFiles, FileNamesOutsideAsciiKeepEveryCharacter) {
    TempDir dir;
    // Latin-1, beyond Windows-1252 (Cyrillic, Chinese) and outside the BMP.
    const std::vector<std::string> names{"Zählung-€.dat", "данные.qlt", "号码.qcs", "tip-\xF0\x9F\x8E\xB2.txt"};
    for (const std::string& name : names) {
        const std::string path = inDir(dir, name);
        writeFileAtomically(path, "content of " + name);
        EXPECT_EQ(readWholeFile(path), "content of " + name);
        EXPECT_TRUE(sameFile(path, inDir(dir, name)));
        DatabaseLock lock(path, 0ms);
    }
    // The names on disk are exactly these, and the locks beside them.
    std::vector<std::string> expected;
    for (const std::string& name : names) {
        expected.push_back(name);
        expected.push_back(name + ".lock");
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(namesIn(dir.str()), expected);
    const std::vector<std::string> scripts = listClickScripts(dir.str());
    ASSERT_EQ(scripts.size(), 1u);
    EXPECT_TRUE(sameFile(scripts[0], inDir(dir, "号码.qcs"))) << scripts[0];
}
