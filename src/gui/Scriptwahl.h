#pragma once
#include <QDialog>

#include <functional>
#include <optional>
#include <string>

#include "services/Platform.h"

class QComboBox;
class QLineEdit;
class QToolButton;

// The window for choosing a click script and its four parameters. It exists
// from start-up on (hidden) and is shown modally by choose().
class TQCSForm : public QDialog {
    Q_OBJECT
public:
    explicit TQCSForm(QWidget* parent = nullptr);

    // Shows the dialog with the script list and the values of `initial`;
    // nullopt when the user cancels. On OK an empty ZAHL1 or ZAHL2 becomes "0".
    std::optional<rz::ScriptChoice> choose(const rz::ScriptChoice& initial);

    // The fields as they stand now.
    rz::ScriptChoice choice() const;
    void setChoice(const rz::ScriptChoice& c);

    // The file dialog of the search button; the platform's by default.
    std::function<std::optional<std::string>(const rz::FileDialogRequest&)> openFile;

private:
    void browse();

    QComboBox* script_ = nullptr;
    QLineEdit* zahl1_ = nullptr;
    QLineEdit* text1_ = nullptr;
    QLineEdit* zahl2_ = nullptr;
    QLineEdit* text2_ = nullptr;
    std::string scriptFolder_;
};
