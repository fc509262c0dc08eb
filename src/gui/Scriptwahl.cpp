#include "Scriptwahl.h"

TQCSForm::TQCSForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TQCSForm"));
    setWindowTitle(QStringLiteral("Script für Zahlenübergabe auswählen!"));
    setModal(true);
}
