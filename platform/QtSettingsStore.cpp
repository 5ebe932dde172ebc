#include "QtSettingsStore.h"

#include "SettingsNameCodec.h"

#include <QDir>
#include <QSettings>
#include <QVariant>

namespace zandor::platform {

namespace {

const QString kGeneralSection = QStringLiteral("General");
const QChar kGroupSeparator = QLatin1Char('/');

bool SameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

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

}  // namespace

QtSettingsStore::QtSettingsStore(const QString& iniFilePath)
    : QtSettingsStore(std::make_unique<QSettings>(iniFilePath, QSettings::IniFormat))
{
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

void QtSettingsStore::setWriteFailureHandler(WriteFailureHandler handler)
{
    onWriteFailure_ = std::move(handler);
}

QString QtSettingsStore::location() const { return settings_->fileName(); }

QStringList QtSettingsStore::groupsOf(const QString& section) const
{
    QStringList groups = MatchesOf(settings_->childGroups(), section);
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
    const QStringList groups = groupsOf(section);
    QString path;
    for (const QString& group : groups) {
        const QStringList keys = keysOf(group, key);
        if (!keys.isEmpty()) {
            path = PathOf(group, keys.first());
            break;
        }
    }
    if (path.isEmpty()) {
        const QString group = groups.isEmpty() ? EncodeSettingsName(section) : groups.first();
        path = PathOf(group, EncodeSettingsName(key));
    }
    settings_->setValue(path, value);
    commit();
}

KeyValueList QtSettingsStore::readSection(const QString& section)
{
    KeyValueList pairs;
    QStringList seen;
    for (const QString& group : groupsOf(section)) {
        for (const QString& storedKey : childKeysOf(group)) {
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
    bool removed = false;
    for (const QString& group : groupsOf(section)) {
        for (const QString& storedKey : keysOf(group, key)) {
            settings_->remove(PathOf(group, storedKey));
            removed = true;
        }
    }
    if (removed)
        commit();
}

void QtSettingsStore::deleteSection(const QString& section)
{
    bool removed = false;
    for (const QString& group : groupsOf(section)) {
        if (group.isEmpty()) {
            // The top level also holds every other group: remove only its own keys.
            for (const QString& storedKey : settings_->childKeys())
                settings_->remove(storedKey);
        } else {
            settings_->remove(group);
        }
        removed = true;
    }
    if (removed)
        commit();
}

void QtSettingsStore::commit()
{
    settings_->sync();
    if (settings_->status() != QSettings::AccessError && settings_->isWritable())
        return;
    const bool firstFailure = !writeFailed_;
    writeFailed_ = true;
    if (firstFailure && onWriteFailure_) {
        onWriteFailure_(QStringLiteral("The settings file %1 cannot be written. "
                                       "Profile changes will not be kept.")
                            .arg(QDir::toNativeSeparators(location())));
    }
}

}  // namespace zandor::platform
