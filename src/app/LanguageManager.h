#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

// Interface texts are Simplified Chinese literals that are also their own
// lookup keys. Write keys literally: LanguageManager::localized(QStringLiteral("退出")).
class LanguageManager : public QObject
{
    Q_OBJECT
public:
    static LanguageManager &shared();

    // The text of a key in the current language, "%@" filled in order.
    static QString localized(const QString &key, const QStringList &args = {});

Q_SIGNALS:
    void languageChanged();

private:
    explicit LanguageManager(QObject *parent = nullptr);
};
