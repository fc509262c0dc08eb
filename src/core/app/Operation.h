#pragma once
#include <chrono>
#include <functional>

#include "app/Platform.h"

namespace rz {

// The long command that is running now, if any. Loops poll stopRequested at
// every step; the view disables the commands that would interfere and keeps
// the one that stops the operation enabled.
enum class OperationKind { None, Generation, Download, TipSearch, SettingsAnalysis, DrawingAnalysis, Submission, Wheel };

struct CurrentOperation {
    OperationKind kind = OperationKind::None;
    bool stopRequested = false;

    bool running() const { return kind != OperationKind::None; }
    bool running(OperationKind k) const { return kind == k; }
    void requestStop() {
        if (running())
            stopRequested = true;
    }
};

// Marks an operation for the lifetime of the guard, however the command ends.
class OperationScope {
public:
    OperationScope(CurrentOperation& op, OperationKind kind) : op_(op) {
        op_.kind = kind;
        op_.stopRequested = false;
    }
    ~OperationScope() {
        op_.kind = OperationKind::None;
        op_.stopRequested = false;
    }
    OperationScope(const OperationScope&) = delete;
    OperationScope& operator=(const OperationScope&) = delete;

private:
    CurrentOperation& op_;
};

// Lets the window repaint and take input during a long loop, at most about
// every 15 ms so that the loop itself keeps most of the time. Cheap to call
// at every step: the clock is read only every `stride` calls.
class Yielder {
public:
    explicit Yielder(IEvents& events, std::chrono::milliseconds interval = std::chrono::milliseconds(15),
                     int stride = 64)
        : events_(events), interval_(interval), stride_(stride), last_(Clock::now()) {}

    // Calls `beforeRepaint` (e.g. to show progress) and processes pending
    // events when the interval has passed. Returns true when it yielded.
    bool operator()(const std::function<void()>& beforeRepaint = {}) {
        if (--untilCheck_ > 0)
            return false;
        untilCheck_ = stride_;
        if (Clock::now() - last_ < interval_)
            return false;
        return now(beforeRepaint);
    }

    // Yields at once, whatever the time since the last yield.
    bool now(const std::function<void()>& beforeRepaint = {}) {
        if (beforeRepaint)
            beforeRepaint();
        events_.processPendingEvents();
        last_ = Clock::now();
        return true;
    }

private:
    using Clock = std::chrono::steady_clock;
    IEvents& events_;
    std::chrono::milliseconds interval_;
    int stride_;
    int untilCheck_ = 1;
    Clock::time_point last_;
};

} // namespace rz
