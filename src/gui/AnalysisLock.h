#pragma once
#include <QPointer>
#include <vector>

class QAction;
class QMainWindow;
class QWidget;

// While a historic analysis runs, every control of the main window that could
// start another command or change what the analysis reads is disabled; only
// the analysis's own button stays usable, as its stop button. Controls that
// were disabled before keep their state afterwards.
class AnalysisLock {
public:
    // `keep`: the running analysis's button (null when none runs). Called at
    // every refresh of the window.
    void apply(QMainWindow* window, QWidget* keep, bool running);
    bool active() const { return active_; }

private:
    bool active_ = false;
    std::vector<QPointer<QWidget>> widgets_;
    std::vector<QPointer<QAction>> actions_;
};
