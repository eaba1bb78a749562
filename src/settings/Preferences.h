#pragma once

#include <QByteArray>
#include <QLatin1StringView>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class QSettings;

// Typed access to the per-user preference store. An absent key reads as
// std::nullopt; nothing registers defaults, each reader supplies its own.
class Preferences : public QObject
{
    Q_OBJECT
public:
    // The per-user INI file (~/.config/orlenta/orlenta.ini).
    Preferences();
    // An explicit backing file, for tests.
    explicit Preferences(const QString &iniFilePath);
    ~Preferences() override;

    // The process-wide instance. useStandardFile() must come before the first call.
    static Preferences &standard();
    static void useStandardFile(const QString &iniFilePath);

    QString filePath() const;

    std::optional<QString> string(QLatin1StringView key) const;
    std::optional<QByteArray> data(QLatin1StringView key) const;
    std::optional<qint64> integer(QLatin1StringView key) const;
    std::optional<bool> boolean(QLatin1StringView key) const;

    void setString(QLatin1StringView key, const QString &value);
    void setData(QLatin1StringView key, const QByteArray &value);
    void setInteger(QLatin1StringView key, qint64 value);
    void setBoolean(QLatin1StringView key, bool value);

    void sync();

Q_SIGNALS:
    // Emitted after every set, so views bound to a key follow it.
    void changed(const QString &key);

private:
    std::unique_ptr<QSettings> m_settings;
};
