#include "ui/MenuTitle.h"

QString MenuTitle::verbatim(const QString &text)
{
    if (text.size() > longest) {
        qsizetype cut = longest;
        if (text.at(cut - 1).isHighSurrogate())
            --cut;
        return verbatim(text.left(cut)) + QStringLiteral("…");
    }
    if (!text.contains(u'&') && !text.contains(u'\t'))
        return text;
    QString title = text;
    title.replace(u'&', QStringLiteral("&&"));
    title.replace(u'\t', u' ');
    return title;
}
