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
    // RuvuZevodare --quit-after-start: the whole start-up (layout, settings,
    // windows, language, the first drawing file), then the drawing file's
    // path on stdout and the end, without showing the window (whose first
    // show would start a download). For checking an installation.
    const bool quitAfterStart = args.size() == 2 && args[1] == QLatin1String("--quit-after-start");

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
        // Portable beside a writable program folder, else installed with the
        // user's files in the user's data folder.
        const QString programFolder = QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + QLatin1Char('/'));
        const rz::AppPaths paths = rz::AppPaths::detect(programFolder.toStdString());
        std::unique_ptr<TForm1> form = startProgram(model, paths, &platform);
        if (quitAfterStart) {
            std::printf("%s\n", model.DatabasePath().c_str());
            std::fflush(stdout);
            platform.attachWindows(nullptr, nullptr);
            model.setServices({});
            return model.database().exists() ? 0 : 1;
        }
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
