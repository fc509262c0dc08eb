#pragma once
// One run of the window program in its own temporary folder, with scripted
// dialogs: the fixture of the window tests.
#include <QAbstractButton>
#include <QLabel>
#include <QTimer>
#include <QtTest>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../core/TestSupport.h"
#include "DarovAduzez.h"
#include "common/ProgramTexts.h"
#include "settings/SettingsStore.h"

namespace rz::test {

// The control called `name` below `root`; a missing one ends the run.
template <typename T>
T* namedWidget(const QObject* root, const char* name) {
    T* w = root->findChild<T*>(QLatin1String(name));
    if (!w)
        qFatal("no widget %s", name);
    return w;
}

// Handles what the last change left pending: layout requests, resizes and
// the calls it queued, which may queue more.
inline void settle() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

// Runs `act` once, at the first turn of the event loop at which `ready()`
// holds: a step taken inside a long command that lets events through, at the
// command's own pace instead of after some time.
class OnceReady {
public:
    OnceReady(std::function<bool()> ready, std::function<void()> act) {
        // Asked every millisecond: a zero timer would wait for an idle event
        // loop, which a busy command never lets through.
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, [this, ready = std::move(ready), act = std::move(act)] {
            if (done_ || !ready())
                return;
            timer_.stop();
            done_ = true;
            act();
        });
        timer_.start();
    }
    OnceReady(const OnceReady&) = delete;
    OnceReady& operator=(const OnceReady&) = delete;
    bool done() const { return done_; }

private:
    QTimer timer_;
    bool done_ = false;
};

// Three drawings of October 2019.
inline const std::vector<rz::DrawingRecord> kThreeDrawings = {
    rec(2019, 10, 15, {2, 11, 20, 38, 61}, 3),
    rec(2019, 10, 18, {5, 12, 33, 41, 70}, 7),
    rec(2019, 10, 22, {8, 19, 27, 44, 66}, 21),
};

struct WindowProgram {
    TempDir home;
    ScriptedPlatform platform;
    rz::MainModel model;
    std::unique_ptr<TForm1> form;

    // Null: no drawing file at all.
    explicit WindowProgram(const std::vector<rz::DrawingRecord>* drawings) {
        if (drawings)
            writeDatabase(home.file("Ruvuzevodare.dat"), *drawings);
        platform.attach(model);
        form = startProgram(model, home.str(), nullptr);
    }
    explicit WindowProgram(const std::vector<rz::DrawingRecord>& drawings) : WindowProgram(&drawings) {}
    // The window goes before the model it shows.
    ~WindowProgram() { form.reset(); }
    WindowProgram(const WindowProgram&) = delete;
    WindowProgram& operator=(const WindowProgram&) = delete;

    template <typename T>
    T* widget(const char* name) const {
        return namedWidget<T>(form.get(), name);
    }
    QString labelText(const char* name) const { return widget<QLabel>(name)->text(); }
    void click(const char* name) const { QTest::mouseClick(widget<QAbstractButton>(name), Qt::LeftButton); }
    // A control of the main window itself (the secondary windows reuse some names).
    bool enabled(const char* name) const {
        return namedWidget<QWidget>(form->centralWidget(), name)->isEnabled();
    }
};

// The language files that ship with the program.
inline const std::string kShippedLanguages = std::string(RZ_SOURCE_DIR) + "/data/land";

// The program with the shipped language files beside it, its settings in a
// store of the test's (so that they outlive a restart) or in a fresh one of
// its own, and its window shown. `language` >= 0 is stored as the chosen
// language before the start.
struct ShownProgram {
    TempDir home;
    ScriptedPlatform platform;
    rz::MemorySettingsStore ownSettings;
    rz::ISettingsStore& settings;
    rz::MainModel model;
    std::unique_ptr<TForm1> form;

    explicit ShownProgram(const std::vector<rz::DrawingRecord>& drawings, rz::ISettingsStore* store = nullptr,
                          int language = -1)
        : settings(store ? *store : ownSettings) {
        std::filesystem::copy(kShippedLanguages, home.file("land"), std::filesystem::copy_options::recursive);
        writeDatabase(home.file("Ruvuzevodare.dat"), drawings);
        if (language >= 0)
            settings.writeInt("Sprache", language);
        platform.attach(model);
        rz::Services s = model.services();
        s.settings = &settings;
        model.setServices(s);
        form = startProgram(model, home.str(), nullptr);
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get()))
            qFatal("window not shown");
    }
    // Closed as the user closes it (the settings are written); the next
    // program starts from the built-in texts.
    ~ShownProgram() {
        if (form)
            form->close();
        form.reset();
        rz::resetProgramTexts();
    }
    ShownProgram(const ShownProgram&) = delete;
    ShownProgram& operator=(const ShownProgram&) = delete;

    template <typename T>
    T* widget(const char* name) const {
        return namedWidget<T>(form.get(), name);
    }
    void click(const char* name) const { QTest::mouseClick(widget<QAbstractButton>(name), Qt::LeftButton); }
};

} // namespace rz::test
