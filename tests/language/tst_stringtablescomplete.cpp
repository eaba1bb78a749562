#include "language/LanguageManager.h"
#include "language/StringsTable.h"

#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

// Every text the program looks up must have an entry in every table, with the
// same placeholders, or a user of that language meets untranslated Chinese.
namespace {

const QString resourcesDir = QStringLiteral(ORLENTA_SOURCE_DIR "/resources");

// Decodes the escapes of a C++ string literal body.
QString unescapeCpp(const QString &body)
{
    QString out;
    for (qsizetype i = 0; i < body.size(); ++i) {
        const QChar c = body.at(i);
        if (c != u'\\' || i + 1 >= body.size()) {
            out += c;
            continue;
        }
        const QChar e = body.at(++i);
        switch (e.unicode()) {
        case 'n':
            out += u'\n';
            break;
        case 't':
            out += u'\t';
            break;
        case 'r':
            out += u'\r';
            break;
        case 'u':
            out += QChar(char16_t(body.mid(i + 1, 4).toUShort(nullptr, 16)));
            i += 4;
            break;
        default:
            out += e;
            break;
        }
    }
    return out;
}

// key -> "file:line" of its first use
QMap<QString, QString> keysUsedBy(const QString &function)
{
    const QRegularExpression use(
        u"\\b"_s + function + u"\\(\\s*QStringLiteral\\(\\s*\"((?:[^\"\\\\]|\\\\.)*)\"\\s*\\)"_s);
    QMap<QString, QString> keys;
    QDirIterator it(QStringLiteral(ORLENTA_SOURCE_DIR "/src"), {u"*.cpp"_s, u"*.h"_s}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString text = QString::fromUtf8(file.readAll());
        for (const QRegularExpressionMatch &m : use.globalMatch(text)) {
            const QString key = unescapeCpp(m.captured(1));
            const qsizetype line = text.left(m.capturedStart()).count(u'\n') + 1;
            if (!keys.contains(key))
                keys.insert(key, file.fileName().mid(qsizetype(sizeof(ORLENTA_SOURCE_DIR))) + u':' +
                                     QString::number(line));
        }
    }
    return keys;
}

StringsTable table(const QString &code)
{
    return StringsTable::fromFile(resourcesDir + u'/' + code + u".lproj/Localizable.strings"_s);
}

QString shown(const QString &text)
{
    QString copy = text;
    return copy.replace(u'\n', u"\\n"_s);
}

QList<int> sortedSlots(const QString &pattern)
{
    QList<int> slotList = LanguageManager::argumentSlots(pattern);
    std::sort(slotList.begin(), slotList.end());
    return slotList;
}

} // namespace

class TestStringTablesComplete : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void tablesParse_data()
    {
        QTest::addColumn<QString>("code");
        for (const QString &code : {u"en"_s, u"ko"_s, u"ja"_s, u"zh-Hans"_s})
            QTest::newRow(qPrintable(code)) << code;
    }
    void tablesParse()
    {
        QFETCH(QString, code);
        const StringsTable t = table(code);
        QVERIFY2(t.isValid(), qPrintable(code + u": "_s + t.errorString()));
        QVERIFY(!t.entries().isEmpty());
    }

    void everyKeyHasEveryTranslation_data()
    {
        QTest::addColumn<QString>("function");
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<int>("atLeast");
        QTest::newRow("interface texts")
            << u"localized"_s << QStringList{u"en"_s, u"ko"_s, u"ja"_s} << 1;
        QTest::newRow("system-locale texts")
            << u"localizedForSystemLocale"_s << QStringList{u"zh-Hans"_s, u"ko"_s, u"ja"_s} << 0;
    }
    void everyKeyHasEveryTranslation()
    {
        QFETCH(QString, function);
        QFETCH(QStringList, codes);
        QFETCH(int, atLeast);
        const QMap<QString, QString> keys = keysUsedBy(function);
        QVERIFY2(keys.size() >= atLeast, "the source scan found no keys at all");
        QStringList problems;
        for (const QString &code : codes) {
            const StringsTable t = table(code);
            for (auto it = keys.cbegin(); it != keys.cend(); ++it) {
                const std::optional<QString> text = t.value(it.key());
                if (!text || text->isEmpty())
                    problems << code + u": no entry for \""_s + shown(it.key()) + u"\" ("_s +
                                    it.value() + u')';
            }
        }
        QVERIFY2(problems.isEmpty(), qPrintable(u"\n"_s + problems.join(u'\n')));
    }

    void entriesKeepPlaceholdersAndLineFeeds_data() { tablesParse_data(); }
    void entriesKeepPlaceholdersAndLineFeeds()
    {
        QFETCH(QString, code);
        const StringsTable t = table(code);
        QStringList problems;
        for (auto it = t.entries().cbegin(); it != t.entries().cend(); ++it) {
            const QString &key = it.key();
            const QString &text = it.value();
            if (text.isEmpty())
                problems << u"empty entry for \""_s + shown(key) + u'"';
            if (sortedSlots(key) != sortedSlots(text))
                problems << u"placeholders differ: \""_s + shown(key) + u"\" = \""_s + shown(text) +
                                u'"';
            if (key.startsWith(u'\n') != text.startsWith(u'\n') ||
                key.endsWith(u'\n') != text.endsWith(u'\n'))
                problems << u"line feeds at the ends differ: \""_s + shown(key) + u'"';
        }
        QVERIFY2(problems.isEmpty(), qPrintable(code + u":\n"_s + problems.join(u'\n')));
    }

    // The program finds its tables beside itself in the build tree; a stale
    // copy there would hide a fresh entry from anyone running the build.
    void tablesAreCopiedBesideTheExecutable_data() { tablesParse_data(); }
    void tablesAreCopiedBesideTheExecutable()
    {
        QFETCH(QString, code);
        const QString relative = code + u".lproj/Localizable.strings"_s;
        QFile source(resourcesDir + u'/' + relative);
        QFile copy(QStringLiteral(ORLENTA_EXECUTABLE_DIR "/resources/") + relative);
        QVERIFY(source.open(QIODevice::ReadOnly));
        QVERIFY2(copy.open(QIODevice::ReadOnly), qPrintable(copy.fileName()));
        QVERIFY(source.readAll() == copy.readAll());
    }

    // The three interface tables move together: an entry added to one only
    // leaves the other two languages behind.
    void interfaceTablesHoldTheSameKeys()
    {
        const QStringList reference = table(u"en"_s).entries().keys();
        for (const QString &code : {u"ko"_s, u"ja"_s}) {
            const QHash<QString, QString> entries = table(code).entries();
            QStringList missing, extra;
            for (const QString &key : reference) {
                if (!entries.contains(key))
                    missing << shown(key);
            }
            for (auto it = entries.cbegin(); it != entries.cend(); ++it) {
                if (!reference.contains(it.key()))
                    extra << shown(it.key());
            }
            QVERIFY2(missing.isEmpty() && extra.isEmpty(),
                     qPrintable(code + u" lacks: "_s + missing.join(u" | "_s) + u"\nonly in "_s +
                                code + u": "_s + extra.join(u" | "_s)));
        }
    }
};

QTEST_GUILESS_MAIN(TestStringTablesComplete)
#include "tst_stringtablescomplete.moc"
