// Program entry: start-up in the fixed order, then the message loop until
// the main window closes.
#include <QApplication>
#include <QDir>
#include <QMessageBox>

#include <exception>

#include "DarovAduzez.h"
#include "QtPlatform.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(kAppTitle));

    rz::MainModel model;
    QtPlatform platform;
    model.setServices(platform.services());

    int rc = 1;
    try {
        const QString home = QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + QLatin1Char('/'));
        std::unique_ptr<TForm1> form = startProgram(model, home.toStdString(), &platform);
        form->show(); // the first show runs FormShow
        rc = app.exec();
        // Closing the window ends the program; there is nothing to save yet.
        platform.attachWindows(nullptr, nullptr);
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QString::fromUtf8(kAppTitle), QString::fromLocal8Bit(e.what()));
    }
    model.setServices({});
    return rc;
}
