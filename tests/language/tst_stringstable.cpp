#include "language/StringsTable.h"

#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using Entries = QHash<QString, QString>;

class TestStringsTable : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parses_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Entries>("expected");

        QTest::newRow("empty file") << QByteArray() << Entries{};
        QTest::newRow("only comments") << QByteArray("/* header */\n// line\n  \n") << Entries{};
        QTest::newRow("one pair") << QByteArray("\"退出\" = \"Quit\";")
                                  << Entries{{u"退出"_s, u"Quit"_s}};
        QTest::newRow("tight and spread") << QByteArray("\"a\"=\"1\";\n\n  \"b\"\n =\t\"2\"  ;")
                                          << Entries{{u"a"_s, u"1"_s}, {u"b"_s, u"2"_s}};
        QTest::newRow("comments between tokens")
            << QByteArray("/* a */ \"a\" /* b */ = // c\n \"1\" /* d */; // e")
            << Entries{{u"a"_s, u"1"_s}};
        QTest::newRow("comment markers inside strings")
            << QByteArray("\"a // b\" = \"/* c */\";") << Entries{{u"a // b"_s, u"/* c */"_s}};
        QTest::newRow("escapes") << QByteArray(
                                        "\"q\\\"x\\\\y\\n\\t\\r\" = \"\\U0041\\u00e9\\UAC00\";")
                                 << Entries{{u"q\"x\\y\n\t\r"_s, QStringLiteral("A\u00e9\uAC00")}};
        QTest::newRow("surrogate pair from two escapes")
            << QByteArray("\"k\" = \"\\UD83D\\UDE00\";")
            << Entries{{u"k"_s, QString::fromUcs4(U"\U0001F600")}};
        QTest::newRow("raw line feed inside a string")
            << QByteArray("\"a\nb\" = \"c\nd\";") << Entries{{u"a\nb"_s, u"c\nd"_s}};
        QTest::newRow("empty value") << QByteArray("\"k\" = \"\";") << Entries{{u"k"_s, QString()}};
        QTest::newRow("key alone stands for itself")
            << QByteArray("\"k\";") << Entries{{u"k"_s, u"k"_s}};
        QTest::newRow("later duplicate wins")
            << QByteArray("\"k\" = \"1\";\n\"k\" = \"2\";") << Entries{{u"k"_s, u"2"_s}};
        QTest::newRow("utf-8 byte-order mark")
            << QByteArray("\xEF\xBB\xBF\"k\" = \"\xE5\x80\xBC\";")
            << Entries{{u"k"_s, QStringLiteral("\u503C")}};
    }
    void parses()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(Entries, expected);
        const StringsTable table = StringsTable::fromData(bytes);
        QVERIFY2(table.isValid(), qPrintable(table.errorString()));
        QCOMPARE(table.entries(), expected);
    }

    void utf16WithByteOrderMark_data()
    {
        QTest::addColumn<int>("encoding");
        QTest::newRow("little endian") << int(QStringConverter::Utf16LE);
        QTest::newRow("big endian") << int(QStringConverter::Utf16BE);
    }
    void utf16WithByteOrderMark()
    {
        QFETCH(int, encoding);
        QStringEncoder encoder(QStringConverter::Encoding(encoding),
                               QStringConverter::Flag::WriteBom);
        const QString text =
            QStringLiteral("/* 注释 */\n\"设置…\" = \"設定…\";\n\"%@ 个\" = \"%@개\";\n");
        const QByteArray bytes = encoder(text);
        const StringsTable table = StringsTable::fromData(bytes);
        QVERIFY2(table.isValid(), qPrintable(table.errorString()));
        QCOMPARE(table.value(QStringLiteral("设置…")), QStringLiteral("設定…"));
        QCOMPARE(table.value(QStringLiteral("%@ 个")), QStringLiteral("%@개"));
    }

    void damagedReadsAsNoTable_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("unterminated string") << QByteArray("\"a\" = \"b;");
        QTest::newRow("unterminated key") << QByteArray("\"a");
        QTest::newRow("missing semicolon") << QByteArray("\"a\" = \"b\"\n\"c\" = \"d\";");
        QTest::newRow("missing semicolon at end") << QByteArray("\"a\" = \"b\"");
        QTest::newRow("missing equals") << QByteArray("\"a\" \"b\";");
        QTest::newRow("missing value") << QByteArray("\"a\" = ;");
        QTest::newRow("unquoted word") << QByteArray("a = \"b\";");
        QTest::newRow("unterminated comment") << QByteArray("\"a\" = \"b\"; /* trailing");
        QTest::newRow("short unicode escape") << QByteArray("\"a\" = \"\\u12\";");
        QTest::newRow("non-hex unicode escape") << QByteArray("\"a\" = \"\\u12G4\";");
        QTest::newRow("backslash at end") << QByteArray("\"a\" = \"b\\");
        QTest::newRow("invalid utf-8") << QByteArray("\"a\" = \"\xC3\x28\";");
        QTest::newRow("odd utf-16 length") << QByteArray("\xFF\xFE\x22\x00\x61");
        QTest::newRow("binary junk") << QByteArray("\x00\x01\x02\x03", 4);
        QTest::newRow("first half good, then junk") << QByteArray("\"a\" = \"b\";\n}{");
    }
    void damagedReadsAsNoTable()
    {
        QFETCH(QByteArray, bytes);
        const StringsTable table = StringsTable::fromData(bytes);
        QVERIFY(!table.isValid());
        QVERIFY(table.entries().isEmpty());
        QVERIFY(!table.value(QStringLiteral("a")));
        QVERIFY(!table.errorString().isEmpty());
    }

    void errorNamesTheLine()
    {
        const StringsTable table = StringsTable::fromData("\"a\" = \"1\";\n\n\"b\" = \"2\"\n");
        QVERIFY(table.errorString().startsWith(u"line 4:"));
    }

    void files()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(!StringsTable::fromFile(dir.filePath(QStringLiteral("missing.strings"))).isValid());
        QVERIFY(!StringsTable::fromFile(dir.path()).isValid()); // a folder, not a file

        QFile file(dir.filePath(QStringLiteral("Localizable.strings")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\"运行\" = \"Run\";\n");
        file.close();
        const StringsTable table = StringsTable::fromFile(file.fileName());
        QVERIFY(table.isValid());
        QCOMPARE(table.value(QStringLiteral("运行")), QStringLiteral("Run"));
        QVERIFY(!table.value(QStringLiteral("退出")));
    }
};

QTEST_GUILESS_MAIN(TestStringsTable)
#include "tst_stringstable.moc"
