#pragma once
// Failures injected into the file layer's steps (common/FileIo.h).
#include <functional>
#include <string>
#include <vector>

#include "common/FileIo.h"

namespace rz::test {

using fileio_test::Step;

// Installs a hook for its lifetime.
class FaultHook {
public:
    explicit FaultHook(fileio_test::Hook hook) { fileio_test::setHook(std::move(hook)); }
    ~FaultHook() { fileio_test::setHook({}); }
    FaultHook(const FaultHook&) = delete;
    FaultHook& operator=(const FaultHook&) = delete;
};

// Fails the n-th (1-based) call of `step` with `err`; other calls pass.
inline fileio_test::Hook failNth(Step step, int n, int err) {
    auto count = std::make_shared<int>(0);
    return [=](Step s, const std::string&) {
        if (s != step)
            return 0;
        return ++*count == n ? err : 0;
    };
}

// Fails the creation of the atomic writer's temporary file for `target`
// (any name "<target>.<...>") with `err`; every other step passes.
inline fileio_test::Hook failTemporaryOf(const std::string& target, int err) {
    return [=](Step s, const std::string& path) {
        return s == Step::Open && path.size() > target.size() + 1 && path.compare(0, target.size() + 1, target + ".") == 0
                   ? err
                   : 0;
    };
}

// Records every step in order and lets it pass.
struct StepLog {
    std::vector<Step> steps;
    fileio_test::Hook hook() {
        return [this](Step s, const std::string&) {
            steps.push_back(s);
            return 0;
        };
    }
};

} // namespace rz::test
