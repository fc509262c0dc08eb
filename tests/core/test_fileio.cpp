// The file layer: the bounded reader and the atomic writer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "FaultInjection.h"
#include "TestSupport.h"
#include "common/FileIo.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace rz;
using rz::test::FaultHook;
using rz::test::Step;
using rz::test::TempDir;
namespace fs = std::filesystem;

namespace {

std::string errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const IoError& e) {
        return e.what();
    }
    return std::string();
}

#if !defined(_WIN32)
mode_t modeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}
#endif

} // namespace

// ------------------------------------------------------------------ reading

TEST(BoundedReader, ReadsRegularFilesWhole) {
    TempDir dir;
    std::string content(200000, '\0');
    for (std::size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<char>(i * 7);
    test::writeFile(dir.file("f.bin"), content);
    EXPECT_EQ(readWholeFile(dir.file("f.bin")), content);
    test::writeFile(dir.file("empty"), "");
    EXPECT_EQ(readWholeFile(dir.file("empty")), "");
}

#if !defined(_WIN32)
TEST(BoundedReader, RefusesWhatIsNoRegularFileWithoutBlocking) {
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
    ::symlink(dir.file("pipe").c_str(), dir.file("link-to-pipe").c_str());
    const struct {
        std::string path;
        const char* expected;
    } cases[] = {
        {dir.file("pipe"), "keine gewöhnliche Datei"},
        {dir.file("link-to-pipe"), "keine gewöhnliche Datei"},
        {"/dev/zero", "keine gewöhnliche Datei"},
        {"/dev/null", "keine gewöhnliche Datei"},
        {dir.str(), "ist ein Ordner"},
        {dir.file("missing"), "Datei oder Ordner nicht gefunden"},
    };
    for (const auto& c : cases) {
        const std::string error = errorOf([&] { readWholeFile(c.path); });
        EXPECT_NE(error.find(c.expected), std::string::npos) << c.path << ": " << error;
        EXPECT_NE(error.find(c.path), std::string::npos) << error;
    }
}
#endif

TEST(BoundedReader, RefusesFilesAboveTheLimit) {
    TempDir dir;
    const std::string big = dir.file("big");
    test::writeFile(big, "");
    fs::resize_file(big, static_cast<std::uintmax_t>(kMaxReadFileSize) + 1); // sparse: costs no disk
    const std::string error = errorOf([&] { readWholeFile(big); });
    EXPECT_NE(error.find("größer als 64 MB"), std::string::npos) << error;
    fs::resize_file(big, 10);
    EXPECT_EQ(readWholeFile(big), std::string(10, '\0'));
    EXPECT_NE(errorOf([&] { readWholeFile(big, 9); }).find("größer als 9 bytes"), std::string::npos);
}

TEST(BoundedReader, ReadErrorsCarryTheSystemText) {
    TempDir dir;
    test::writeFile(dir.file("f"), "some text");
    for (int nth : {1, 2}) { // the first read, and the one that would find the end
        FaultHook hook(test::failNth(Step::Read, nth, EIO));
        const std::string error = errorOf([&] { readWholeFile(dir.file("f")); });
        EXPECT_NE(error.find("\"" + dir.file("f") + "\" kann nicht gelesen werden: " + systemErrorText(EIO)), std::string::npos)
            << nth << ": " << error;
    }
}

// ------------------------------------------------------------------ writing

TEST(AtomicWriter, CreatesAndReplaces) {
    TempDir dir;
    const std::string f = dir.file("t.txt");
    writeFileAtomically(f, "one");
    EXPECT_EQ(test::readFile(f), "one");
    writeFileAtomically(f, "two, longer");
    EXPECT_EQ(test::readFile(f), "two, longer");
    writeFileAtomically(f, "");
    EXPECT_EQ(test::readFile(f), "");
    EXPECT_TRUE(test::temporariesBeside(f).empty());
    EXPECT_NE(errorOf([&] { writeFileAtomically(dir.file("no-folder/t.txt"), "x"); }).find("Datei oder Ordner nicht gefunden"), std::string::npos);
}

TEST(AtomicWriter, FailureAtEveryStepLeavesTheOldFileAndNoTemporaryFile) {
    TempDir dir;
    const std::string f = dir.file("t.txt");
    test::writeFile(f, "old content");
    test::StepLog log;
    {
        FaultHook hook(log.hook());
        writeFileAtomically(f, "probe");
    }
#if defined(_WIN32)
    // No folder to sync: the rename itself is written through.
    ASSERT_EQ(log.steps, (std::vector<Step>{Step::Open, Step::Write, Step::SyncFile, Step::Close, Step::Rename}));
#else
    ASSERT_GE(log.steps.size(), 6u);
#endif
    for (std::size_t k = 0; k < log.steps.size(); ++k) {
        const Step step = log.steps[k];
        test::writeFile(f, "old content");
        int call = 0;
        const bool afterRename = k > 0 && std::find(log.steps.begin(), log.steps.begin() + static_cast<long>(k), Step::Rename) !=
                                               log.steps.begin() + static_cast<long>(k);
        FaultHook hook([&](Step, const std::string&) { return call++ == static_cast<int>(k) ? EIO : 0; });
        const std::string error = errorOf([&] { writeFileAtomically(f, "new content"); });
        EXPECT_NE(error.find(systemErrorText(EIO)), std::string::npos) << fileio_test::stepName(step);
        // Only the folder sync after the rename comes too late to keep the old file.
        EXPECT_EQ(test::readFile(f), afterRename ? "new content" : "old content") << fileio_test::stepName(step);
        EXPECT_TRUE(test::temporariesBeside(f).empty()) << fileio_test::stepName(step);
    }
}

TEST(AtomicWriter, FailedSyncRenamesNothing) {
    TempDir dir;
    const std::string f = dir.file("t.txt");
    test::writeFile(f, "old");
#if defined(_WIN32)
    const std::vector<Step> syncs{Step::SyncFile}; // Windows has no folder sync
#else
    const std::vector<Step> syncs{Step::SyncFile, Step::SyncFolder};
#endif
    for (Step step : syncs) {
        FaultHook hook(test::failNth(step, 1, EIO));
        EXPECT_THROW(writeFileAtomically(f, "new"), IoError) << fileio_test::stepName(step);
        EXPECT_EQ(test::readFile(f), "old");
        EXPECT_TRUE(test::temporariesBeside(f).empty());
    }
}

#if !defined(_WIN32)
TEST(AtomicWriter, KeepsPermissionsAndOwner) {
    TempDir dir;
    const std::string f = dir.file("t.txt");
    for (mode_t mode : {mode_t{0600}, mode_t{0640}, mode_t{0604}, mode_t{0755}}) {
        test::writeFile(f, "old");
        ::chmod(f.c_str(), mode);
        writeFileAtomically(f, "new");
        EXPECT_EQ(modeOf(f), mode);
        EXPECT_EQ(test::readFile(f), "new");
    }
    if (::geteuid() == 0) { // only the administrator can hand a file to someone else
        ASSERT_EQ(::chown(f.c_str(), 4321, 4322), 0);
        writeFileAtomically(f, "newer");
        struct stat st {};
        ::stat(f.c_str(), &st);
        EXPECT_EQ(st.st_uid, 4321u);
        EXPECT_EQ(st.st_gid, 4322u);
    }
}

TEST(AtomicWriter, WriteProtectedOrSpecialTargetsAreReportedAndUnchanged) {
    TempDir dir;
    const std::string f = dir.file("t.txt");
    test::writeFile(f, "protected");
    ::chmod(f.c_str(), 0444);
    std::string error = errorOf([&] { writeFileAtomically(f, "new"); });
    EXPECT_NE(error.find("schreibgeschützt"), std::string::npos) << error;
    EXPECT_EQ(test::readFile(f), "protected");
    EXPECT_EQ(modeOf(f), 0444u);

    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
    error = errorOf([&] { writeFileAtomically(dir.file("pipe"), "x"); });
    EXPECT_NE(error.find("keine gewöhnliche Datei"), std::string::npos) << error;
    struct stat st {};
    ::lstat(dir.file("pipe").c_str(), &st);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));

    fs::create_directory(dir.file("folder"));
    error = errorOf([&] { writeFileAtomically(dir.file("folder"), "x"); });
    EXPECT_NE(error.find(systemErrorText(EISDIR)), std::string::npos) << error;
    EXPECT_TRUE(fs::is_empty(dir.file("folder")));
}

TEST(AtomicWriter, ReplacesTheTargetOfASymbolicLinkBesideIt) {
    TempDir dir;
    fs::create_directory(dir.file("real"));
    const std::string target = dir.file("real/t.txt");
    test::writeFile(target, "old");
    fs::create_symlink("real/t.txt", dir.file("link.txt")); // relative, as users make them
    fs::create_symlink(dir.file("link.txt"), dir.file("link2.txt")); // and a chain
    writeFileAtomically(dir.file("link2.txt"), "new");
    EXPECT_TRUE(fs::is_symlink(dir.file("link.txt")));
    EXPECT_TRUE(fs::is_symlink(dir.file("link2.txt")));
    EXPECT_EQ(test::readFile(target), "new");
    EXPECT_TRUE(test::temporariesBeside(dir.file("link2.txt")).empty());
    EXPECT_TRUE(test::temporariesBeside(target).empty());

    // A dangling link: the file is created where it points.
    fs::create_symlink("real/new.txt", dir.file("dangling.txt"));
    writeFileAtomically(dir.file("dangling.txt"), "fresh");
    EXPECT_EQ(test::readFile(dir.file("real/new.txt")), "fresh");
    EXPECT_TRUE(fs::is_symlink(dir.file("dangling.txt")));

    fs::create_symlink("loop-b", dir.file("loop-a"));
    fs::create_symlink("loop-a", dir.file("loop-b"));
    EXPECT_THROW(writeFileAtomically(dir.file("loop-a"), "x"), IoError);
}

TEST(AtomicWriter, ATakenTemporaryNameIsPassedOverAndNeverFollowed) {
    TempDir dir;
    const std::string f = dir.file("t.txt");
    test::writeFile(f, "old");
    test::writeFile(dir.file("victim.txt"), "precious");
    // Files of the old fixed name left by an earlier version stay untouched.
    fs::create_symlink(dir.file("victim.txt"), f + ".tmp");
    // Whatever takes the name the writer picked just before it opens it (a
    // link, a half-written file, a folder) is not opened: another name is.
    int kind = 0;
    for (const char* what : {"link", "file", "folder"}) {
        std::string taken;
        {
            FaultHook hook([&](Step step, const std::string& path) {
                if (step == Step::Open && taken.empty()) {
                    taken = path;
                    if (kind == 0)
                        fs::create_symlink(dir.file("victim.txt"), path);
                    else if (kind == 1)
                        test::writeFile(path, "half written by a crashed run");
                    else
                        fs::create_directory(path);
                }
                return 0;
            });
            writeFileAtomically(f, std::string("new ") + what);
        }
        EXPECT_EQ(test::readFile(f), std::string("new ") + what);
        EXPECT_EQ(test::readFile(dir.file("victim.txt")), "precious") << what;
        ASSERT_FALSE(taken.empty());
        EXPECT_TRUE(fs::exists(fs::symlink_status(taken))) << what; // not ours to remove
        fs::remove(taken);
        ++kind;
    }
    EXPECT_TRUE(fs::is_symlink(f + ".tmp"));
    EXPECT_TRUE(test::temporariesBeside(f).empty());
}

// What a crashed write left is removed by a later writer holding the lock;
// nothing else beside the file is touched.
TEST(AtomicWriter, LeftTemporariesAreRemovedOnlyWhenTheyAreOurs) {
    TempDir dir;
    const std::string f = dir.file("d.dat");
    test::writeFile(f, "x");
    test::writeFile(dir.file("victim"), "precious");
    const std::vector<std::pair<std::string, bool>> entries = {
        {"d.dat.4711-0badf00d~", true},  {"d.dat.12-abcdef01~", true},      {"d.dat~", false},
        {"d.dat.lock", false},           {"d.dat.4711-0badf00d.tmp", false}, {"d.dat.x711-0badf00d~", false},
        {"d.dat.4711-0badf00~", false},  {"e.dat.4711-0badf00d~", false},    {"d.dat.4711-0BADF00D~", false},
    };
    for (const auto& [name, ours] : entries)
        test::writeFile(dir.file(name), "left");
    fs::create_symlink(dir.file("victim"), dir.file("d.dat.99-00000000~"));
    fs::create_directory(dir.file("d.dat.98-00000000~"));
    removeLeftTemporaries(f, "~");
    for (const auto& [name, ours] : entries)
        EXPECT_EQ(fs::exists(dir.file(name)), !ours) << name;
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir.file("d.dat.99-00000000~"))));
    EXPECT_TRUE(fs::is_directory(dir.file("d.dat.98-00000000~")));
    EXPECT_EQ(test::readFile(dir.file("victim")), "precious");
    EXPECT_EQ(test::readFile(f), "x");
}

// Two writers of two files in one folder, in two processes at once: each
// file only ever holds one of its own contents, and no write fails.
TEST(AtomicWriter, TwoProcessesWritingBesideEachOtherNeverShareATemporaryFile) {
    TempDir dir;
    const std::string a = dir.file("a.txt");
    const std::string b = dir.file("b.txt");
    test::writeFile(a, "a0");
    test::writeFile(b, "b0");
    AtomicWriteOptions tilde;
    tilde.tempSuffix = "~";
    auto writer = [&](const std::string& file, const std::string& tag) {
        int bad = 0;
        for (int round = 1; round <= 150; ++round) {
            const std::string content = tag + std::to_string(round) + std::string(static_cast<std::size_t>(round % 7) * 100, 'x');
            try {
                writeFileAtomically(file, content, tilde);
                if (test::readFile(file) != content)
                    ++bad;
            } catch (const IoError&) {
                ++bad;
            }
        }
        return bad;
    };
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        ::_exit(std::min(writer(b, "b"), 100));
    const int badA = writer(a, "a");
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(badA, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(test::readFile(a).substr(0, 4), "a150");
    EXPECT_EQ(test::readFile(b).substr(0, 4), "b150");
    EXPECT_TRUE(test::temporariesBeside(a).empty());
    EXPECT_TRUE(test::temporariesBeside(b).empty());
}
#endif
