#pragma once
#include <QDialog>

#include <array>
#include <utility>
#include <vector>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace rz {
class MainModel;
}

// The wheel dialog (window "WheelForm"): ticks 6..30 of the seventy numbers
// ("WheelNumber1".."WheelNumber70"), the guarantee, the time budget, the
// MegaBalls and the price; starts and stops the search ("WheelStart",
// "WheelStop") and pages the result through the twelve tip rows ("WheelPrev",
// "WheelNext"), saves every page as a numbered tip file ("WheelSave") and
// prints them ("WheelPrint"). It binds only: every rule is in the model's
// Wheel* commands and in wheel/WheelPages.h.
class WheelDialog : public QDialog {
    Q_OBJECT
public:
    WheelDialog(rz::MainModel& model, QWidget* parent = nullptr);

    // Brings the fields, the figures and the enabled state in line with the model.
    void syncFromModel();
    // Shows the dialog (not modal: the tip rows behind it show the pages).
    void open();

private:
    void command(void (rz::MainModel::*call)());
    void readFields();

    rz::MainModel& model_;
    std::array<QCheckBox*, 71> boxes_{}; // 1..70
    QComboBox* guarantee_ = nullptr;
    QDoubleSpinBox* seconds_ = nullptr;
    QLineEdit* megaBalls_ = nullptr;
    QCheckBox* cross_ = nullptr;
    QDoubleSpinBox* price_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* stop_ = nullptr;
    QToolButton* prev_ = nullptr;
    QToolButton* next_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* print_ = nullptr;
    QLabel* count_ = nullptr;
    QLabel* page_ = nullptr;
    QLabel* progress_ = nullptr;
    QLabel* rows_ = nullptr;
    QLabel* bound_ = nullptr;
    QLabel* known_ = nullptr;
    QLabel* condition_ = nullptr;
    QLabel* hit_ = nullptr;
    QLabel* expected_ = nullptr;
    QLabel* cost_ = nullptr;
    std::vector<std::pair<QLabel*, QLabel*>> figureCaptions_; // figure, the caption of its row
    bool syncing_ = false;
};
