// Qt's own dialog texts follow the program's language.
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QtTest>

#include "QtTranslations.h"

class QtTranslationsTest : public QObject {
    Q_OBJECT

private slots:
    void dialogButtonsSpeakTheLanguage_data();
    void dialogButtonsSpeakTheLanguage();
};

void QtTranslationsTest::dialogButtonsSpeakTheLanguage_data() {
    QTest::addColumn<int>("sprache");
    QTest::addColumn<QString>("cancel");
    QTest::addColumn<QString>("lookIn");
    QTest::newRow("built-in texts") << 0 << QStringLiteral("Abbrechen") << QStringLiteral("Suchen in:");
    QTest::newRow("Deutsch") << 1 << QStringLiteral("Abbrechen") << QStringLiteral("Suchen in:");
    QTest::newRow("English") << 2 << QStringLiteral("Cancel") << QStringLiteral("Look in:");
    QTest::newRow("français") << 3 << QStringLiteral("Annuler") << QStringLiteral("Voir dans :");
    QTest::newRow("espagnol") << 4 << QStringLiteral("Cancelar") << QStringLiteral("Ver en:");
    QTest::newRow("italiano") << 5 << QStringLiteral("Annulla") << QStringLiteral("Cerca in:");
    QTest::newRow("русский") << 6 << QStringLiteral("Отмена") << QStringLiteral("Перейти к:");
    QTest::newRow("português") << 7 << QStringLiteral("Cancelar") << QStringLiteral("Procurar em:");
    QTest::newRow("中国的") << 8 << QStringLiteral("取消") << QStringLiteral("查找范围：");
}

void QtTranslationsTest::dialogButtonsSpeakTheLanguage() {
    QFETCH(int, sprache);
    QFETCH(QString, cancel);
    QFETCH(QString, lookIn);
    QtTranslations t;
    t.apply(sprache == 3 ? 6 : 3); // another language first: the switch replaces it
    QVERIFY(t.apply(sprache));
    QDialogButtonBox box(QDialogButtonBox::Cancel);
    QCOMPARE(box.button(QDialogButtonBox::Cancel)->text().remove(QLatin1Char('&')), cancel);
    QCOMPARE(QCoreApplication::translate("QFileDialog", "Look in:"), lookIn);
}

QTEST_MAIN(QtTranslationsTest)
#include "test_qttranslations.moc"
