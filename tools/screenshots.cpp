// Screenshots of every tab and sub-tab of the main window and of the script
// choice in every language, for looking at the layout: rz_screenshots HOME OUTDIR [WIDTHxHEIGHT]
// HOME holds the database and the "land" folder. Each picture is taken from
// the X server with ImageMagick's import, so run it under Xvfb.
#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QProcess>
#include <QTabWidget>
#include <QTest>

#include <cstdio>

#include "DarovAduzez.h"
#include "QtPlatform.h"
#include "Scriptwahl.h"
#include "i18n/LanguageFiles.h"
#include "settings/SettingsStore.h"

namespace {

void settle() {
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
        QTest::qWait(40);
    }
}

bool shoot(QWidget* w, const QString& file) {
    settle();
    const int rc = QProcess::execute(QStringLiteral("import"),
                                     {QStringLiteral("-window"), QString::number(w->winId()), file});
    if (rc != 0)
        std::fprintf(stderr, "import failed for %s\n", qPrintable(file));
    return rc == 0;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 3) {
        std::fputs("usage: rz_screenshots HOME OUTDIR [WIDTHxHEIGHT]\n", stderr);
        return 2;
    }
    const QString home = QDir(args[1]).absolutePath() + QLatin1Char('/');
    const QString out = args[2];
    QDir().mkpath(out);
    QSize size;
    if (args.size() > 3) {
        const QStringList wh = args[3].split(QLatin1Char('x'));
        if (wh.size() == 2)
            size = QSize(wh[0].toInt(), wh[1].toInt());
    }

    bool ok = true;
    for (int sprache = 1; sprache <= 8; ++sprache) {
        const rz::LanguageInfo* lang = rz::languageBySprache(sprache);
        rz::MemorySettingsStore store;
        store.writeInt("Sprache", sprache);
        if (size.isValid()) {
            store.writeInt("width", size.width());
            store.writeInt("height", size.height());
        }
        rz::MainModel model;
        QtPlatform qt;
        // Messages go nowhere: nothing may wait for a click.
        model.setServices({.events = &qt, .settings = &store});
        std::unique_ptr<TForm1> form = startProgram(model, home.toStdString(), nullptr);
        qt.attachWindows(form.get(), nullptr);
        // Rows with sums and hits, and a long hint in the status bar.
        const char* rows[][7] = {{"17", "20", "32", "54", "57", "23", ""},
                                 {"5", "29", "38", "61", "70", "3", ""},
                                 {"17", "20", "41", "66", "69", "9", ""}};
        for (int r = 0; r < 3; ++r)
            for (int k = 0; k < 7; ++k)
                model.tips.set(r + 1, k + 1, rows[r][k]);
        model.Komplettcheck();
        if (ControlEntry* e = ControlRegistry::instance().find(QStringLiteral("Form1"), QStringLiteral("SpeedButton13")))
            model.setStatus(ControlRegistry::hint(*e).toStdString());
        form->refreshFromModel();
        form->show();
        settle();
        const QString code = QString::fromLatin1(lang->file).mid(5, 2); // "Mega_de.txt" -> "de"
        auto* tabs = form->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
        auto* sub = form->findChild<QTabWidget*>(QStringLiteral("PageControl2"));
        for (int t = 0; t < tabs->count(); ++t) {
            if (!tabs->isTabVisible(t))
                continue;
            tabs->setCurrentIndex(t);
            if (tabs->widget(t)->isAncestorOf(sub)) {
                for (int s = 0; s < sub->count(); ++s) {
                    sub->setCurrentIndex(s);
                    ok &= shoot(form.get(), QStringLiteral("%1/%2-tab%3-%4.png").arg(out, code).arg(t).arg(s));
                }
            } else {
                ok &= shoot(form.get(), QStringLiteral("%1/%2-tab%3.png").arg(out, code).arg(t));
            }
        }
        // The odds of the rows, opened from the tip tab.
        tabs->setCurrentIndex(0);
        if (auto* oddsButton = form->findChild<QAbstractButton*>(QStringLiteral("OddsButton"))) {
            oddsButton->click();
            settle();
            if (auto* odds = form->findChild<QDialog*>(QStringLiteral("OddsDialog"))) {
                ok &= shoot(odds, QStringLiteral("%1/%2-odds.png").arg(out, code));
                odds->close();
            }
        }
        // The script choice, filled as on a second run.
        if (TQCSForm* qcs = form->qcsForm()) {
            rz::ScriptChoice c;
            c.scripts = {home.toStdString() + "Script/Lottoland.qcs", home.toStdString() + "Script/Zentuva.qcs"};
            c.script = c.scripts.back();
            c.zahl1 = "1";
            c.text1 = "Max Mustermann";
            c.zahl2 = "0";
            c.text2 = "geheim";
            qcs->setChoice(c);
            qcs->show();
            ok &= shoot(qcs, QStringLiteral("%1/%2-script.png").arg(out, code));
            qcs->hide();
        }
        model.setServices({});
        form.reset();
    }
    return ok ? 0 : 1;
}
