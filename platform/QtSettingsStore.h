#pragma once

#include "ISettingsStore.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class QSettings;
class QTemporaryDir;

namespace zandor::platform {

// The per-user settings store on QSettings: an INI file on Linux (and in tests), the
// registry on Windows. Section and key names match without regard to letter case even
// where QSettings itself is case-sensitive: an existing spelling is found by walking the
// stored groups and keys and is reused, a new name is written as given.
//
// The section "General" is the INI file's own [General] section (the top-level keys of
// QSettings); a hand-written file may also hold it as [%General], which is read, listed
// and deleted together with it.
//
// Every write and delete is flushed to the medium at once; writeKeys flushes its whole
// list once. QSettings replaces the file in one step (a new file renamed over the old
// one), so a crash or a full disk never leaves it half written. When the medium refuses
// (read-only folder, full disk), the failure handler is told once per store; the
// program keeps running and reads still see everything written in this run.
//
// Only a regular file is ever opened: a FIFO, a device or a folder at the path reads as an
// empty store whose writes are refused (and reported), so a store never waits for a writer.
//
// Before QSettings opens the INI file, a file saved as UTF-16 is rewritten as UTF-8, its
// original kept as <file>.bak (IniFileEncoding.h). A file QSettings cannot read
// faithfully (a format error, bytes that are no text) would lose what it could not read
// when QSettings rewrites it, so it is copied to <file>.bak (IniFileBackup.h) before the
// first write or delete. When no copy can be made, the file is left alone: changes are
// kept in memory for this run and the failure handler is told why.
class QtSettingsStore : public ISettingsStore {
public:
    using WriteFailureHandler = std::function<void(const QString& message)>;

    explicit QtSettingsStore(const QString& iniFilePath);
    ~QtSettingsStore() override;

    QtSettingsStore(const QtSettingsStore&) = delete;
    QtSettingsStore& operator=(const QtSettingsStore&) = delete;

    // $XDG_CONFIG_HOME/<app>/<app>.ini, else ~/.config/<app>/<app>.ini.
    static QString DefaultIniPath(const QString& appName);
    // The store every user-facing run uses: HKCU\Software\<app>\<app> on Windows, the
    // INI file of DefaultIniPath elsewhere.
    static std::unique_ptr<QtSettingsStore> ForApplication(const QString& appName);
    // The INI file as it stands, never changed: a file in another Unicode form is read
    // without being converted, and writes and deletes are refused. For readers such as the
    // command line, which must leave the window's profiles alone.
    static std::unique_ptr<QtSettingsStore> ReadOnly(const QString& iniFilePath);

    void setWriteFailureHandler(WriteFailureHandler handler);
    // The INI path or registry key behind the store, for messages.
    QString location() const;
    // True once a write could not be kept on the medium.
    bool writeFailed() const { return writeFailed_; }

    QString readKey(const QString& section, const QString& key,
                    const QString& defaultValue) override;
    void writeKey(const QString& section, const QString& key, const QString& value) override;
    void writeKeys(const QString& section, const KeyValueList& pairs) override;
    KeyValueList readSection(const QString& section) override;
    void deleteKey(const QString& section, const QString& key) override;
    void deleteSection(const QString& section) override;

private:
    explicit QtSettingsStore(std::unique_ptr<QSettings> settings);

    // The stored groups that hold `section`, best match first; "" is the top level
    // (the [General] section).
    QStringList groupsOf(const QString& section);
    // QSettings::childGroups walks every key of the file; its answer only changes when
    // the store commits, so it is listed once per commit.
    const QStringList& storedGroups();
    // The stored spellings of `key` inside `group`, exact spelling first.
    QStringList keysOf(const QString& group, const QString& key) const;
    QStringList childKeysOf(const QString& group) const;
    QString valueAt(const QString& group, const QString& storedKey) const;
    // Copies a file QSettings could not read faithfully before the store first changes it;
    // when that fails, moves the store's contents to memory so the file stays as it is.
    void keepOriginalBeforeChange();
    // After QSettings rewrote a file that had a format error: opens it afresh so a later
    // write failure is reported again (QSettings keeps reporting its first error). False
    // when the write did not reach the file.
    bool reopenRewrittenFile();
    void commit();
    // Removes the stored keys or groups at `paths` (none: nothing is written).
    void removePaths(const QStringList& paths);
    void reportWriteFailure(const QString& message);

    std::unique_ptr<QSettings> settings_;
    std::optional<QStringList> storedGroups_;
    bool keepOriginalBeforeChange_ = false;
    bool readOnly_ = false;
    // A read-only store's UTF-8 copy of its file, or the folder of the file never made that
    // stands in for a path that holds no regular file.
    std::unique_ptr<QTemporaryDir> convertedCopy_;
    QString location_;  // the file as named, when QSettings reads another; else empty
    WriteFailureHandler onWriteFailure_;
    bool writeFailed_ = false;
};

}  // namespace zandor::platform
