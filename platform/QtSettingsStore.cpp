#include "QtSettingsStore.h"

#include "IniFileBackup.h"
#include "IniFileEncoding.h"
#include "SettingsNameCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QSettings>
#include <QVariant>

namespace zandor::platform {

namespace {

const QChar kGroupSeparator = QLatin1Char('/');

bool IsGeneral(const QString& section) { return SameName(section, kGeneralSection); }

QString PathOf(const QString& group, const QString& storedKey)
{
    return group.isEmpty() ? storedKey : group + kGroupSeparator + storedKey;
}

// Orders the case-insensitive matches of `wanted` among `stored` so that the exact
// spelling, when present, comes first.
QStringList MatchesOf(const QStringList& stored, const QString& wanted)
{
    QStringList exact;
    QStringList other;
    for (const QString& name : stored) {
        const QString decoded = DecodeSettingsName(name);
        if (decoded == wanted)
            exact << name;
        else if (SameName(decoded, wanted))
            other << name;
    }
    return exact + other;
}

// One stored group of a section with its stored keys, listed once for a batch of writes.
struct StoredGroup {
    QString name;
    QStringList keys;
};

// The path of `key` in the first group that holds any spelling of it. A new key goes to
// the first group and is listed there, so that a second spelling later in the same batch
// lands on it, as it would with one write per key.
QString PathForKey(QList<StoredGroup>& groups, const QString& key)
{
    for (const StoredGroup& group : groups) {
        const QStringList matches = MatchesOf(group.keys, key);
        if (!matches.isEmpty())
            return PathOf(group.name, matches.first());
    }
    StoredGroup& first = groups.first();
    first.keys << EncodeSettingsName(key);
    return PathOf(first.name, first.keys.last());
}

// A settings format that reads nothing and refuses every write: a store moved to it keeps
// its changes in memory for the rest of the run and leaves the file on the disk alone.
bool ReadNothing(QIODevice&, QSettings::SettingsMap&) { return true; }
bool RefuseToWrite(QIODevice&, const QSettings::SettingsMap&) { return false; }

QSettings::Format MemoryOnlyFormat()
{
    static const QSettings::Format format =
        QSettings::registerFormat(QStringLiteral("unsaved"), ReadNothing, RefuseToWrite);
    return format;
}

QString CannotWriteMessage(const QString& location)
{
    return QStringLiteral("The settings file %1 cannot be written. "
                          "Profile changes will not be kept.")
        .arg(QDir::toNativeSeparators(location));
}

// Only a regular file is opened: opening a FIFO waits for a writer (and is restarted after
// a Ctrl-C), a device may never end. Anything else at the path reads as an unreadable file.
bool IsSomethingElseThanAFile(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isFile();
}

const QString kNeverMadeFile = QStringLiteral("never-made.ini");

}  // namespace

QtSettingsStore::QtSettingsStore(const QString& iniFilePath)
{
    if (IsSomethingElseThanAFile(iniFilePath)) {
        // Never opened: the store reads as empty and keeps its changes for this run only,
        // telling the failure handler at the first write, as for a file that cannot be written.
        convertedCopy_ = std::make_unique<QTemporaryDir>();
        settings_ = std::make_unique<QSettings>(convertedCopy_->filePath(kNeverMadeFile), MemoryOnlyFormat());
        location_ = iniFilePath;
        return;
    }
    const IniFileCheck check = PrepareIniFile(iniFilePath);
    settings_ = std::make_unique<QSettings>(iniFilePath, QSettings::IniFormat);
    settings_->setAtomicSyncRequired(true);  // the default; the file is never half written
    // QSettings parses a section when it is first used; listing them all now lets a format
    // error anywhere in the file show before the first write.
    storedGroups();
    keepOriginalBeforeChange_ =
        check.backupPath.isEmpty()
        && (check.unreadable || settings_->status() == QSettings::FormatError);
}

QtSettingsStore::QtSettingsStore(std::unique_ptr<QSettings> settings)
    : settings_(std::move(settings))
{
}

QtSettingsStore::~QtSettingsStore() = default;

QString QtSettingsStore::DefaultIniPath(const QString& appName)
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    // A relative XDG_CONFIG_HOME is invalid and must be ignored.
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return QDir::cleanPath(base + kGroupSeparator + appName + kGroupSeparator + appName
                           + QStringLiteral(".ini"));
}

std::unique_ptr<QtSettingsStore> QtSettingsStore::ForApplication(const QString& appName)
{
#ifdef Q_OS_WIN
    // HKEY_CURRENT_USER\Software\<app>\<app>
    return std::unique_ptr<QtSettingsStore>(new QtSettingsStore(std::make_unique<QSettings>(
        QSettings::NativeFormat, QSettings::UserScope, appName, appName)));
#else
    return std::make_unique<QtSettingsStore>(DefaultIniPath(appName));
#endif
}

std::unique_ptr<QtSettingsStore> QtSettingsStore::ReadOnly(const QString& iniFilePath)
{
    const bool unopened = IsSomethingElseThanAFile(iniFilePath);
    QByteArray bytes;
    if (QFile file(iniFilePath); !unopened && file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    // QSettings reads only files: a converted copy in a folder of our own serves as one. A
    // QSettings with nothing to write never opens its file for writing, and the store
    // refuses every change, so the file is only ever read.
    auto converted = std::make_unique<QTemporaryDir>();
    QString readFrom = iniFilePath;
    if (unopened) {
        readFrom = converted->filePath(kNeverMadeFile);  // reads as nothing, as an unreadable file
    } else if (const auto utf8 = Utf8FormOfIniFile(bytes); utf8 && converted->isValid()) {
        readFrom = converted->filePath(QStringLiteral("converted.ini"));
        QFile copy(readFrom);
        if (!copy.open(QIODevice::WriteOnly) || copy.write(*utf8) != utf8->size())
            readFrom = iniFilePath;
    }
    std::unique_ptr<QtSettingsStore> store(
        new QtSettingsStore(std::make_unique<QSettings>(readFrom, QSettings::IniFormat)));
    store->readOnly_ = true;
    store->convertedCopy_ = std::move(converted);
    store->location_ = iniFilePath;
    return store;
}

void QtSettingsStore::setWriteFailureHandler(WriteFailureHandler handler)
{
    onWriteFailure_ = std::move(handler);
}

QString QtSettingsStore::location() const { return location_.isEmpty() ? settings_->fileName() : location_; }

const QStringList& QtSettingsStore::storedGroups()
{
    if (!storedGroups_)
        storedGroups_ = settings_->childGroups();
    return *storedGroups_;
}

QStringList QtSettingsStore::groupsOf(const QString& section)
{
    QStringList groups = MatchesOf(storedGroups(), section);
    if (IsGeneral(section))
        groups.prepend(QString());  // the INI file's [General] section
    return groups;
}

QStringList QtSettingsStore::childKeysOf(const QString& group) const
{
    if (group.isEmpty())
        return settings_->childKeys();
    settings_->beginGroup(group);
    const QStringList keys = settings_->childKeys();
    settings_->endGroup();
    return keys;
}

QStringList QtSettingsStore::keysOf(const QString& group, const QString& key) const
{
    return MatchesOf(childKeysOf(group), key);
}

QString QtSettingsStore::valueAt(const QString& group, const QString& storedKey) const
{
    const QVariant value = settings_->value(PathOf(group, storedKey));
    // An unquoted hand-edited value with commas (COMSettings=38400,N,8,1) comes back
    // from the INI parser as a list; the program only knows text.
    if (value.userType() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

QString QtSettingsStore::readKey(const QString& section, const QString& key,
                                 const QString& defaultValue)
{
    for (const QString& group : groupsOf(section)) {
        const QStringList keys = keysOf(group, key);
        if (!keys.isEmpty())
            return valueAt(group, keys.first());
    }
    return defaultValue;
}

void QtSettingsStore::writeKey(const QString& section, const QString& key, const QString& value)
{
    writeKeys(section, {{key, value}});
}

void QtSettingsStore::writeKeys(const QString& section, const KeyValueList& pairs)
{
    if (pairs.isEmpty() || readOnly_)
        return;
    keepOriginalBeforeChange();
    QList<StoredGroup> groups;
    for (const QString& group : groupsOf(section))
        groups.append({group, childKeysOf(group)});
    if (groups.isEmpty())
        groups.append({EncodeSettingsName(section), {}});  // a new section
    for (const auto& [key, value] : pairs)
        settings_->setValue(PathForKey(groups, key), value);
    commit();
}

KeyValueList QtSettingsStore::readSection(const QString& section)
{
    KeyValueList pairs;
    QStringList seen;
    for (const QString& group : groupsOf(section)) {
        for (const QString& storedKey : childKeysOf(group)) {
            if (storedKey.isEmpty())
                continue;  // "=x" in a hand-edited file: no key QSettings can read back
            const QString key = DecodeSettingsName(storedKey);
            if (seen.contains(key, Qt::CaseInsensitive))
                continue;  // a second spelling of a key already listed
            seen << key;
            pairs.append({key, valueAt(group, storedKey)});
        }
    }
    return pairs;
}

void QtSettingsStore::deleteKey(const QString& section, const QString& key)
{
    QStringList paths;
    for (const QString& group : groupsOf(section)) {
        for (const QString& storedKey : keysOf(group, key))
            paths << PathOf(group, storedKey);
    }
    removePaths(paths);
}

void QtSettingsStore::deleteSection(const QString& section)
{
    QStringList paths;
    for (const QString& group : groupsOf(section)) {
        // The top level also holds every other group: remove only its own keys.
        if (group.isEmpty())
            paths << settings_->childKeys();
        else
            paths << group;
    }
    removePaths(paths);
}

void QtSettingsStore::removePaths(const QStringList& paths)
{
    if (paths.isEmpty() || readOnly_)
        return;
    keepOriginalBeforeChange();
    for (const QString& path : paths)
        settings_->remove(path);
    commit();
}

void QtSettingsStore::keepOriginalBeforeChange()
{
    if (!keepOriginalBeforeChange_)
        return;
    keepOriginalBeforeChange_ = false;
    QString error;
    if (!BackUpIniFile(location(), &error).isEmpty())
        return;
    auto memoryOnly = std::make_unique<QSettings>(location(), MemoryOnlyFormat());
    for (const QString& key : settings_->allKeys())
        memoryOnly->setValue(key, settings_->value(key));
    settings_ = std::move(memoryOnly);
    storedGroups_.reset();
    reportWriteFailure(QStringLiteral("The settings file %1 cannot be read, and no copy of it "
                                      "could be kept: %2. The file is left as it is; profile "
                                      "changes will not be kept.")
                           .arg(QDir::toNativeSeparators(location()), error));
}

bool QtSettingsStore::reopenRewrittenFile()
{
    auto reopened = std::make_unique<QSettings>(location(), settings_->format());
    reopened->setAtomicSyncRequired(true);
    reopened->childGroups();  // parses every section
    if (reopened->status() != QSettings::NoError)
        return false;
    settings_ = std::move(reopened);
    storedGroups_.reset();
    return true;
}

void QtSettingsStore::commit()
{
    settings_->sync();
    storedGroups_.reset();  // a sync also reads in what another program changed in the file
    bool failed = settings_->status() == QSettings::AccessError || !settings_->isWritable();
    if (!failed && settings_->status() == QSettings::FormatError)
        failed = !reopenRewrittenFile();
    if (failed)
        reportWriteFailure(CannotWriteMessage(location()));
}

void QtSettingsStore::reportWriteFailure(const QString& message)
{
    const bool firstFailure = !writeFailed_;
    writeFailed_ = true;
    if (firstFailure && onWriteFailure_)
        onWriteFailure_(message);
}

}  // namespace zandor::platform
