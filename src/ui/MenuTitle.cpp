#include "ui/MenuTitle.h"

QString MenuTitle::verbatim(const QString &text)
{
    if (!text.contains(u'&') && !text.contains(u'\t'))
        return text;
    QString title = text;
    title.replace(u'&', QStringLiteral("&&"));
    title.replace(u'\t', u' ');
    return title;
}
