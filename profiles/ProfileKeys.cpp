#include "ProfileKeys.h"

#include "ProfileKeyTable.h"

#include <QRegularExpression>
#include <limits>

namespace zandor::profiles {

QStringList ProfileKeyNames()
{
    QStringList names;
    for (const ProfileKey& key : ProfileKeyTable())
        names << QLatin1String(key.name);
    return names;
}

QString ProfileFieldText(const ProfileData& record, const QString& key)
{
    for (const ProfileKey& entry : ProfileKeyTable()) {
        if (key.compare(QLatin1String(entry.name), Qt::CaseInsensitive) == 0)
            return FieldToText(entry, record);
    }
    return QString();
}

QString BoolToText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

std::optional<bool> BoolFromText(const QString& text)
{
    const QString word = text.trimmed();
    if (word.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (word.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    // Any decimal number counts, however long: only its being zero matters.
    static const QRegularExpression decimal(QStringLiteral("^[+-]?([0-9]+)$"));
    const QRegularExpressionMatch match = decimal.match(word);
    if (!match.hasMatch())
        return std::nullopt;
    static const QRegularExpression zeros(QStringLiteral("^0+$"));
    return !zeros.match(match.captured(1)).hasMatch();
}

std::optional<std::int64_t> IntegerFromText(const QString& text, std::int64_t minimum,
                                            std::int64_t maximum)
{
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok, 10);
    if (!ok || value < minimum || value > maximum)
        return std::nullopt;
    return value;
}

namespace {

// Each field's text form and its conversion back; a conversion that fails leaves the
// field untouched so the caller's fallback value stays.
struct ToText {
    ProfileData& record;
    QString operator()(ProfileKey::TextField f) const { return f(record); }
    QString operator()(ProfileKey::BoolField f) const { return BoolToText(f(record)); }
    QString operator()(ProfileKey::Int16Field f) const { return QString::number(f(record)); }
    QString operator()(ProfileKey::Int32Field f) const { return QString::number(f(record)); }
    QString operator()(ProfileKey::UInt8Field f) const { return QString::number(f(record)); }
};

template <typename Int>
bool StoreInteger(Int& field, const QString& text)
{
    const auto value = IntegerFromText(text, std::numeric_limits<Int>::min(),
                                       std::numeric_limits<Int>::max());
    if (value)
        field = static_cast<Int>(*value);
    return value.has_value();
}

struct FromText {
    ProfileData& record;
    const QString& text;
    bool operator()(ProfileKey::TextField f) const { f(record) = text; return true; }
    bool operator()(ProfileKey::BoolField f) const
    {
        const auto value = BoolFromText(text);
        if (value)
            f(record) = *value;
        return value.has_value();
    }
    bool operator()(ProfileKey::Int16Field f) const { return StoreInteger(f(record), text); }
    bool operator()(ProfileKey::Int32Field f) const { return StoreInteger(f(record), text); }
    bool operator()(ProfileKey::UInt8Field f) const { return StoreInteger(f(record), text); }
};

}  // namespace

QString FieldToText(const ProfileKey& key, const ProfileData& record)
{
    // One accessor per field serves reading and writing; here it is only read.
    auto& readOnly = const_cast<ProfileData&>(record);
    return std::visit(ToText{readOnly}, key.field);
}

bool FieldFromText(const ProfileKey& key, ProfileData& record, const QString& text)
{
    return std::visit(FromText{record, text}, key.field);
}

}  // namespace zandor::profiles
