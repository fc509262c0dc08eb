#pragma once
#include <QDialog>

#include <array>
#include <optional>

#include "services/Platform.h"

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

private:
    QDateEdit* date_ = nullptr;
    std::array<QSpinBox*, 9> upDown_{}; // index 1..8
};
