// The Qt services of the core: dialogs, the shell's "open", the sound and the
// wait cursor.
#include <QApplication>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>
#include <QtTest>
#include <QSoundEffect>

#include <functional>

#include "../core/TestSupport.h"
#include "QtPlatform.h"

namespace {

// Runs `act` on the modal dialog of type T as soon as it is open.
template <typename T>
void whenOpen(std::function<void(T*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* d = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(d);
        }
    });
    timer->start();
}

} // namespace

class UrlSink : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void take(const QUrl& url) { urls << url; }
};

class QtPlatformTest : public QObject {
    Q_OBJECT
private slots:
    void fileFiltersBecomeQtFilters_data();
    void fileFiltersBecomeQtFilters();
    void messageAndQuestionCarryTheTitle();
    void inputBoxReturnsTextOrNothing();
    void inputBoxShowsItsWholeTitle_data();
    void inputBoxShowsItsWholeTitle();
    void saveDialogGetsFolderNameFilterAndSuffix();
    void openTellsFilesFromWebAddresses();
    void soundNeverBlocks();
    void waitCursorIsBalanced();
};

void QtPlatformTest::fileFiltersBecomeQtFilters_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("qt");
    QTest::newRow("one pair") << "Tippdatei|*.qlt" << "Tippdatei (*.qlt)";
    QTest::newRow("two pairs") << "Werteliste|*.qlw|Alle Dateien|*.*" << "Werteliste (*.qlw);;Alle Dateien (*.*)";
    QTest::newRow("several patterns") << "Bilder|*.png;*.bmp" << "Bilder (*.png *.bmp)";
    QTest::newRow("no filter") << "" << "";
}

void QtPlatformTest::fileFiltersBecomeQtFilters() {
    QFETCH(QString, filter);
    QFETCH(QString, qt);
    QCOMPARE(qtFileFilter(filter.toStdString()), qt);
}

void QtPlatformTest::messageAndQuestionCarryTheTitle() {
    QtPlatform platform;
    QString title, text;
    whenOpen<QMessageBox>([&](QMessageBox* box) {
        title = box->windowTitle();
        text = box->text();
        box->accept();
    });
    platform.message("Lesen Sie zuerst die Daten der Ziehungen ein");
    QCOMPARE(title, QStringLiteral("Quendrals RuvuZevodare"));
    QCOMPARE(text, QStringLiteral("Lesen Sie zuerst die Daten der Ziehungen ein"));

    for (const auto answer : {QMessageBox::Yes, QMessageBox::No}) {
        whenOpen<QMessageBox>([answer](QMessageBox* box) { box->button(answer)->click(); });
        QCOMPARE(platform.question("Weiter?"), answer == QMessageBox::Yes);
    }
}

void QtPlatformTest::inputBoxReturnsTextOrNothing() {
    QtPlatform platform;
    QString label, shownDefault;
    whenOpen<QInputDialog>([&](QInputDialog* d) {
        label = d->labelText();
        shownDefault = d->textValue();
        d->setTextValue(QStringLiteral("12345"));
        d->accept();
    });
    QCOMPARE(platform.inputText("Ihre Glückszahl (1-99999999)?", "Geben Sie Ihre Glückszahl ein!", "777"),
             std::optional<std::string>("12345"));
    QCOMPARE(label, QStringLiteral("Geben Sie Ihre Glückszahl ein!"));
    QCOMPARE(shownDefault, QStringLiteral("777"));

    whenOpen<QInputDialog>([](QInputDialog* d) { d->reject(); });
    QCOMPARE(platform.inputText("a", "b", "777"), std::optional<std::string>());
}

void QtPlatformTest::inputBoxShowsItsWholeTitle_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("prompt");
    // The tip search's threshold question: the question is the title.
    QTest::newRow("English") << "Stop at how many matching numbers?" << "Tip test";
    QTest::newRow("German") << "Bei wievielen Zahlen Übereinstellung stoppen?" << "Tipptest";
    QTest::newRow("Russian") << "При скольких совпавших числах останавливаться?" << "Проверка";
}

void QtPlatformTest::inputBoxShowsItsWholeTitle() {
    QFETCH(QString, title);
    QFETCH(QString, prompt);
    QtPlatform platform;
    int width = 0;
    QFont font;
    QString shownTitle, shownPrompt;
    whenOpen<QInputDialog>([&](QInputDialog* d) {
        width = d->width();
        font = d->font();
        shownTitle = d->windowTitle();
        shownPrompt = d->labelText();
        d->reject();
    });
    QCOMPARE(platform.inputText(title.toStdString(), prompt.toStdString(), "4"), std::optional<std::string>());
    QCOMPARE(shownTitle, title);
    QCOMPARE(shownPrompt, prompt);
    // Room for the title in a bold, larger title-bar font, an icon and three buttons.
    font.setBold(true);
    const int text = QFontMetrics(font).horizontalAdvance(title);
    QVERIFY2(width >= text * 6 / 5 + 100, qPrintable(QStringLiteral("%1 px for %2 px of title").arg(width).arg(text)));
}

void QtPlatformTest::saveDialogGetsFolderNameFilterAndSuffix() {
    rz::test::TempDir dir;
    QtPlatform platform;
    rz::FileDialogRequest req;
    req.filter = "Tippdatei|*.qlt";
    req.defaultExt = "qlt";
    req.initialDir = dir.str();
    req.suggestedName = "20191018.qlt";

    QStringList filters;
    QString folder, suffix;
    whenOpen<QFileDialog>([&](QFileDialog* d) {
        filters = d->nameFilters();
        folder = d->directory().absolutePath();
        suffix = d->defaultSuffix();
        static_cast<QDialog*>(d)->accept(); // QFileDialog's own accept is protected
    });
    const auto chosen = platform.saveFile(req);
    QCOMPARE(filters, QStringList{"Tippdatei (*.qlt)"});
    QCOMPARE(QDir(folder), QDir(QString::fromStdString(dir.str())));
    QCOMPARE(suffix, QStringLiteral("qlt"));
    QVERIFY(chosen.has_value());
    QCOMPARE(QFileInfo(QString::fromStdString(*chosen)).fileName(), QStringLiteral("20191018.qlt"));

    whenOpen<QFileDialog>([](QFileDialog* d) { d->reject(); });
    QCOMPARE(platform.openFile(req), std::optional<std::string>());
}

void QtPlatformTest::openTellsFilesFromWebAddresses() {
    rz::test::TempDir dir;
    rz::test::writeFile(dir.file("Tipp.txt"), "x\r\n");
    UrlSink sink;
    for (const char* scheme : {"file", "http", "https"})
        QDesktopServices::setUrlHandler(QLatin1String(scheme), &sink, "take");
    QtPlatform platform;
    QVERIFY(platform.open(dir.file("Tipp.txt")));
    QVERIFY(platform.open("https://www.ruvuzevodare.example/update"));
    QVERIFY(platform.open("www.quendral.example"));
    QVERIFY(!platform.open(""));
    for (const char* scheme : {"file", "http", "https"})
        QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
    // Nothing handles this scheme: the shell says so, and the caller tells the user.
    QVERIFY(!platform.open("rzunknown://nothing/opens/this"));

    QCOMPARE(sink.urls.size(), 3);
    QVERIFY(sink.urls[0].isLocalFile());
    QCOMPARE(QFileInfo(sink.urls[0].toLocalFile()), QFileInfo(QString::fromStdString(dir.file("Tipp.txt"))));
    QCOMPARE(sink.urls[1], QUrl("https://www.ruvuzevodare.example/update"));
    QCOMPARE(sink.urls[2].host(), QStringLiteral("www.quendral.example"));
}

void QtPlatformTest::soundNeverBlocks() {
    rz::test::TempDir dir;
    QtPlatform platform;
    // A missing file, then the same file again, then another: each start
    // replaces the last one on the one sound effect, which plays on its own
    // (a start only hands it the file).
    platform.play(dir.file("fehlt.wav"));
    platform.play(dir.file("fehlt.wav"));
    platform.play(dir.file("auch-nicht.wav"));
    QCoreApplication::processEvents();
    const auto effects = platform.findChildren<QSoundEffect*>();
    QCOMPARE(effects.size(), 1);
    QCOMPARE(effects[0]->source(), QUrl::fromLocalFile(QString::fromStdString(dir.file("auch-nicht.wav"))));
    // The missing file's load ends in an error on its own thread; the test
    // ends after it, so that nothing of the load is left behind.
    QTRY_VERIFY_WITH_TIMEOUT(effects[0]->status() == QSoundEffect::Error, 60000);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void QtPlatformTest::waitCursorIsBalanced() {
    QtPlatform platform;
    platform.setBusyCursor(true);
    platform.setBusyCursor(true);
    QVERIFY(QApplication::overrideCursor() != nullptr);
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    platform.setBusyCursor(false);
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    platform.setBusyCursor(false);
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

QTEST_MAIN(QtPlatformTest)
#include "test_qtplatform.moc"
