#include "Scriptwahl.h"

#include "Controls.h"

TQCSForm::TQCSForm(QWidget* parent) : QDialog(parent) {
    const WindowScope scope(QStringLiteral("QCSForm"));
    setObjectName(QStringLiteral("TQCSForm"));
    ControlRegistry::instance().add(this, ControlKind::Window);
    setWindowTitle(QStringLiteral("Script für Zahlenübergabe auswählen!"));
    setModal(true);
}
