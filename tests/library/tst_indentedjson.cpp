// JSON written piece by piece reads byte for byte as QJsonDocument writes
// the same values, on random texts of every kind of character.
#include "TestSupport.h"
#include "library/json/IndentedJson.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTest>

namespace {
QString randomText(QRandomGenerator &random)
{
    // Quotes, escapes, controls (C0, DEL, C1), a line separator, CJK, both
    // halves of a surrogate pair (together or alone) and a noncharacter.
    static const char16_t pool[] = {u'a',   u'Z',   u' ',   u'"',   u'\\',  u'/',  u'\n', u'\t',
                                    u'\r',  0x01,   0x1F,   0x7F,   0x80,   0x9F,  0xA0,  0xE9,
                                    0x2028, 0x4E2D, 0xD83D, 0xDE00, 0xDFFF, 0xFFFF};
    QString text;
    for (int i = random.bounded(8); i > 0; --i)
        text += QChar(pool[random.bounded(int(std::size(pool)))]);
    return text;
}
} // namespace

class TestIndentedJson : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void sameBytesAsQJsonDocument()
    {
        QRandomGenerator random(15);
        for (int round = 0; round < 500; ++round) {
            IndentedJson json;
            QJsonObject object;
            const bool flag = random.bounded(2) == 1;
            json.beginObject();
            json.key("flag");
            json.boolean(flag);
            object[QStringLiteral("flag")] = flag;
            json.key("items");
            json.beginArray();
            QJsonArray items;
            for (int i = random.bounded(3); i > 0; --i) {
                const QString text = randomText(random);
                json.beginObject();
                json.key("none");
                json.beginArray();
                json.endArray();
                json.key("text");
                json.string(text);
                json.endObject();
                items.append(QJsonObject{{QStringLiteral("none"), QJsonArray()},
                                         {QStringLiteral("text"), text}});
            }
            json.endArray();
            object[QStringLiteral("items")] = items;
            const QString last = randomText(random);
            json.key("last");
            json.string(last);
            object[QStringLiteral("last")] = last;
            json.endObject();
            // Keys in QJsonObject's (sorted) order.
            QCOMPARE(QString::fromUtf8(json.take()), qtJsonLayout(QJsonDocument(object)));
        }
    }
};

QTEST_GUILESS_MAIN(TestIndentedJson)
#include "tst_indentedjson.moc"
