// The settings store in the per-user INI file: kinds and names survive the
// round trip, a damaged file never stops the start, a failed write shows
// nothing.
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <limits>

#include "../core/TestSupport.h"
#include "QtSettingsStore.h"
#include "settings/SettingsPersistence.h"

using rz::SettingsStoreError;
using rz::StoredValue;

namespace {

void useStore(rz::MainModel& m, rz::ISettingsStore& store) {
    rz::Services s = m.services();
    s.settings = &store;
    m.setServices(s);
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

} // namespace

class QtSettingsStoreTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void valuesKeepTheirKinds_data();
    void valuesKeepTheirKinds();
    void namesAreCaseInsensitive();
    void damagedFileNeverStopsTheStart_data();
    void damagedFileNeverStopsTheStart();
    void failedWriteShowsNothing();
    void everySettingSurvivesARestart();
    void programFileIsPerUser();

private:
    QTemporaryDir dir_;
    QString ini(const QString& name) const { return dir_.filePath(name + QStringLiteral(".ini")); }
};

void QtSettingsStoreTest::initTestCase() {
    QVERIFY(dir_.isValid());
    // Never the real user's settings.
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.filePath(QStringLiteral("user")));
}

void QtSettingsStoreTest::valuesKeepTheirKinds_data() {
    QTest::addColumn<int>("kind"); // StoredKind
    QTest::addColumn<int>("integer");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("date");

    const auto I = static_cast<int>(rz::StoredKind::Integer);
    const auto T = static_cast<int>(rz::StoredKind::Text);
    const auto D = static_cast<int>(rz::StoredKind::Date);
    QTest::newRow("zero") << I << 0 << QString() << 0.0;
    QTest::newRow("smallest integer") << I << std::numeric_limits<int>::min() << QString() << 0.0;
    QTest::newRow("largest integer") << I << std::numeric_limits<int>::max() << QString() << 0.0;
    QTest::newRow("empty text") << T << 0 << QString() << 0.0;
    QTest::newRow("digits as text") << T << 0 << QStringLiteral("75") << 0.0;
    QTest::newRow("ini syntax in text") << T << 0 << QStringLiteral(" a=b, c;d \"q\" \\ #x [s] ") << 0.0;
    QTest::newRow("text that looks typed") << T << 0 << QStringLiteral("int:5") << 0.0;
    QTest::newRow("at sign") << T << 0 << QStringLiteral("@Variant(x)") << 0.0;
    QTest::newRow("line break") << T << 0 << QStringLiteral("a\r\nb\tc") << 0.0;
    QTest::newRow("non-ASCII") << T << 0 << QStringLiteral("Übersicht 中国的 русский 😀") << 0.0;
    QTest::newRow("whole day") << D << 0 << QString() << 42736.0;
    QTest::newRow("time of day") << D << 0 << QString() << 42736.123456789012;
    QTest::newRow("tiny fraction") << D << 0 << QString() << std::nextafter(45000.5, 50000.0);
    QTest::newRow("before 1900") << D << 0 << QString() << -1234.25;
}

void QtSettingsStoreTest::valuesKeepTheirKinds() {
    QFETCH(int, kind);
    QFETCH(int, integer);
    QFETCH(QString, text);
    QFETCH(double, date);
    StoredValue v;
    v.kind = static_cast<rz::StoredKind>(kind);
    v.integer = integer;
    v.text = text.toStdString();
    v.date = date;

    const QString file = ini(QStringLiteral("kinds"));
    QFile::remove(file);
    {
        QtSettingsStore writer(file);
        writer.open();
        writer.put("Value", v);
        writer.close();
    }
    QtSettingsStore reader(file);
    reader.open();
    const auto back = reader.get("value");
    QVERIFY(back.has_value());
    QCOMPARE(static_cast<int>(back->kind), kind);
    QVERIFY(*back == v);
    // Another kind is a failure, whatever the stored text looks like.
    if (v.kind != rz::StoredKind::Integer) {
        QVERIFY_THROWS_EXCEPTION(SettingsStoreError, reader.readInt("Value"));
        QVERIFY_THROWS_EXCEPTION(SettingsStoreError, reader.readBool("Value"));
    }
    if (v.kind != rz::StoredKind::Text)
        QVERIFY_THROWS_EXCEPTION(SettingsStoreError, reader.readText("Value"));
    if (v.kind != rz::StoredKind::Date)
        QVERIFY_THROWS_EXCEPTION(SettingsStoreError, reader.readDate("Value"));
}

void QtSettingsStoreTest::namesAreCaseInsensitive() {
    const QString file = ini(QStringLiteral("names"));
    writeAll(file, "[General]\nChekcbox1=int:1\nEDIT1=text:4\nedit1=text:5\n");
    QtSettingsStore store(file);
    store.open();
    QCOMPARE(store.readBool("CHEKCBOX1"), std::optional<bool>(true));
    QVERIFY(store.readText("Edit1").has_value());
    store.writeBool("chekcbox1", false);
    store.writeText("Edit1", "9");
    store.close();

    QSettings raw(file, QSettings::IniFormat);
    QCOMPARE(raw.allKeys().size(), 2); // one spelling each, the stored one
    QCOMPARE(raw.value(QStringLiteral("Chekcbox1")).toString(), QStringLiteral("int:0"));
    QtSettingsStore again(file);
    again.open();
    QCOMPARE(again.readText("EDIT1"), std::optional<std::string>("9"));
}

void QtSettingsStoreTest::damagedFileNeverStopsTheStart_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("germanKept"); // group 1 ended before "Sprache"
    QTest::newRow("truncated in group 1")
        << QByteArray("[General]\nChekcbox1=int:1\nChekcbox2=in") << true;
    QTest::newRow("value without kind") << QByteArray("[General]\nChekcbox1=int:1\nChekcbox2=1\nSprache=int:6\n") << true;
    QTest::newRow("bad digits") << QByteArray("[General]\nChekcbox1=int:1\nChekcbox2=int:1x\n") << true;
    QTest::newRow("list instead of a value") << QByteArray("[General]\nChekcbox1=int:1\nChekcbox2=a, b\n") << true;
    QTest::newRow("binary garbage") << QByteArray("\x00\xff\xfe[\x01=\x02\n\n===\n[General\nChekcbox1=int:1", 37)
                                    << false;
    QTest::newRow("empty file") << QByteArray() << false;
}

void QtSettingsStoreTest::damagedFileNeverStopsTheStart() {
    QFETCH(QByteArray, content);
    QFETCH(bool, germanKept);
    rz::test::TempDir home;
    const QString file = ini(QStringLiteral("damaged"));
    writeAll(file, content);

    QtSettingsStore store(file);
    rz::MainModel m;
    useStore(m, store);
    m.FormCreate(home.str());
    QCOMPARE(m.sprache, germanKept ? 0 : 2);
    QVERIFY(m.sortieren);
    QCOMPARE(m.DateTimePicker2.date, rz::dayFromYmd(2017, 1, 1));

    // Closing writes a clean file that the next start reads in full.
    m.sprache = 5;
    m.tips.set(1, 1, "42");
    m.FormClose();
    QtSettingsStore reread(file);
    rz::MainModel next;
    useStore(next, reread);
    next.FormCreate(home.str());
    QCOMPARE(next.sprache, 5);
    QCOMPARE(next.tips.get(1, 1), std::string("42"));
}

void QtSettingsStoreTest::failedWriteShowsNothing() {
    // The file's folder cannot be made: a file sits where it should be.
    const QString blocker = dir_.filePath(QStringLiteral("blocker"));
    writeAll(blocker, "not a folder");
    const QString file = blocker + QStringLiteral("/RuvuZevodare.ini");
    QtSettingsStore store(file);
    store.open();
    store.writeInt("Sprache", 3);
    QVERIFY_THROWS_EXCEPTION(SettingsStoreError, store.close());

    rz::test::ScriptedPlatform platform;
    rz::test::TempDir home;
    rz::MainModel m;
    platform.attach(m);
    useStore(m, store);
    m.FormCreate(home.str());
    m.FormClose();
    QVERIFY(platform.messages.empty());
    QCOMPARE(readAll(blocker), QByteArray("not a folder"));
}

void QtSettingsStoreTest::everySettingSurvivesARestart() {
    const QString file = ini(QStringLiteral("restart"));
    QFile::remove(file);
    rz::test::TempDir home;

    // What the model writes to the INI file is what it writes to memory.
    rz::MainModel first;
    QtSettingsStore store(file);
    useStore(first, store);
    first.FormCreate(home.str());
    for (const rz::GsFieldInfo& f : rz::GeneratorSettings::table())
        first.Settings.set(f.id, f.kind == rz::GsKind::Int ? f.max : (f.def ? 0 : 1));
    first.Settings.set(rz::Gs::MegaBallRarest, 1);
    for (const auto& [r, k] : rz::tipFieldsInNameOrder())
        first.tips.set(r, k, std::to_string(r + k));
    first.sprache = 8;
    first.Window = {640, 480, false, false};
    first.ProxyHost = "proxy";
    first.ProxyPort = "8080";
    first.ServerAddress = "http://127.0.0.1:8123";
    first.DateTimePicker2.date = rz::dayFromYmd(2016, 2, 29) + 0.5;
    first.FormClose();
    rz::MemorySettingsStore memory;
    rz::saveSettings(first, memory);

    QtSettingsStore reread(file);
    reread.open();
    for (const std::string& name : memory.names()) {
        const auto v = reread.get(name);
        QVERIFY2(v.has_value(), name.c_str());
        QVERIFY2(*v == *memory.get(name), name.c_str());
    }
    QCOMPARE(QSettings(file, QSettings::IniFormat).allKeys().size(), static_cast<int>(memory.names().size()));
}

void QtSettingsStoreTest::programFileIsPerUser() {
    QtSettingsStore store;
    const QString expected = QDir(dir_.filePath(QStringLiteral("user"))).filePath(QStringLiteral("Quendral/RuvuZevodare.ini"));
    QCOMPARE(QDir::cleanPath(store.fileName()), QDir::cleanPath(expected));
}

QTEST_MAIN(QtSettingsStoreTest)
#include "test_qtsettings.moc"
