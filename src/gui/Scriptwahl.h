#pragma once
#include <QDialog>

// The window for choosing a click script. It exists from start-up on
// (hidden); its controls come with the script runner.
class TQCSForm : public QDialog {
    Q_OBJECT
public:
    explicit TQCSForm(QWidget* parent = nullptr);
};
