#include "update/Appcast.h"

#include <QXmlStreamReader>

namespace {

const QString kSparkleNamespace =
    QStringLiteral("http://www.andymatuschak.org/xml-namespaces/sparkle");

bool isSparkle(const QXmlStreamReader &xml, QStringView name)
{
    return xml.name() == name &&
           (xml.namespaceUri() == kSparkleNamespace ||
            xml.qualifiedName() == QString(QStringLiteral("sparkle:") + name.toString()));
}

QString sparkleAttribute(const QXmlStreamAttributes &attributes, QStringView name)
{
    if (attributes.hasAttribute(kSparkleNamespace, name.toString()))
        return attributes.value(kSparkleNamespace, name.toString()).toString().trimmed();
    return attributes.value(QString(QStringLiteral("sparkle:") + name.toString()))
        .toString()
        .trimmed();
}

AppcastItem readItem(QXmlStreamReader &xml)
{
    AppcastItem item;
    QString elementVersion;
    QString elementShortVersion;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"title" && xml.namespaceUri().isEmpty()) {
            item.title = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        } else if (xml.name() == u"link" && xml.namespaceUri().isEmpty()) {
            item.infoURL =
                QUrl(xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed());
        } else if (xml.name() == u"enclosure") {
            const QXmlStreamAttributes attributes = xml.attributes();
            item.downloadURL = QUrl(attributes.value(QStringLiteral("url")).toString().trimmed());
            item.version = sparkleAttribute(attributes, u"version");
            item.shortVersionString = sparkleAttribute(attributes, u"shortVersionString");
            xml.skipCurrentElement();
        } else if (isSparkle(xml, u"version")) {
            elementVersion = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        } else if (isSparkle(xml, u"shortVersionString")) {
            elementShortVersion =
                xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        } else {
            xml.skipCurrentElement();
        }
    }
    // Newer feeds put the versions in elements of the item instead.
    if (item.version.isEmpty())
        item.version = elementVersion;
    if (item.shortVersionString.isEmpty())
        item.shortVersionString = elementShortVersion;
    return item;
}

enum class Kind { number, string, separator };

Kind kindOf(QChar c)
{
    if (c.isDigit())
        return Kind::number;
    if (c == u'.' || c.isSpace() || c.isPunct())
        return Kind::separator;
    return Kind::string;
}

QStringList split(const QString &version)
{
    QStringList parts;
    if (version.isEmpty())
        return parts;
    QString current(version.at(0));
    Kind previous = kindOf(version.at(0));
    for (qsizetype i = 1; i < version.size(); ++i) {
        const QChar c = version.at(i);
        const Kind kind = kindOf(c);
        if (kind != previous || previous == Kind::separator) {
            parts.append(current);
            current = QString(c);
        } else {
            current.append(c);
        }
        previous = kind;
    }
    parts.append(current);
    return parts;
}

// Digit runs compared as numbers of any length, without overflow.
int compareNumbers(QStringView a, QStringView b)
{
    while (a.size() > 1 && a.front() == u'0')
        a = a.mid(1);
    while (b.size() > 1 && b.front() == u'0')
        b = b.mid(1);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

int sign(int value)
{
    return (value > 0) - (value < 0);
}

} // namespace

QString AppcastItem::displayVersionString() const
{
    return shortVersionString.isEmpty() ? version : shortVersionString;
}

QUrl AppcastItem::pageURL() const
{
    return infoURL.isValid() && !infoURL.isEmpty() ? infoURL : downloadURL;
}

AppcastParseResult parseAppcast(const QByteArray &bytes)
{
    AppcastParseResult result;
    QXmlStreamReader xml(bytes);
    bool sawRss = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"rss")
            sawRss = true;
        if (xml.name() == u"item" && xml.namespaceUri().isEmpty()) {
            AppcastItem item = readItem(xml);
            if (!item.version.isEmpty())
                result.items.append(item);
        }
    }
    if (xml.hasError()) {
        result.items.clear();
        result.error = QStringLiteral("line %1: %2").arg(xml.lineNumber()).arg(xml.errorString());
    } else if (!sawRss) {
        result.error = QStringLiteral("not an appcast feed");
    }
    return result;
}

int compareVersions(const QString &a, const QString &b)
{
    const QStringList partsA = split(a);
    const QStringList partsB = split(b);
    const qsizetype n = qMin(partsA.size(), partsB.size());
    for (qsizetype i = 0; i < n; ++i) {
        const QString &partA = partsA.at(i);
        const QString &partB = partsB.at(i);
        const Kind kindA = kindOf(partA.at(0));
        const Kind kindB = kindOf(partB.at(0));
        if (kindA == kindB) {
            if (kindA == Kind::number) {
                if (const int c = compareNumbers(partA, partB))
                    return c;
            } else if (kindA == Kind::string) {
                if (const int c = sign(partA.compare(partB)))
                    return c;
            }
            continue;
        }
        // A string part (a pre-release tag like "b") loses against anything else;
        // a number beats a separator.
        if (kindA != Kind::string && kindB == Kind::string)
            return 1;
        if (kindA == Kind::string && kindB != Kind::string)
            return -1;
        return kindA == Kind::number ? 1 : -1;
    }
    if (partsA.size() == partsB.size())
        return 0;
    // One goes on: a further string part makes it older ("1.0" > "1.0b1"),
    // a further number or separator newer ("1.0.1" > "1.0").
    const bool aLonger = partsA.size() > partsB.size();
    const QString &extra = aLonger ? partsA.at(n) : partsB.at(n);
    const bool extraIsString = kindOf(extra.at(0)) == Kind::string;
    if (extraIsString)
        return aLonger ? -1 : 1;
    return aLonger ? 1 : -1;
}

std::optional<AppcastItem> newestUpdate(const QList<AppcastItem> &items, const QString &current)
{
    std::optional<AppcastItem> best;
    for (const AppcastItem &item : items) {
        if (compareVersions(item.version, current) <= 0)
            continue;
        if (!best || compareVersions(item.version, best->version) > 0)
            best = item;
    }
    return best;
}
