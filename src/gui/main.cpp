// Program entry: start-up in the fixed order, then the message loop until
// the main window closes.
#include <QApplication>
#include <QDir>
#include <QMessageBox>

#include <cstdio>
#include <exception>

#include "DarovAduzez.h"
#include "QtComponentTree.h"
#include "QtHttp.h"
#include "QtPlatform.h"
#include "QtSettingsStore.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(kAppTitle));

    // RuvuZevodare --write-component-list FILE: the component list of the
    // language files, from the windows as built; no window is shown.
    const QStringList args = QCoreApplication::arguments();
    if (args.size() > 1 && args[1] == QLatin1String("--write-component-list")) {
        if (args.size() != 3) {
            std::fputs("usage: RuvuZevodare --write-component-list FILE\n", stderr);
            return 2;
        }
        return writeComponentListCommand(args[2]);
    }

    rz::MainModel model;
    QtPlatform platform;
    QtSettingsStore settings;
    QtHttp http;
    rz::Services services = platform.services();
    services.settings = &settings;
    services.http = &http;
    model.setServices(services);

    int rc = 1;
    try {
        const QString home = QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + QLatin1Char('/'));
        std::unique_ptr<TForm1> form = startProgram(model, home.toStdString(), &platform);
        form->show(); // the first show runs FormShow
        rc = app.exec();
        // A loop that was running when the window closed has ended now.
        model.finishClose();
        platform.attachWindows(nullptr, nullptr);
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QString::fromUtf8(kAppTitle), QString::fromLocal8Bit(e.what()));
    }
    model.setServices({});
    return rc;
}
