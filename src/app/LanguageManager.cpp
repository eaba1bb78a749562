#include "app/LanguageManager.h"

LanguageManager::LanguageManager(QObject *parent) : QObject(parent) {}

LanguageManager &LanguageManager::shared()
{
    static LanguageManager instance;
    return instance;
}

QString LanguageManager::localized(const QString &key, const QStringList &args)
{
    QString result;
    qsizetype next = 0;
    qsizetype from = 0;
    for (qsizetype at = key.indexOf(u"%@"); at >= 0; at = key.indexOf(u"%@", from)) {
        result += key.mid(from, at - from);
        result += next < args.size() ? args.at(next) : QString();
        ++next;
        from = at + 2;
    }
    result += key.mid(from);
    return result;
}
