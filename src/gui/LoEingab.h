#pragma once
#include <QDialog>

// The window for entering the numbers of one drawing by hand. It exists from
// start-up on (hidden); its controls come with the database maintenance.
class TForm3 : public QDialog {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);
};
