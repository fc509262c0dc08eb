#pragma once
#include <QWidget>

class QLabel;
class QPushButton;
class QToolButton;
class DateEdit;
class PageFrame;

namespace rz {
class MainModel;
}

// The "Datenbank" tab (TabSheet4): the drawing of a chosen date, the
// database commands, the statistics buttons and the historic analyses.
class DatabasePage : public QWidget {
    Q_OBJECT
public:
    DatabasePage(rz::MainModel& model, PageFrame& frame, QWidget* parent = nullptr);
    void syncFromModel();

private:
    rz::MainModel& model_;
    PageFrame& frame_;
    DateEdit* dateTimePicker1_ = nullptr;
    QLabel* label29_ = nullptr;
    QPushButton* bitBtn1_ = nullptr;
    QToolButton* speedButton8_ = nullptr;
};
