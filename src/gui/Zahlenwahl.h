#pragma once
#include <QDialog>

#include <array>

#include "services/Platform.h"
#include "common/Colour.h"

class QCheckBox;
class QPushButton;
class QStackedLayout;
class QTimer;
class QToolButton;

namespace rz {
class MainModel;
}

// The number selection list (window "TForm6"): a modal view of
// model.numberList. Seventy check boxes "CheckBox1".."CheckBox70" in ten lines
// of seven, each with its weight text as tool tip and yellow when marked; the
// bottom bar saves / loads the list (SpeedButton1 / SpeedButton2) and closes
// with OK (BitBtn1, the default button), Abort (BitBtn2) or Retry
// (BitBtn3 "&Rechnen", which covers the OK button while it is shown; Enter
// still means OK). BitBtn4 drives the random pick with the 25 ms Timer1.
class Zahlenwahl : public QDialog {
    Q_OBJECT
public:
    explicit Zahlenwahl(rz::MainModel& model, QWidget* parent = nullptr);

    // Shows the list modally, centred on its parent, from the current state of
    // model.numberList; closing the window counts as Abort.
    rz::ModalResult showModalList();

    // Brings caption, boxes, buttons and the timer in line with the model.
    void syncFromModel();

    // One step of the random pick (what Timer1 runs every 25 ms).
    void timerTick();

    // Every way of closing ends a running pick.
    void done(int result) override;

private:
    enum Result { kAbort = QDialog::Rejected, kOk = 100, kRetry = 101 };

    void boxClicked(int n, bool checked);
    void randomClicked();
    // Runs a model command; a failure ends in a message box.
    void command(void (rz::MainModel::*call)());
    QColor colourOf(rz::Colour c) const;

    rz::MainModel& model_;
    std::array<QCheckBox*, 71> boxes_{};           // index 1..70
    std::array<rz::Colour, 71> shownColour_{};     // what each box shows now
    std::array<bool, 71> colourKnown_{};
    QToolButton* saveButton_ = nullptr;   // SpeedButton1
    QToolButton* loadButton_ = nullptr;   // SpeedButton2
    QPushButton* okButton_ = nullptr;     // BitBtn1
    QPushButton* abortButton_ = nullptr;  // BitBtn2
    QPushButton* retryButton_ = nullptr;  // BitBtn3
    QPushButton* randomButton_ = nullptr; // BitBtn4
    QStackedLayout* okSlot_ = nullptr;
    QTimer* timer_ = nullptr;             // Timer1
};
