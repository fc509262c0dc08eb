#pragma once
#include <QDialog>

#include <array>
#include <functional>
#include <string>
#include <optional>

#include "app/Platform.h"

class QDateEdit;
class QPushButton;
class QSpinBox;

// The window for entering the numbers of one drawing by hand. It exists from
// start-up on (hidden) and is shown modally by edit().
class TForm3 : public QDialog {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);

    // Shows the dialog filled with `initial` (values outside a field's range
    // show as the nearest limit); nullopt when the user cancels.
    std::optional<rz::DrawingEntry> edit(const rz::DrawingEntry& initial);

    // The fields as they stand now.
    rz::DrawingEntry entry() const;
    void setEntry(const rz::DrawingEntry& e);

    void accept() override; // refuses a drawing that cannot be stored

    // The model's check of an entry (the main window sets it); without it
    // only the fields are checked.
    void setCheck(std::function<std::optional<std::string>(const rz::DrawingEntry&)> check) {
        check_ = std::move(check);
    }

private:
    QDateEdit* date_ = nullptr;
    std::array<QSpinBox*, 9> upDown_{}; // index 1..8
    std::function<std::optional<std::string>(const rz::DrawingEntry&)> check_;
};
