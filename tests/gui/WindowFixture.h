#pragma once
// One run of the window program in its own temporary folder, with scripted
// dialogs: the fixture of the window tests.
#include <QAbstractButton>
#include <QLabel>
#include <QtTest>

#include <memory>
#include <vector>

#include "../core/TestSupport.h"
#include "DarovAduzez.h"

namespace rz::test {

// The control called `name` below `root`; a missing one ends the run.
template <typename T>
T* namedWidget(const QObject* root, const char* name) {
    T* w = root->findChild<T*>(QLatin1String(name));
    if (!w)
        qFatal("no widget %s", name);
    return w;
}

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

} // namespace rz::test
