// Program entry: start-up in the fixed order, then the message loop until
// the main window closes.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QMessageBox>

#include <cstdio>
#include <exception>
#include <optional>
#include <string_view>

#include "DarovAduzez.h"
#include "QtComponentTree.h"
#include "QtHttp.h"
#include "QtPlatform.h"
#include "QtSettingsStore.h"

namespace {

// --help and --version answer on stdout before anything else happens: no
// window, no settings, no file is read or created. Returns the exit code when
// one of them was asked for.
std::optional<int> answerInfoOptions(int argc, char** argv) {
    bool asked = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "--")
            break;
        asked = asked || a == "--help" || a == "-h" || a == "-?" || a == "--help-all" || a == "--version" || a == "-v";
    }
    if (!asked)
        return std::nullopt;
    // A core application only: it opens no display and reads no file.
    QCoreApplication core(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("RuvuZevodare"));
    QCoreApplication::setApplicationVersion(QStringLiteral(RZ_VERSION_TEXT));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Plans and checks Mega Millions tips from the history of the drawings."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addOption(QCommandLineOption(QStringLiteral("write-component-list"),
                                        QStringLiteral("Writes the component list of the language files to FILE and ends."),
                                        QStringLiteral("FILE")));
    parser.addOption(QCommandLineOption(QStringLiteral("quit-after-start"),
                                        QStringLiteral("Starts without showing the window, prints the drawing file's path and ends.")));
    parser.parse(QCoreApplication::arguments()); // unknown options do not matter here
    QString out;
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all")))
        out = parser.helpText();
    else if (parser.isSet(version))
        out = QCoreApplication::applicationName() + QLatin1Char(' ') + QCoreApplication::applicationVersion() +
              QLatin1Char('\n');
    const QByteArray bytes = out.toUtf8();
    const bool written = std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout) ==
                             static_cast<std::size_t>(bytes.size()) &&
                         std::fflush(stdout) == 0;
    return written ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (const std::optional<int> rc = answerInfoOptions(argc, argv))
        return *rc;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(kAppTitle));
    QApplication::setApplicationVersion(QStringLiteral(RZ_VERSION_TEXT));

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
