#include "SettingsNameCodec.h"

namespace zandor::platform {

namespace {
const QChar kEscape = QLatin1Char('%');
const QString kEmptyName = QStringLiteral("%");
}  // namespace

QString EncodeSettingsName(const QString& name)
{
    if (name.isEmpty())
        return kEmptyName;
    QString out;
    out.reserve(name.size());
    for (const QChar c : name) {
        if (c == kEscape)
            out += QStringLiteral("%25");
        else if (c == QLatin1Char('/'))
            out += QStringLiteral("%2F");
        else if (c == QLatin1Char('\\'))
            out += QStringLiteral("%5C");
        else
            out += c;
    }
    return out;
}

QString DecodeSettingsName(const QString& stored)
{
    if (stored == kEmptyName)
        return QString();
    QString out;
    out.reserve(stored.size());
    for (int i = 0; i < stored.size(); ++i) {
        const QChar c = stored.at(i);
        if (c == kEscape && i + 2 < stored.size()) {
            const QString code = stored.mid(i + 1, 2).toUpper();
            if (code == QLatin1String("25")) { out += QLatin1Char('%'); i += 2; continue; }
            if (code == QLatin1String("2F")) { out += QLatin1Char('/'); i += 2; continue; }
            if (code == QLatin1String("5C")) { out += QLatin1Char('\\'); i += 2; continue; }
        }
        out += c;
    }
    return out;
}

}  // namespace zandor::platform
