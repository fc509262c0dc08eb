#pragma once
#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>

#include "settings/SettingsStore.h"

class QSettings;

// The settings store in a per-user INI file through QSettings. Every value
// carries its kind ("int:5", "text:5", "date:42736.5"), so a text where an
// integer is expected is a kind failure, and a date keeps every bit of its
// fraction. Names are case-insensitive: a value written under another case
// replaces the stored one and keeps the stored spelling.
class QtSettingsStore : public rz::ISettingsStore {
public:
    // The program's file: organisation "Quendral", application "RuvuZevodare".
    QtSettingsStore();
    // Another INI file (tests, portable installs).
    explicit QtSettingsStore(const QString& iniFile);
    ~QtSettingsStore() override;

    QString fileName() const;

    void open() override;
    void close() override;
    std::optional<rz::StoredValue> get(const std::string& name) override;
    void put(const std::string& name, const rz::StoredValue& value) override;
    std::string location() const override { return fileName().toStdString(); }

    // The stored form of a value, and back (throws SettingsStoreError).
    static QString encode(const rz::StoredValue& value);
    static rz::StoredValue decode(const QString& stored);

private:
    QSettings& settings();
    void indexKeys();

    QString file_; // empty: the per-user default
    std::unique_ptr<QSettings> settings_;
    QHash<QString, QStringList> keys_; // lower-case name -> the spellings in the file
};
