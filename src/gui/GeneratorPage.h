#pragma once
#include <QWidget>

#include <array>
#include <functional>

#include "settings/GeneratorSettings.h"

class ControlRegistry;
class QAbstractButton;
class QButtonGroup;
class QSpinBox;
class QTabWidget;

namespace rz {
class MainModel;
}

// Content of the "Berechnung" tab: the page control "PageControl2" with the
// generator settings on the sub-tabs "Statistisch", "Schein Optimierung",
// "Mathematisch", "MegaBall" and "Allgemein".
//
// The widgets are built from rz::GeneratorSettings::table():
//  - a check box is a QCheckBox named after its control ("CheckBox9");
//  - a MegaBall mode is a QRadioButton ("RadioButton1".."RadioButton3") in the
//    frame "Megaball Option";
//  - a spin control is ONE QSpinBox carrying the name of its text field
//    ("Edit42") with the dynamic property "upDown" holding the up-down's
//    name ("UpDown6"). Its range is the model's current range of the field.
// Captions with runs of blanks ("Tipp darf noch keinen              er ...")
// keep their full text; the spin fields sit in the gaps.
//
// Every user change is written to model.Settings at once. The consistency
// rules are kept on every change: MinOverlap <= MaxOverlap and
// MinEven + MinOdd <= 6 (through the ranges of the two spins), one MegaBall
// mode. TipCount is not on this page (it belongs to the tip tab).
class GeneratorPage : public QWidget {
    Q_OBJECT
public:
    // `controls`: the registry of the window the page is made for; null:
    // one of the page's own.
    explicit GeneratorPage(rz::MainModel& model, ControlRegistry* controls = nullptr, QWidget* parent = nullptr);

    // Brings every control in line with model.Settings (values and ranges).
    // Cheap: unchanged controls are skipped; signals are blocked while writing.
    void syncFromModel();

    QTabWidget* pageControl() const { return pages_; }

private:
    static constexpr int kCount = rz::GeneratorSettings::kCount;

    void buildControls();
    void buildPages();
    void boolChanged(rz::Gs f, bool on);
    void spinChanged(rz::Gs f, int value);
    // Runs a model command, reports a failure in a message box, then lets the
    // main window refresh.
    void command(const std::function<void()>& call);

    rz::MainModel& model_;
    // The window's registry: many controls are registered before they are
    // placed inside the page.
    ControlRegistry& controls_;
    QTabWidget* pages_ = nullptr;
    std::array<QAbstractButton*, kCount> buttons_{}; // check boxes and radio buttons
    std::array<QSpinBox*, kCount> spins_{};
    QButtonGroup* megaBallGroup_ = nullptr;
};
