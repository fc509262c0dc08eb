#include "LoEingab.h"

TForm3::TForm3(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TForm3"));
    setWindowTitle(QStringLiteral("Zahlen der Ziehung eingeben"));
    setModal(true);
}
