#include "LoEingab.h"

#include "Controls.h"

TForm3::TForm3(QWidget* parent) : QDialog(parent) {
    const WindowScope scope(QStringLiteral("Form3"));
    setObjectName(QStringLiteral("TForm3"));
    ControlRegistry::instance().add(this, ControlKind::Window);
    setWindowTitle(QStringLiteral("Zahlen der Ziehung eingeben"));
    setModal(true);
}
