#pragma once
#include <QDialog>

class QLabel;
class QTableWidget;

namespace rz {
class MainModel;
}

// The odds of the tip rows (window "OddsDialog"): per prize tier the expected
// rows per drawing ("OddsTable"), the chance of some prize ("OddsAny") and of
// the jackpot ("OddsJackpot"), the MegaBall range and the rows counted
// ("OddsRange"). Shows the model's figures as they are when it opens; it
// computes nothing itself.
class OddsDialog : public QDialog {
    Q_OBJECT
public:
    OddsDialog(rz::MainModel& model, QWidget* parent = nullptr);

private:
    QTableWidget* table_ = nullptr;
    QLabel* any_ = nullptr;
    QLabel* jackpot_ = nullptr;
    QLabel* range_ = nullptr;
};
