#pragma once
#include <QWidget>

class QLineEdit;
class PageFrame;

namespace rz {
class MainModel;
}

// The "Internet-Optionen" tab (TabSheet3): the proxy, the data server and
// the program's web pages.
class InternetPage : public QWidget {
    Q_OBJECT
public:
    InternetPage(rz::MainModel& model, PageFrame& frame, QWidget* parent = nullptr);
    void syncFromModel();

private:
    rz::MainModel& model_;
    PageFrame& frame_;
    QLineEdit* proxyHost_ = nullptr;
    QLineEdit* proxyPort_ = nullptr;
    QLineEdit* serverEdit_ = nullptr;
};
