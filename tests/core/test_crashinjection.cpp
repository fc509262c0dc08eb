// A rebuild of the drawing database that fails or is killed at any step
// leaves the database exactly old or exactly new, and the next rebuild works.
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>

#include "FaultInjection.h"
#include "TestSupport.h"

#if !defined(_WIN32)
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace rz;
using rz::test::FaultHook;
using rz::test::Step;
using rz::test::TempDir;
namespace fs = std::filesystem;

namespace {

// A history of the real one's size.
std::vector<DrawingRecord> history() {
    std::vector<DrawingRecord> out;
    DayNumber day = dayFromYmd(2002, 5, 17);
    for (int i = 0; i < 2529; ++i) {
        const int b = 1 + i % 60;
        out.push_back(DrawingRecord::make(day, {b, b + 1, b + 3, b + 6, b + 10}, 1 + i % 25, 2 + i % 4));
        day += (i % 2) ? 4 : 3;
    }
    return out;
}

struct Rebuild {
    const char* name;
    std::function<void(const DrawingDatabase&)> run;
};

const DrawingRecord kChanged = test::rec(2010, 6, 1, {9, 19, 29, 39, 49}, 9, 3);

const Rebuild kRebuilds[] = {
    {"insertOrReplace", [](const DrawingDatabase& db) { db.insertOrReplace(kChanged); }},
    {"removeDate", [](const DrawingDatabase& db) { db.removeDate(dayFromYmd(2002, 5, 17)); }},
    {"replaceAll", [](const DrawingDatabase& db) { db.replaceAll({kChanged}); }},
};

// The steps of one rebuild, in order.
std::vector<Step> stepsOf(const Rebuild& r, const std::string& path, const std::string& oldBytes) {
    test::writeFile(path, oldBytes);
    test::StepLog log;
    {
        FaultHook hook(log.hook());
        r.run(DrawingDatabase(path));
    }
    return log.steps;
}

bool isTemporary(const fs::path& p) {
    const std::string name = p.filename().string();
    return name.back() == '~';
}

} // namespace

TEST(CrashInjection, FailureAtEachStepLeavesOldOrNewAndNoTemporaryFile) {
    TempDir dir;
    const std::string path = dir.file("Ruvuzevodare.dat");
    test::writeDatabase(path, history());
    const std::string oldBytes = test::readFile(path);
    for (const Rebuild& r : kRebuilds) {
        const std::vector<Step> steps = stepsOf(r, path, oldBytes);
        const std::string newBytes = test::readFile(path);
        ASSERT_NE(newBytes, oldBytes) << r.name;
        ASSERT_GE(steps.size(), 8u) << r.name;
        for (std::size_t k = 0; k < steps.size(); ++k) {
            test::writeFile(path, oldBytes);
            std::size_t call = 0;
            bool threw = false;
            {
                FaultHook hook([&](Step, const std::string&) { return call++ == k ? EIO : 0; });
                try {
                    r.run(DrawingDatabase(path));
                } catch (const IoError&) {
                    threw = true;
                }
            }
            const std::string what = std::string(r.name) + " failing at step " + std::to_string(k + 1) + " (" +
                                     fileio_test::stepName(steps[k]) + ")";
            EXPECT_TRUE(threw) << what;
            const std::string now = test::readFile(path);
            EXPECT_TRUE(now == oldBytes || now == newBytes) << what;
            for (const auto& entry : fs::directory_iterator(dir.str()))
                EXPECT_FALSE(isTemporary(entry.path())) << what << ": " << entry.path();
        }
    }
}

#if !defined(_WIN32)
TEST(CrashInjection, KilledAtEachStepLeavesOldOrNewAndTheNextRebuildWorks) {
    TempDir dir;
    const std::string path = dir.file("Ruvuzevodare.dat");
    test::writeDatabase(path, history());
    const std::string oldBytes = test::readFile(path);
    for (const Rebuild& r : kRebuilds) {
        const std::vector<Step> steps = stepsOf(r, path, oldBytes);
        const std::string newBytes = test::readFile(path);
        // k = steps.size(): the child is not killed and finishes.
        for (std::size_t k = 0; k <= steps.size(); ++k) {
            test::writeFile(path, oldBytes);
            const pid_t pid = ::fork();
            ASSERT_GE(pid, 0);
            if (pid == 0) {
                std::size_t call = 0;
                fileio_test::setHook([&](Step, const std::string&) {
                    if (call++ == k)
                        ::raise(SIGKILL); // a crash right before this step
                    return 0;
                });
                try {
                    r.run(DrawingDatabase(path));
                } catch (...) {
                    ::_exit(1);
                }
                ::_exit(0);
            }
            int status = 0;
            ASSERT_EQ(::waitpid(pid, &status, 0), pid);
            const std::string what = std::string(r.name) + " killed before step " + std::to_string(k + 1) +
                                     (k < steps.size() ? std::string(" (") + fileio_test::stepName(steps[k]) + ")" : "");
            if (k < steps.size())
                EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << what;
            else
                EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << what;
            const std::string now = test::readFile(path);
            EXPECT_TRUE(now == oldBytes || now == newBytes) << what;
            // The next rebuild clears what the crash left and gives the new content.
            r.run(DrawingDatabase(path));
            EXPECT_EQ(test::readFile(path), newBytes) << what;
            for (const auto& entry : fs::directory_iterator(dir.str()))
                EXPECT_FALSE(isTemporary(entry.path())) << what << ": " << entry.path();
        }
    }
}
#endif
