#include "settings/Preferences.h"

#include <QSettings>

namespace {
QString &standardFileOverride()
{
    static QString path;
    return path;
}
} // namespace

Preferences::Preferences()
    : m_settings(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                             QStringLiteral("orlenta"), QStringLiteral("orlenta")))
{}

Preferences::Preferences(const QString &iniFilePath)
    : m_settings(std::make_unique<QSettings>(iniFilePath, QSettings::IniFormat))
{}

Preferences::~Preferences() = default;

Preferences &Preferences::standard()
{
    static Preferences *instance = standardFileOverride().isEmpty()
                                       ? new Preferences()
                                       : new Preferences(standardFileOverride());
    return *instance;
}

void Preferences::useStandardFile(const QString &iniFilePath)
{
    standardFileOverride() = iniFilePath;
}

QString Preferences::filePath() const
{
    return m_settings->fileName();
}

// Setters write through at once: QSettings otherwise flushes from the event
// loop, and a change made just before quitting would be lost.

// QSettings hands back strings for everything read from an INI file after a
// restart, so every getter converts explicitly.
std::optional<QString> Preferences::string(QLatin1StringView key) const
{
    const QVariant value = m_settings->value(key);
    if (!value.isValid())
        return std::nullopt;
    if (value.typeId() == QMetaType::QStringList) // "a, b" comes back as a list
        return value.toStringList().join(u", ");
    return value.toString();
}

std::optional<QByteArray> Preferences::data(QLatin1StringView key) const
{
    const QVariant value = m_settings->value(key);
    if (!value.isValid())
        return std::nullopt;
    if (value.typeId() == QMetaType::QByteArray)
        return value.toByteArray();
    return string(key)->toUtf8();
}

std::optional<qint64> Preferences::integer(QLatin1StringView key) const
{
    const QVariant value = m_settings->value(key);
    if (!value.isValid())
        return std::nullopt;
    bool ok = false;
    const qint64 number = value.toString().trimmed().toLongLong(&ok);
    return ok ? number : 0; // an unreadable number reads as 0, as an integer getter does
}

std::optional<bool> Preferences::boolean(QLatin1StringView key) const
{
    const QVariant value = m_settings->value(key);
    if (!value.isValid())
        return std::nullopt;
    const QString text = value.toString().trimmed().toLower();
    if (text == u"true" || text == u"yes")
        return true;
    bool ok = false;
    const qint64 number = text.toLongLong(&ok);
    return ok && number != 0;
}

void Preferences::setString(QLatin1StringView key, const QString &value)
{
    m_settings->setValue(key, value);
    m_settings->sync();
    Q_EMIT changed(key);
}

void Preferences::setData(QLatin1StringView key, const QByteArray &value)
{
    m_settings->setValue(key, value);
    m_settings->sync();
    Q_EMIT changed(key);
}

void Preferences::setInteger(QLatin1StringView key, qint64 value)
{
    m_settings->setValue(key, value);
    m_settings->sync();
    Q_EMIT changed(key);
}

void Preferences::setBoolean(QLatin1StringView key, bool value)
{
    m_settings->setValue(key, value);
    m_settings->sync();
    Q_EMIT changed(key);
}

void Preferences::sync()
{
    m_settings->sync();
}
