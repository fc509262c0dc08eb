#pragma once
#include <QWidget>

#include <string>
#include <vector>

class ControlRegistry;
class QPlainTextEdit;

namespace rz {
class MainModel;
}

// The page "Zahlen der letzten Ziehung" (TabSheet2): the message table Memo2.
// The window keeps it out of reach; the language loader reads its lines.
class MessagePage : public QWidget {
    Q_OBJECT
public:
    // `controls`: the registry of the window the page is made for; null:
    // one of the page's own.
    explicit MessagePage(rz::MainModel& model, ControlRegistry* controls = nullptr, QWidget* parent = nullptr);
    void syncFromModel();

private:
    rz::MainModel& model_;
    QPlainTextEdit* memo2_ = nullptr;
    std::vector<std::string> shownMemo_;
};
