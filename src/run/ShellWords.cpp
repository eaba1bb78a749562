#include "run/ShellWords.h"

#include <utility>

namespace ShellWords {

QString quoted(const QString &text)
{
    QString inner = text;
    inner.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + inner + u'\'';
}

bool isSafe(const QString &word)
{
    if (word.isEmpty())
        return false;
    for (const QChar c : word) {
        const char16_t u = c.unicode();
        const bool safe = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') ||
                          (u >= u'0' && u <= u'9') || u == u'/' || u == u'.' || u == u'-' ||
                          u == u'_' || u == u'=' || u == u':' || u == u',' || u == u'+' ||
                          u == u'@' || u == u'%';
        if (!safe)
            return false;
    }
    return true;
}

// Single quotes with quotes and backslashes kept outside them, as \' and
// \\: the same word for sh, GLib, fish and csh (terminator hands the string
// to the user's login shell, whichever it is; fish reads \\ and \' inside
// single quotes as escapes).
QString portable(const QString &word)
{
    if (isSafe(word))
        return word;
    QString quoted;
    bool open = false;
    for (const QChar c : word) {
        if (c == u'\'' || c == u'\\') {
            if (open)
                quoted += u'\'';
            open = false;
            quoted += u'\\';
            quoted += c;
        } else {
            if (!open)
                quoted += u'\'';
            open = true;
            quoted += c;
        }
    }
    if (open)
        quoted += u'\'';
    return quoted.isEmpty() ? QStringLiteral("''") : quoted;
}
QString join(const QStringList &arguments)
{
    QStringList words;
    for (const QString &argument : arguments)
        words << portable(argument);
    return words.join(u' ');
}

std::optional<QStringList> split(const QString &text)
{
    QStringList words;
    QString word;
    bool inWord = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u' ' || c == u'\t' || c == u'\n') {
            if (inWord)
                words << std::exchange(word, QString());
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == u'\\') {
            if (++i == text.size())
                return std::nullopt;
            if (text.at(i) != u'\n')
                word += text.at(i);
        } else if (c == u'\'') {
            const qsizetype end = text.indexOf(u'\'', i + 1);
            if (end < 0)
                return std::nullopt;
            word += QStringView(text).sliced(i + 1, end - i - 1);
            i = end;
        } else if (c == u'"') {
            for (++i;; ++i) {
                if (i == text.size())
                    return std::nullopt;
                const QChar d = text.at(i);
                if (d == u'"')
                    break;
                if (d == u'\\' && i + 1 < text.size() &&
                    QStringView(u"\"\\$`\n").contains(text.at(i + 1))) {
                    if (text.at(++i) != u'\n')
                        word += text.at(i);
                } else {
                    word += d;
                }
            }
        } else {
            word += c;
        }
    }
    if (inWord)
        words << word;
    return words;
}

} // namespace ShellWords
