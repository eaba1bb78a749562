#include "ReferenceReader.h"
#include "TestNodes.h"
#include "library/ScriptDocument.h"

#include <QDir>

#include <QFile>
#include <QRandomGenerator>
#include <QTest>

#include <limits>

namespace {

QByteArray fixture(const QString &name)
{
    QFile file(QStringLiteral(ORLENTA_FIXTURES_DIR "/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", qPrintable(name));
    return file.readAll();
}

const QUuid folderID{QStringLiteral("5D1B4C7A-0000-4000-8000-00000000A001")};
const QUuid scriptID{QStringLiteral("0F6A9C1E-2B3D-4E5F-8A9B-0C1D2E3F4A5B")};
constexpr double readingTime = 789000000.25;

ShellNode node(NodeKind kind, const QString &name, const QString &id, double createdAt)
{
    return TestNodes::createdAt(TestNodes::bare(QUuid::fromString(id), kind, name), createdAt);
}

Persisted goldenDocument()
{
    ShellNode script = node(NodeKind::script, QStringLiteral("deploy"),
                            QStringLiteral("0F6A9C1E-2B3D-4E5F-8A9B-0C1D2E3F4A5B"), 723456789.5);
    script.filePath = QStringLiteral("/home/u/bin/deploy.sh");
    script.args = QStringList{QStringLiteral("start"), QStringLiteral("--force \"a b\"")};
    ShellNode tools = node(NodeKind::folder, QStringLiteral("工具"),
                           QStringLiteral("5D1B4C7A-0000-4000-8000-00000000A001"), 723456700);
    tools.children = QList<ShellNode>{script};
    ShellNode empty = node(NodeKind::folder, QStringLiteral("空"),
                           QStringLiteral("5D1B4C7A-0000-4000-8000-00000000A002"), 723456701.25);
    empty.children = QList<ShellNode>{};
    return Persisted{{tools, empty}, true};
}

// A library as users build it: nested folders, presets, odd names and paths.
Persisted realisticDocument()
{
    QRandomGenerator random(42);
    const QStringList names{QStringLiteral("deploy"),
                            QStringLiteral("备份 数据库"),
                            QStringLiteral("a/b \"quoted\" \\ back"),
                            QStringLiteral("tab\there"),
                            QStringLiteral("ctl\x01\x1f"),
                            QStringLiteral("😀 emoji"),
                            QString()};
    std::function<ShellNode(int)> make = [&](int depth) {
        ShellNode n;
        n.id = QUuid::createUuid();
        n.name = names.at(random.bounded(int(names.size())));
        n.createdAt = 700000000 + random.generateDouble() * 1e8;
        if (depth < 3 && random.bounded(2) == 0) {
            n.kind = NodeKind::folder;
            if (random.bounded(4) != 0) {
                QList<ShellNode> children;
                for (int i = random.bounded(4); i > 0; --i)
                    children.append(make(depth + 1));
                n.children = children;
            }
        } else {
            n.kind = NodeKind::script;
            n.filePath = QStringLiteral("/home/u/scripts/") + n.name + QStringLiteral(".sh");
            if (random.bounded(2) == 0)
                n.args = QStringList{QStringLiteral("--dry-run"), QStringLiteral("  spaced  "),
                                     QStringLiteral("line\nbreak")};
        }
        return n;
    };
    Persisted document;
    for (int i = 0; i < 12; ++i)
        document.roots.append(make(0));
    document.isPublished = false;
    return document;
}

} // namespace

class TestScriptDocument : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void writesGoldenDocumentByteForByte()
    {
        const QByteArray written = ScriptDocument::encode(goldenDocument());
        const QByteArray expected = fixture(QStringLiteral("golden.json"));
        if (written != expected)
            qWarning().noquote() << "written:\n" << QString::fromUtf8(written);
        QCOMPARE(written, expected);
    }

    void readsGoldenDocumentBack()
    {
        const ScriptDocument::Decoded decoded =
            ScriptDocument::decode(fixture(QStringLiteral("golden.json")), readingTime);
        QVERIFY2(decoded, qPrintable(decoded.error));
        QCOMPARE(*decoded.persisted, goldenDocument());
    }

    void roundTripsRealisticDocument()
    {
        const Persisted document = realisticDocument();
        const QByteArray bytes = ScriptDocument::encode(document);
        const ScriptDocument::Decoded decoded = ScriptDocument::decode(bytes, readingTime);
        QVERIFY2(decoded, qPrintable(decoded.error));
        QCOMPARE(*decoded.persisted, document);
        QCOMPARE(ScriptDocument::encode(*decoded.persisted), bytes);
    }

    void writesEmptyDocument()
    {
        QCOMPARE(ScriptDocument::encode(Persisted{}),
                 QByteArray("{\n  \"isPublished\" : false,\n  \"roots\" : [\n\n  ]\n}"));
    }

    void numberText_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("integral") << 723456700.0 << QByteArray("723456700");
        QTest::newRow("half") << 723456789.5 << QByteArray("723456789.5");
        QTest::newRow("tenth") << 0.1 << QByteArray("0.1");
        QTest::newRow("sub-millisecond") << 723456789.123456 << QByteArray("723456789.123456");
        QTest::newRow("negative") << -978307200.0 << QByteArray("-978307200");
        QTest::newRow("zero") << 0.0 << QByteArray("0");
        QTest::newRow("whole second with trailing zeros") << 790000000.0 << QByteArray("790000000");
        QTest::newRow("round billion") << 1e9 << QByteArray("1000000000");
        QTest::newRow("ten thousandth") << 0.0001 << QByteArray("0.0001");
        QTest::newRow("2^53") << 9007199254740992.0 << QByteArray("9007199254740992");
        QTest::newRow("beyond 2^53") << 1e16 << QByteArray("1e+16");
        QTest::newRow("tiny") << 1e-5 << QByteArray("1e-05");
    }
    void numberText()
    {
        QFETCH(double, value);
        QFETCH(QByteArray, text);
        QCOMPARE(ScriptDocument::numberText(value), text);
    }

    void numberTextReadsBackExactly()
    {
        QRandomGenerator random(7);
        for (int i = 0; i < 2000; ++i) {
            // Whole seconds too, where round numbers are common.
            const double value =
                i % 2 ? random.generateDouble() * 1e9 : double(random.bounded(1000)) * 1e6;
            const QByteArray text = ScriptDocument::numberText(value);
            bool ok = false;
            QCOMPARE(text.toDouble(&ok), value);
            QVERIFY(ok);
            QVERIFY2(!text.contains('e'), text.constData());
        }
    }

    void escapesStrings_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("json");
        QTest::newRow("solidus") << QStringLiteral("/a/b") << QByteArray("\"\\/a\\/b\"");
        QTest::newRow("quote and backslash")
            << QStringLiteral("\"\\") << QByteArray("\"\\\"\\\\\"");
        QTest::newRow("short escapes")
            << QStringLiteral("\b\f\n\r\t") << QByteArray("\"\\b\\f\\n\\r\\t\"");
        QTest::newRow("other controls")
            << QStringLiteral("\x01\x1f") << QByteArray("\"\\u0001\\u001f\"");
        QTest::newRow("non-ASCII as UTF-8")
            << QStringLiteral("工具 é 😀") << QStringLiteral("\"工具 é 😀\"").toUtf8();
        QTest::newRow("delete is not a control")
            << QStringLiteral("\x7f") << QByteArray("\"\x7f\"");
    }
    void escapesStrings()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, json);
        QByteArray out;
        ScriptDocument::appendString(out, text);
        QCOMPARE(out, json);
    }

    // Whatever a name holds, the document written must read back.
    void loneSurrogatesStillGiveAReadableDocument()
    {
        Persisted document = goldenDocument();
        QString name = QStringLiteral("a");
        name.append(QChar(char16_t(0xD800)));
        name.append(u'b');
        name.append(QChar(char16_t(0xDC00)));
        document.roots[1].name = name;
        const ScriptDocument::Decoded decoded =
            ScriptDocument::decode(ScriptDocument::encode(document), readingTime);
        QVERIFY2(decoded, qPrintable(decoded.error));
        QCOMPARE(decoded.persisted->roots.at(1).name.size(), 4);
        QVERIFY(decoded.persisted->roots.at(1).name.startsWith(u'a'));
    }

    // Far beyond the writer's first buffer: long texts in many nodes.
    void largeDocumentsRoundTrip()
    {
        Persisted document = goldenDocument();
        QString longName;
        for (int i = 0; i < 20000; ++i)
            longName += QStringLiteral("名/\"\n😀x");
        document.roots[1].name = longName;
        ShellNode script = document.roots[0].children->first();
        for (int i = 0; i < 3000; ++i) {
            script.id = QUuid::createUuid();
            script.createdAt = 700000000 + i * 1000.0;
            document.roots[0].children->append(script);
        }
        const QByteArray bytes = ScriptDocument::encode(document);
        QVERIFY(bytes.size() > 1000000);
        const ScriptDocument::Decoded decoded = ScriptDocument::decode(bytes, readingTime);
        QVERIFY2(decoded, qPrintable(decoded.error));
        QCOMPARE(*decoded.persisted, document);
    }

    void refusesToWriteNonFiniteTimestamps()
    {
        Persisted document = goldenDocument();
        document.roots[1].createdAt = std::numeric_limits<double>::quiet_NaN();
        QVERIFY(ScriptDocument::encode(document).isEmpty());
        document.roots[1].createdAt = std::numeric_limits<double>::infinity();
        QVERIFY(ScriptDocument::encode(document).isEmpty());
    }

    void acceptsOrRejects_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("reason"); // part of the error text when rejected

        const auto accept = [](const char *file) {
            QTest::newRow(file) << QString::fromLatin1(file) << true << QString();
        };
        const auto reject = [](const char *file, const char *reason) {
            QTest::newRow(file) << QString::fromLatin1(file) << false
                                << QString::fromLatin1(reason);
        };
        accept("args-string.json");
        accept("args-empty-string.json");
        accept("args-empty-array.json");
        accept("args-array-with-number.json");
        accept("args-number.json");
        accept("args-null.json");
        accept("args-untrimmed.json");
        accept("missing-createdAt.json");
        accept("null-optionals.json");
        accept("lowercase-id.json");
        accept("escaped-slashes.json");
        accept("unescaped-slashes.json");
        accept("non-ascii-utf8.json");
        accept("non-ascii-escaped.json");
        accept("extra-keys.json");
        accept("bom.json");
        reject("unknown-kind.json", "unknown \"kind\": link");
        reject("deep-unknown-kind.json", "roots[0].children[0].children[0].children[0]");
        reject("bare-array.json", "not a JSON object");
        reject("missing-isPublished.json", "no \"isPublished\"");
        reject("isPublished-string.json", "\"isPublished\" is not");
        reject("isPublished-null.json", "\"isPublished\" is not");
        reject("missing-roots.json", "no \"roots\"");
        reject("roots-object.json", "\"roots\" is not an array");
        reject("children-string.json", "\"children\" is not an array");
        reject("children-holding-string.json", "is not an object");
        reject("createdAt-string.json", "\"createdAt\" is not a number");
        reject("filePath-number.json", "\"filePath\" is not a string");
        reject("name-number.json", "\"name\" is not a string");
        reject("missing-name.json", "no \"name\"");
        reject("missing-id.json", "no \"id\"");
        reject("missing-kind.json", "no \"kind\"");
        reject("id-not-uuid.json", "not a UUID");
        reject("id-with-braces.json", "not a UUID");
        reject("id-without-hyphens.json", "not a UUID");
        reject("truncated.json", "not valid JSON");
        reject("empty.json", "not valid JSON");
    }
    void acceptsOrRejects()
    {
        QFETCH(QString, file);
        QFETCH(bool, accepted);
        QFETCH(QString, reason);
        const ScriptDocument::Decoded decoded =
            ScriptDocument::decode(fixture(QStringLiteral("documents/") + file), readingTime);
        QCOMPARE(bool(decoded), accepted);
        if (accepted) {
            QVERIFY(decoded.error.isEmpty());
            QCOMPARE(decoded.persisted->roots.size(), 1);
            QCOMPARE(decoded.persisted->roots.first().id, folderID);
        } else {
            QVERIFY2(decoded.error.contains(reason), qPrintable(decoded.error));
        }
    }

    void readsArgsLeniently_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<std::optional<QStringList>>("args");
        QTest::newRow("one string") << QStringLiteral("args-string.json")
                                    << std::optional(QStringList{QStringLiteral("start --force")});
        QTest::newRow("empty string")
            << QStringLiteral("args-empty-string.json") << std::optional<QStringList>();
        QTest::newRow("empty array")
            << QStringLiteral("args-empty-array.json") << std::optional<QStringList>();
        QTest::newRow("array holding a number")
            << QStringLiteral("args-array-with-number.json") << std::optional<QStringList>();
        QTest::newRow("number") << QStringLiteral("args-number.json")
                                << std::optional<QStringList>();
        QTest::newRow("null") << QStringLiteral("args-null.json") << std::optional<QStringList>();
        QTest::newRow("kept untrimmed")
            << QStringLiteral("args-untrimmed.json")
            << std::optional(
                   QStringList{QStringLiteral("  padded  "), QString(), QStringLiteral("\n")});
    }
    void readsArgsLeniently()
    {
        QFETCH(QString, file);
        QFETCH(std::optional<QStringList>, args);
        const ScriptDocument::Decoded decoded =
            ScriptDocument::decode(fixture(QStringLiteral("documents/") + file), readingTime);
        QVERIFY2(decoded, qPrintable(decoded.error));
        const ShellNode script = decoded.persisted->roots.first().children->first();
        QCOMPARE(script.args, args);
        // Absent presets are not written back.
        QCOMPARE(ScriptDocument::encode(*decoded.persisted).contains("\"args\""), args.has_value());
    }

    void fillsMissingOrNullValues()
    {
        const auto script = [](const char *file) {
            const ScriptDocument::Decoded decoded = ScriptDocument::decode(
                fixture(QStringLiteral("documents/") + QLatin1StringView(file)), readingTime);
            return decoded.persisted->roots.first().children->first();
        };
        QCOMPARE(script("missing-createdAt.json").createdAt, readingTime);
        const ShellNode nulls = script("null-optionals.json");
        QCOMPARE(nulls.createdAt, readingTime);
        QVERIFY(!nulls.filePath);
        QVERIFY(!nulls.children);
    }

    void readsEquivalentSpellingsAlike_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::newRow("slashes") << QStringLiteral("escaped-slashes.json")
                                 << QStringLiteral("unescaped-slashes.json");
        QTest::newRow("non-ASCII")
            << QStringLiteral("non-ascii-utf8.json") << QStringLiteral("non-ascii-escaped.json");
        QTest::newRow("id case") << QStringLiteral("lowercase-id.json")
                                 << QStringLiteral("unescaped-slashes.json");
        QTest::newRow("extra keys")
            << QStringLiteral("extra-keys.json") << QStringLiteral("unescaped-slashes.json");
        QTest::newRow("byte order mark")
            << QStringLiteral("bom.json") << QStringLiteral("unescaped-slashes.json");
    }
    void readsEquivalentSpellingsAlike()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        const auto read = [](const QString &file) {
            return ScriptDocument::decode(fixture(QStringLiteral("documents/") + file), readingTime)
                .persisted;
        };
        QCOMPARE(read(a), read(b));
        QCOMPARE(read(a)->roots.first().children->first().id, scriptID);
    }

    void nonAsciiNamesSurvive()
    {
        const ScriptDocument::Decoded decoded = ScriptDocument::decode(
            fixture(QStringLiteral("documents/non-ascii-escaped.json")), readingTime);
        QCOMPARE(decoded.persisted->roots.first().children->first().name,
                 QStringLiteral("部署 🚀 café"));
        QVERIFY(ScriptDocument::encode(*decoded.persisted).contains("部署 🚀 café"));
    }

    void uuidText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("upper") << QStringLiteral("0F6A9C1E-2B3D-4E5F-8A9B-0C1D2E3F4A5B") << true;
        QTest::newRow("lower") << QStringLiteral("0f6a9c1e-2b3d-4e5f-8a9b-0c1d2e3f4a5b") << true;
        QTest::newRow("nil") << QStringLiteral("00000000-0000-0000-0000-000000000000") << true;
        QTest::newRow("braces") << QStringLiteral("{0F6A9C1E-2B3D-4E5F-8A9B-0C1D2E3F4A5B}")
                                << false;
        QTest::newRow("hyphen moved")
            << QStringLiteral("0F6A9C1E2-B3D-4E5F-8A9B-0C1D2E3F4A5B") << false;
        QTest::newRow("not hex") << QStringLiteral("0F6A9C1E-2B3D-4E5F-8A9B-0C1D2E3F4A5G") << false;
        QTest::newRow("full-width digit")
            << QStringLiteral("0F6A9C1E-2B3D-4E5F-8A9B-0C1D2E3F4A5１") << false;
        QTest::newRow("empty") << QString() << false;
    }
    void uuidText()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QCOMPARE(ScriptDocument::isUuidText(text), valid);
    }

    // The one-pass reader must agree with a reader built on QJsonDocument:
    // same verdict, same tree, on every fixture and on damaged documents;
    // only where QJsonDocument accepts what JSON forbids may it differ.
    void agreesWithQJsonDocumentReader_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QDir fixtures(QStringLiteral(ORLENTA_FIXTURES_DIR "/documents"));
        for (const QString &name : fixtures.entryList(QDir::Files))
            QTest::newRow(qPrintable(name)) << fixture(QStringLiteral("documents/") + name);
        QTest::newRow("golden") << fixture(QStringLiteral("golden.json"));
        QTest::newRow("realistic") << ScriptDocument::encode(realisticDocument());
        QTest::newRow("escapes") << QByteArray(
            "{\"roots\":[{\"id\":\"0f6a9c1e-2b3d-4e5f-8a9b-0c1d2e3f4a5b\",\"kind\":\"script\","
            "\"name\":\"\\u00e9\\ud83d\\ude00\\/\\\"\\\\\\b\\f\\n\\r\\t\","
            "\"createdAt\":-1.5e3,\"x\":[{},[],null,true,false,0,-0.0,1E+2,\"\"]}],"
            "\"isPublished\":false}");
        QTest::newRow("numbers") << QByteArray(
            "{\"isPublished\":true,\"roots\":[{\"id\":\"0F6A9C1E-2B3D-4E5F-8A9B-0C1D2E3F4A5B\","
            "\"kind\":\"folder\",\"name\":\"\",\"createdAt\":0.1e-2}]}");
    }
    void agreesWithQJsonDocumentReader()
    {
        QFETCH(QByteArray, bytes);
        // Damage the document in many small ways; both readers must agree on each.
        const QList<QByteArray> tokens{
            "{",    "}",    "[",    "]",        "\"",           ",",
            ":",    "\\",   "\\u",  "\\ud800",  "\\udc00",      "0",
            "01",   "-",    ".",    "e",        "1e400",        " ",
            "\t",   "\n",   "\x01", "\xC3",     "\xE6\x96",     "\xFF",
            "null", "true", "tru",  "\"args\"", "\"children\"", "\"kind\":\"folder\""};
        QRandomGenerator random(qHash(bytes));
        const auto check = [&](const QByteArray &input) {
            const ScriptDocument::Decoded mine = ScriptDocument::decode(input, readingTime);
            const ScriptDocument::Decoded theirs = reference::referenceDecode(input, readingTime);
            // QJsonDocument lets through strings and numbers that JSON forbids.
            const bool knownLeniency = !mine && theirs &&
                                       (mine.error.endsWith(u"bad escape in a string") ||
                                        mine.error.endsWith(u"control character in a string") ||
                                        mine.error.endsWith(u"unpaired surrogate in a string") ||
                                        mine.error.endsWith(u"bad number"));
            if (!knownLeniency &&
                (bool(mine) != bool(theirs) || mine.persisted != theirs.persisted)) {
                qWarning().noquote()
                    << "input:" << input.toPercentEncoding(" {}[]:,\"")
                    << "\nmine:" << (mine ? QStringLiteral("accepted") : mine.error)
                    << "\nreference:" << (theirs ? QStringLiteral("accepted") : theirs.error);
                return false;
            }
            return true;
        };
        QVERIFY(check(bytes));
        for (int i = 0; i < 3000; ++i) {
            QByteArray damaged = bytes;
            for (int edits = 1 + random.bounded(2); edits > 0; --edits) {
                const int at = random.bounded(int(damaged.size()) + 1);
                switch (random.bounded(4)) {
                case 0:
                    damaged.remove(at, 1 + random.bounded(3));
                    break;
                case 1:
                    damaged.insert(at, tokens.at(random.bounded(int(tokens.size()))));
                    break;
                case 2:
                    damaged.replace(at, 1, tokens.at(random.bounded(int(tokens.size()))));
                    break;
                default:
                    damaged.truncate(at);
                }
            }
            QVERIFY(check(damaged));
        }
    }

    // Values spliced into a one-node document as raw JSON text.
    void strictJson_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("createdAt");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<double>("readAs");
        const auto row = [](const char *tag, const char *name, const char *createdAt, bool accepted,
                            double readAs = 0) {
            QTest::newRow(tag) << QByteArray(name) << QByteArray(createdAt) << accepted << readAs;
        };
        row("plain", "\"a\"", "1.5", true, 1.5);
        row("exponent", "\"a\"", "-1.5E+3", true, -1500);
        row("underflow reads as zero", "\"a\"", "1e-400", true, 0);
        row("overflow", "\"a\"", "1e400", false);
        row("overflow with a small mantissa", "\"a\"", "-0.1e4000", false);
        row("leading zero", "\"a\"", "01", false);
        row("bare point", "\"a\"", "1.", false);
        row("leading point", "\"a\"", ".5", false);
        row("empty exponent", "\"a\"", "1e", false);
        row("plus sign", "\"a\"", "+1", false);
        row("raw tab in a string", "\"a\tb\"", "1", false);
        row("unknown escape", "\"a\\qb\"", "1", false);
        row("lone high surrogate", "\"\\ud83d\"", "1", false);
        row("lone low surrogate", "\"\\ude00\"", "1", false);
        row("surrogate pair", "\"\\ud83d\\ude00\"", "1", true, 1);
        row("invalid UTF-8", "\"\xC3\x28\"", "1", false);
        row("overlong UTF-8", "\"\xC0\xAF\"", "1", false);
    }
    void strictJson()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, createdAt);
        QFETCH(bool, accepted);
        QFETCH(double, readAs);
        const QByteArray text =
            "{\"isPublished\":true,\"roots\":[{\"id\":\"0F6A9C1E-2B3D-4E5F-8A9B-0C1D2E3F4A5B\","
            "\"kind\":\"script\",\"name\":" +
            name + ",\"createdAt\":" + createdAt + "}]}";
        const ScriptDocument::Decoded decoded = ScriptDocument::decode(text, readingTime);
        QVERIFY2(bool(decoded) == accepted, qPrintable(decoded.error));
        if (accepted)
            QCOMPARE(decoded.persisted->roots.first().createdAt, readAs);
        else
            QVERIFY(decoded.error.startsWith(u"not valid JSON at offset "));
    }

    // The reason is what the store reports when it moves a document aside.
    void everyRejectionSaysWhy_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        QTest::newRow("array, then text") << QByteArray("[1] x") << "text after the document";
        QTest::newRow("string, then text") << QByteArray("\"a\" 1") << "text after the document";
        QTest::newRow("object, then text") << QByteArray("{} x") << "text after the document";
        QTest::newRow("bare number") << QByteArray("12") << "not a JSON object";
        QTest::newRow("whitespace only") << QByteArray(" \n") << "the document is empty";
    }
    void everyRejectionSaysWhy()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        const ScriptDocument::Decoded decoded = ScriptDocument::decode(bytes, readingTime);
        QVERIFY(!decoded);
        QVERIFY2(decoded.error.contains(reason), qPrintable(decoded.error));
    }

    void deepFolderChains()
    {
        const auto chain = [](int depth) {
            ShellNode node = ::node(NodeKind::script, QStringLiteral("leaf"),
                                    QUuid::createUuid().toString(QUuid::WithoutBraces), 1);
            for (int i = 0; i < depth; ++i) {
                ShellNode parent = ::node(NodeKind::folder, QStringLiteral("f"),
                                          QUuid::createUuid().toString(QUuid::WithoutBraces), 1);
                parent.children = QList<ShellNode>{node};
                node = parent;
            }
            return Persisted{{node}, true};
        };
        const Persisted deep = chain(200);
        QCOMPARE(ScriptDocument::decode(ScriptDocument::encode(deep), 0).persisted, deep);
        const ScriptDocument::Decoded tooDeep =
            ScriptDocument::decode(ScriptDocument::encode(chain(2000)), 0);
        QVERIFY(!tooDeep);
        QVERIFY(tooDeep.error.contains(u"too deeply nested"));
    }

    void deepNestingIsRejectedNotCrashed()
    {
        QByteArray text = "{\"isPublished\":true,\"roots\":";
        for (int i = 0; i < 100000; ++i)
            text += "[";
        const ScriptDocument::Decoded decoded = ScriptDocument::decode(text, readingTime);
        QVERIFY(!decoded);
    }
};

QTEST_GUILESS_MAIN(TestScriptDocument)
#include "tst_scriptdocument.moc"
