#pragma once

#include <QList>
#include <QPair>
#include <QString>

namespace zandor::platform {

using KeyValueList = QList<QPair<QString, QString>>;

// The store's own section: the last profile used, the port names.
inline const QString kGeneralSection = QStringLiteral("General");

// Section and key names match without regard to letter case.
inline bool SameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A persistent per-user store of text values addressed by section and key. Section and
// key names match without regard to letter case. Every operation sees what the previous
// one wrote.
class ISettingsStore {
public:
    virtual ~ISettingsStore() = default;

    virtual QString readKey(const QString& section, const QString& key,
                            const QString& defaultValue) = 0;
    virtual void writeKey(const QString& section, const QString& key, const QString& value) = 0;
    // Writes every pair into the section, as writeKey would one by one. A store that keeps
    // its data in a file replaces the file once for the whole list.
    virtual void writeKeys(const QString& section, const KeyValueList& pairs)
    {
        for (const auto& [key, value] : pairs)
            writeKey(section, key, value);
    }
    // Every key of the section with its value, in the store's own order; empty when the
    // section is missing.
    virtual KeyValueList readSection(const QString& section) = 0;
    virtual void deleteKey(const QString& section, const QString& key) = 0;
    virtual void deleteSection(const QString& section) = 0;
};

}  // namespace zandor::platform
