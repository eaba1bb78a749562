// The texts of a hand-over, the choice of form, the terminal catalogue and
// the process lookup: everything that needs no process of its own.
#include "language/LanguageManager.h"
#include "platform/ProcessLookup.h"
#include "run/ShellRunner.h"
#include "run/ShellWords.h"
#include "run/TerminalCatalogue.h"
#include "run/TerminalProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(std::optional<QString>)
Q_DECLARE_METATYPE(RunForm)
Q_DECLARE_METATYPE(std::optional<TerminalLaunch>)
Q_DECLARE_METATYPE(std::optional<Terminal>)
Q_DECLARE_METATYPE(std::optional<QStringList>)

namespace {
// Reads an AppleScript string literal the way the runner does; empty when
// the literal ends before the last character.
std::optional<QString> readAppleScriptLiteral(const QString &literal)
{
    if (!literal.startsWith(u'"') || !literal.endsWith(u'"'))
        return std::nullopt;
    QString text;
    for (qsizetype i = 1; i < literal.size() - 1; ++i) {
        const QChar c = literal.at(i);
        if (c == u'"')
            return std::nullopt; // the string ended early: the rest would be AppleScript
        if (c == u'\\') {
            ++i;
            if (i >= literal.size() - 1)
                return std::nullopt;
            const QChar next = literal.at(i);
            if (next == u'n')
                text += u'\n';
            else if (next == u't')
                text += u'\t';
            else if (next == u'r')
                text += u'\r';
            else
                text += next;
            continue;
        }
        text += c;
    }
    return text;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool makeExecutable(const QString &path)
{
    return writeFile(path, "#!/bin/sh\nexit 0\n") &&
           QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}
} // namespace

class TestRunTexts : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void pieces_data();
    void pieces();
    void relativePathIsMadeAbsolute();
    void escapedCommandArrivesUnchanged_data();
    void escapedCommandArrivesUnchanged();
    void forms();
    void chooseForm_data();
    void chooseForm();

    void launches_data();
    void launches();
    void shellJoin_data();
    void shellJoin();
    void customTemplate();
    void commandRunsTheLineAsBuilt();
    void interruptedScriptLeavesTheShell_data();
    void interruptedScriptLeavesTheShell();
    void fromSetting_data();
    void fromSetting();
    void splitWords_data();
    void splitWords();
    void choose_data();
    void choose();

    void processMatches_data();
    void processMatches();
    void lookupInProcTree();
    void lookupFindsItself();
    void listeningSockets();
    void childrenAndTheirEnvironment();
    void kittyAddress_data();
    void kittyAddress();
    void reasonLine_data();
    void reasonLine();
};

void TestRunTexts::pieces_data()
{
    QTest::addColumn<QString>("filePath");
    QTest::addColumn<std::optional<QString>>("arg");
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("escaped");
    QTest::addColumn<QString>("echo");

    QTest::newRow("plain") << u"/tmp/x.sh"_s << std::optional<QString>() << u"/tmp"_s
                           << u"cd '/tmp' && './x.sh'"_s << u"cd '/tmp' && './x.sh'"_s
                           << u"$ cd /tmp && ./x.sh\n"_s;
    QTest::newRow("worked example")
        << u"/Users/a/My Scripts/deploy.sh"_s << std::optional<QString>(u"--force \"a b\""_s)
        << u"/Users/a/My Scripts"_s
        << u"cd '/Users/a/My Scripts' && './deploy.sh' --force \"a b\""_s
        << u"cd '/Users/a/My Scripts' && './deploy.sh' --force \\\"a b\\\""_s
        << u"$ cd /Users/a/My Scripts && ./deploy.sh --force \"a b\"\n"_s;
    QTest::newRow("it's") << u"/home/it's/run.sh"_s << std::optional<QString>() << u"/home/it's"_s
                          << u"cd '/home/it'\\''s' && './run.sh'"_s
                          << u"cd '/home/it'\\\\''s' && './run.sh'"_s
                          << u"$ cd /home/it's && ./run.sh\n"_s;
    QTest::newRow("blank argument text")
        << u"/tmp/x.sh"_s << std::optional<QString>(u"  \n\t \r\n"_s) << u"/tmp"_s
        << u"cd '/tmp' && './x.sh'"_s << u"cd '/tmp' && './x.sh'"_s << u"$ cd /tmp && ./x.sh\n"_s;
    QTest::newRow("argument text trimmed, single quotes untouched")
        << u"/tmp/x.sh"_s << std::optional<QString>(u"\n 'a' b \n"_s) << u"/tmp"_s
        << u"cd '/tmp' && './x.sh' 'a' b"_s << u"cd '/tmp' && './x.sh' 'a' b"_s
        << u"$ cd /tmp && ./x.sh 'a' b\n"_s;
    QTest::newRow("backslash before a quote")
        << u"/tmp/a\\\"b/x.sh"_s << std::optional<QString>(u"c:\\\" & echo"_s) << u"/tmp/a\\\"b"_s
        << u"cd '/tmp/a\\\"b' && './x.sh' c:\\\" & echo"_s
        << u"cd '/tmp/a\\\\\\\"b' && './x.sh' c:\\\\\\\" & echo"_s
        << u"$ cd /tmp/a\\\"b && ./x.sh c:\\\" & echo\n"_s;
    QTest::newRow("root folder") << u"/x.sh"_s << std::optional<QString>() << u"/"_s
                                 << u"cd '/' && './x.sh'"_s << u"cd '/' && './x.sh'"_s
                                 << u"$ cd / && ./x.sh\n"_s;
}

void TestRunTexts::pieces()
{
    QFETCH(QString, filePath);
    QFETCH(std::optional<QString>, arg);
    const HandOverText text = HandOverText::build(filePath, arg);
    QTEST(text.directory, "directory");
    QTEST(text.commandLine, "commandLine");
    QTEST(text.escapedCommand, "escaped");
    QTEST(text.echoLine, "echo");
    QCOMPARE(text.doScriptLine,
             u"tell application \"Terminal\" to do script \""_s + text.escapedCommand + u'"');
}

void TestRunTexts::relativePathIsMadeAbsolute()
{
    const HandOverText text = HandOverText::build(u"sub/x.sh"_s, std::nullopt);
    QCOMPARE(text.directory, QDir::currentPath() + u"/sub"_s);
    QCOMPARE(text.fileName, u"x.sh"_s);
    QCOMPARE(ShellWords::quoted(u"it's"_s), u"'it'\\''s'"_s);
}

void TestRunTexts::escapedCommandArrivesUnchanged_data()
{
    QTest::addColumn<QString>("filePath");
    QTest::addColumn<QString>("arg");
    QTest::newRow("backslash quote in path") << u"/tmp/a\\\" & beep & \"/x.sh"_s << QString();
    QTest::newRow("backslash quote in preset") << u"/tmp/x.sh"_s << u"\\\" & quit & \""_s;
    QTest::newRow("trailing backslash") << u"/tmp/x.sh"_s << u"a\\"_s;
    QTest::newRow("escape lookalikes") << u"/tmp/n\\n/x.sh"_s << u"\\t \\\\ \\r"_s;
}

// Terminal must receive the command line exactly as built: the AppleScript
// string literal decodes back to it and does not end early.
void TestRunTexts::escapedCommandArrivesUnchanged()
{
    QFETCH(QString, filePath);
    QFETCH(QString, arg);
    const HandOverText text = HandOverText::build(filePath, arg);
    const QString prefix = u"tell application \"Terminal\" to do script "_s;
    QVERIFY(text.doScriptLine.startsWith(prefix));
    const std::optional<QString> received =
        readAppleScriptLiteral(text.doScriptLine.mid(prefix.size()));
    QVERIFY2(received.has_value(), qPrintable(text.doScriptLine));
    QCOMPARE(*received, text.commandLine);
}

void TestRunTexts::forms()
{
    const QString line = u"tell application \"Terminal\" to do script \"cd '/tmp' && './x.sh'\""_s;
    QCOMPARE(ShellRunner::newWindowForm(line),
             u"tell application \"Terminal\" to activate\n"_s + line);
    QCOMPARE(ShellRunner::newTabForm(line),
             u"tell application \"Terminal\" to activate\n"
             "if (count of windows of application \"Terminal\") is 0 then\n"
             "    tell application \"Terminal\" to do script \"cd '/tmp' && './x.sh'\"\n"
             "else\n"
             "    tell application \"System Events\" to keystroke \"t\" using {command down}\n"
             "    delay 0.5\n"
             "    tell application \"Terminal\" to do script \"cd '/tmp' && './x.sh'\" in front "
             "window\n"
             "end if"_s);
    QCOMPARE(ShellRunner::reuseForm(line),
             u"tell application \"Terminal\" to activate\n"
             "repeat 40 times\n"
             "    if (count of windows of application \"Terminal\") > 0 then exit repeat\n"
             "    delay 0.15\n"
             "end repeat\n"
             "delay 0.3\n"
             "tell application \"Terminal\" to do script \"cd '/tmp' && './x.sh'\" in front "
             "window"_s);
    QCOMPARE(ShellRunner::appleScript(RunForm::reuse, line), ShellRunner::reuseForm(line));
}

void TestRunTexts::chooseForm_data()
{
    QTest::addColumn<std::optional<QString>>("mode");
    QTest::addColumn<bool>("running");
    QTest::addColumn<RunForm>("form");
    QTest::newRow("absent") << std::optional<QString>() << true << RunForm::newWindow;
    QTest::newRow("window") << std::optional<QString>(u"window"_s) << true << RunForm::newWindow;
    QTest::newRow("tab") << std::optional<QString>(u"tab"_s) << true << RunForm::newTab;
    QTest::newRow("Tab") << std::optional<QString>(u"Tab"_s) << true << RunForm::newWindow;
    QTest::newRow("unknown") << std::optional<QString>(u"split"_s) << true << RunForm::newWindow;
    QTest::newRow("tab, not running")
        << std::optional<QString>(u"tab"_s) << false << RunForm::reuse;
    QTest::newRow("absent, not running") << std::optional<QString>() << false << RunForm::reuse;
}

void TestRunTexts::chooseForm()
{
    QFETCH(std::optional<QString>, mode);
    QFETCH(bool, running);
    QTEST(ShellRunner::chooseForm(PreferenceKeys::runMode.fromStored(mode), running), "form");
}

void TestRunTexts::launches_data()
{
    QTest::addColumn<QString>("terminal");
    QTest::addColumn<RunForm>("form");
    QTest::addColumn<QString>("kittySocket");
    QTest::addColumn<std::optional<TerminalLaunch>>("launch");

    const QStringList cmd{u"/bin/sh"_s, u"-c"_s, u"echo \"$1\""_s, u"x y"_s};
    const QString joined = u"/bin/sh -c 'echo \"$1\"' 'x y'"_s;
    auto detached = [](const QString &program, const QStringList &arguments) {
        return std::optional<TerminalLaunch>(TerminalLaunch{program, arguments, true});
    };
    auto attached = [](const QString &program, const QStringList &arguments) {
        return std::optional<TerminalLaunch>(TerminalLaunch{program, arguments, false});
    };
    const std::optional<TerminalLaunch> none;
    const QString g = u"gnome-terminal"_s;

    QTest::newRow("gnome window") << g << RunForm::newWindow << QString()
                                  << attached(g, QStringList{u"--window"_s, u"--"_s} + cmd);
    QTest::newRow("gnome tab") << g << RunForm::newTab << QString()
                               << attached(g, QStringList{u"--tab"_s, u"--"_s} + cmd);
    QTest::newRow("gnome reuse") << g << RunForm::reuse << QString()
                                 << attached(g, QStringList{u"--window"_s, u"--"_s} + cmd);
    const QStringList unexpanded = TerminalCatalogue::withoutExpansion(cmd);
    QTest::newRow("konsole window") << u"konsole"_s << RunForm::newWindow << QString()
                                    << detached(u"konsole"_s, QStringList{u"-e"_s} + unexpanded);
    QTest::newRow("konsole tab (D-Bus only)")
        << u"konsole"_s << RunForm::newTab << QString() << none;
    QTest::newRow("xfce window") << u"xfce4-terminal"_s << RunForm::newWindow << QString()
                                 << detached(u"xfce4-terminal"_s,
                                             QStringList{u"--window"_s, u"-x"_s} + cmd);
    QTest::newRow("xfce tab") << u"xfce4-terminal"_s << RunForm::newTab << QString()
                              << detached(u"xfce4-terminal"_s,
                                          QStringList{u"--tab"_s, u"-x"_s} + cmd);
    QTest::newRow("xfce reuse, no second window")
        << u"xfce4-terminal"_s << RunForm::reuse << QString()
        << detached(u"xfce4-terminal"_s, QStringList{u"-x"_s} + cmd);
    QTest::newRow("mate window") << u"mate-terminal"_s << RunForm::newWindow << QString()
                                 << detached(u"mate-terminal"_s,
                                             QStringList{u"--window"_s, u"-x"_s} + cmd);
    QTest::newRow("mate tab") << u"mate-terminal"_s << RunForm::newTab << QString()
                              << detached(u"mate-terminal"_s,
                                          QStringList{u"--tab"_s, u"-x"_s} + cmd);
    QTest::newRow("mate reuse") << u"mate-terminal"_s << RunForm::reuse << QString()
                                << detached(u"mate-terminal"_s,
                                            QStringList{u"--window"_s, u"-x"_s} + cmd);
    QTest::newRow("terminology window") << u"terminology"_s << RunForm::newWindow << QString()
                                        << detached(u"terminology"_s, {u"-e"_s, joined});
    QTest::newRow("terminology tab") << u"terminology"_s << RunForm::newTab << QString() << none;
    QTest::newRow("lxterminal window") << u"lxterminal"_s << RunForm::newWindow << QString()
                                       << detached(u"lxterminal"_s, QStringList{u"-e"_s} + cmd);
    QTest::newRow("lxterminal tab") << u"lxterminal"_s << RunForm::newTab << QString() << none;
    QTest::newRow("qterminal window")
        << u"qterminal"_s << RunForm::reuse << QString()
        << detached(u"qterminal"_s, QStringList{u"-e"_s} + unexpanded);
    QTest::newRow("qterminal tab (D-Bus only)")
        << u"qterminal"_s << RunForm::newTab << QString() << none;
    QTest::newRow("kitty window") << u"kitty"_s << RunForm::newWindow << QString()
                                  << detached(u"kitty"_s, QStringList{u"--"_s} + cmd);
    QTest::newRow("kitty tab without socket") << u"kitty"_s << RunForm::newTab << QString() << none;
    QTest::newRow("kitty tab") << u"kitty"_s << RunForm::newTab << u"unix:/run/k-1"_s
                               << attached(u"kitty"_s,
                                           QStringList{u"@"_s, u"--to"_s, u"unix:/run/k-1"_s,
                                                       u"launch"_s, u"--type=tab"_s, u"--"_s} +
                                               cmd);
    QTest::newRow("wezterm window")
        << u"wezterm"_s << RunForm::newWindow << QString()
        << attached(u"wezterm"_s,
                    QStringList{u"cli"_s, u"spawn"_s, u"--new-window"_s, u"--"_s} + cmd);
    QTest::newRow("wezterm tab") << u"wezterm"_s << RunForm::newTab << QString()
                                 << attached(u"wezterm"_s,
                                             QStringList{u"cli"_s, u"spawn"_s, u"--"_s} + cmd);
    QTest::newRow("wezterm reuse")
        << u"wezterm"_s << RunForm::reuse << QString()
        << detached(u"wezterm"_s, QStringList{u"start"_s, u"--"_s} + cmd);
    QTest::newRow("alacritty window") << u"alacritty"_s << RunForm::newWindow << QString()
                                      << detached(u"alacritty"_s, QStringList{u"-e"_s} + cmd);
    QTest::newRow("alacritty tab") << u"alacritty"_s << RunForm::newTab << QString() << none;
    QTest::newRow("foot reuse") << u"foot"_s << RunForm::reuse << QString()
                                << detached(u"foot"_s, QStringList{u"--"_s} + cmd);
    QTest::newRow("foot tab") << u"foot"_s << RunForm::newTab << QString() << none;
    QTest::newRow("tilix window") << u"tilix"_s << RunForm::newWindow << QString()
                                  << detached(u"tilix"_s,
                                              {u"--action=app-new-window"_s, u"-e"_s, joined});
    QTest::newRow("tilix tab") << u"tilix"_s << RunForm::newTab << QString()
                               << detached(u"tilix"_s,
                                           {u"--action=app-new-session"_s, u"-e"_s, joined});
    QTest::newRow("tilix reuse") << u"tilix"_s << RunForm::reuse << QString()
                                 << detached(u"tilix"_s, {u"-e"_s, joined});
    QTest::newRow("terminator window") << u"terminator"_s << RunForm::newWindow << QString()
                                       << detached(u"terminator"_s, {u"-e"_s, joined});
    QTest::newRow("terminator tab") << u"terminator"_s << RunForm::newTab << QString()
                                    << detached(u"terminator"_s, {u"--new-tab"_s, u"-e"_s, joined});
    QTest::newRow("xterm window") << u"xterm"_s << RunForm::newWindow << QString()
                                  << detached(u"xterm"_s, QStringList{u"-e"_s} + cmd);
    QTest::newRow("xterm tab") << u"xterm"_s << RunForm::newTab << QString() << none;
    QTest::newRow("x-terminal-emulator")
        << u"x-terminal-emulator"_s << RunForm::reuse << QString()
        << detached(u"x-terminal-emulator"_s, QStringList{u"-e"_s} + cmd);
    QTest::newRow("x-terminal-emulator tab")
        << u"x-terminal-emulator"_s << RunForm::newTab << QString() << none;
    QTest::newRow("other program with options")
        << u"urxvt -bg black"_s << RunForm::newWindow << QString()
        << detached(u"urxvt"_s, QStringList{u"-bg"_s, u"black"_s, u"-e"_s} + cmd);
}

void TestRunTexts::launches()
{
    QFETCH(QString, terminal);
    QFETCH(RunForm, form);
    QFETCH(QString, kittySocket);
    const std::optional<Terminal> chosen = TerminalCatalogue::fromSetting(terminal);
    QVERIFY(chosen);
    QProcessEnvironment environment;
    if (!kittySocket.isEmpty())
        environment.insert(u"KITTY_LISTEN_ON"_s, kittySocket);
    const QStringList cmd{u"/bin/sh"_s, u"-c"_s, u"echo \"$1\""_s, u"x y"_s};
    QString why;
    const std::optional<TerminalLaunch> launch =
        TerminalCatalogue::launch(*chosen, form, cmd, environment, &why);
    QTEST(launch, "launch");
    QCOMPARE(why.isEmpty(), launch.has_value()); // a refused tab always says why
}

void TestRunTexts::shellJoin_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QString>("joined");
    QTest::newRow("safe words stay bare") << QStringList{u"/bin/sh"_s, u"-c"_s} << u"/bin/sh -c"_s;
    QTest::newRow("blank and empty") << QStringList{u"a b"_s, QString()} << u"'a b' ''"_s;
    QTest::newRow("quotes and backslashes outside single quotes")
        << QStringList{uR"(it's a\b)"_s, uR"(c\)"_s, uR"(\'')"_s}
        << uR"('it'\''s a'\\'b' 'c'\\ \\\'\')"_s;
}

// Tilix and terminator get one string that GLib or the user's login shell
// splits again: sh and a POSIX reader give back the same words.
void TestRunTexts::shellJoin()
{
    QFETCH(QStringList, words);
    QTEST(ShellWords::join(words), "joined");
    QCOMPARE(ShellWords::split(ShellWords::join(words)), words);
}

void TestRunTexts::customTemplate()
{
    const std::optional<Terminal> custom =
        TerminalCatalogue::fromSetting(u"myterm --title Run {command}"_s);
    QVERIFY(custom);
    QCOMPARE(custom->kind, Terminal::Kind::custom);
    QCOMPARE(custom->processNames, QStringList{u"myterm"_s});
    const QStringList cmd{u"/bin/sh"_s, u"-c"_s, u"a b"_s};
    QCOMPARE(TerminalCatalogue::launch(*custom, RunForm::newWindow, cmd, {}),
             (TerminalLaunch{
                 u"myterm"_s, {u"--title"_s, u"Run"_s, u"/bin/sh"_s, u"-c"_s, u"a b"_s}, true}));
    QVERIFY(!TerminalCatalogue::launch(*custom, RunForm::newTab, cmd, {}));

    // Inside a larger word the placeholder becomes one quoted string.
    const std::optional<Terminal> embedded =
        TerminalCatalogue::fromSetting(u"myterm \"--exec={command}\""_s);
    QVERIFY(embedded);
    QCOMPARE(TerminalCatalogue::launch(*embedded, RunForm::reuse, cmd, {})->arguments,
             QStringList{u"--exec=/bin/sh -c 'a b'"_s});
}

// What the terminal is given runs the command line exactly as built: run it
// here with /bin/sh standing in for the terminal, and a shell that only
// reports where it starts.
void TestRunTexts::commandRunsTheLineAsBuilt()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(u"it's \\\"odd\" $HOME"_s);
    QVERIFY(QDir().mkpath(folder));
    const QString report = dir.filePath(u"report"_s);
    QVERIFY(writeFile(folder + u"/x.sh"_s,
                      "#!/bin/sh\n{ pwd; for a in \"$@\"; do printf '[%s]' \"$a\"; done; echo; } > "
                      "\"$REPORT\"\n"));
    QVERIFY(QFile::setPermissions(folder + u"/x.sh"_s,
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QString shell = dir.filePath(u"shell"_s);
    QVERIFY(writeFile(shell, "#!/bin/sh\npwd >> \"$REPORT\"\necho \"$1\" >> \"$REPORT\"\n"));
    QVERIFY(QFile::setPermissions(shell, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    const HandOverText text =
        HandOverText::build(folder + u"/x.sh"_s, u"--force \"a b\" 'c\\d' $((1+1))"_s);
    const QString marker = dir.filePath(u"started"_s);
    const QStringList command = TerminalCatalogue::command(text, shell, marker);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"REPORT"_s, report);
    // konsole and qterminal as seen: every $NAME the environment knows is
    // replaced in every word, unless a backslash stands before it.
    auto expandedAsKonsoleDoes = [&](QStringList words) {
        static const QRegularExpression variable(u"(?<!\\\\)\\$([A-Za-z_][A-Za-z0-9_]*)"_s);
        for (QString &word : words) {
            QString out;
            qsizetype last = 0;
            for (const QRegularExpressionMatch &m : variable.globalMatch(word)) {
                out += word.mid(last, m.capturedStart() - last);
                out += environment.contains(m.captured(1)) ? environment.value(m.captured(1))
                                                           : m.captured(0);
                last = m.capturedEnd();
            }
            word = out + word.mid(last);
        }
        return words;
    };
    QVERIFY(expandedAsKonsoleDoes(command) != command); // the folder's $HOME would be lost
    for (const QStringList &given :
         {command, expandedAsKonsoleDoes(TerminalCatalogue::withoutExpansion(command))}) {
        QFile::remove(report);
        QFile::remove(marker);
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(given.first(), given.mid(1));
        QVERIFY(process.waitForFinished(10000));
        QFile file(report);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
        QCOMPARE(lines.value(0), folder);
        QCOMPARE(lines.value(1), u"[--force][a b][c\\d][2]"_s);
        QCOMPARE(lines.value(2), folder); // the interactive shell starts in the script's folder
        QCOMPARE(lines.value(3), u"-i"_s);
        QVERIFY(QFile::exists(marker));
    }

    QProcess process;
    // Tilix and terminator split one string again: it must give the same words.
    process.start(u"/bin/sh"_s, {u"-c"_s, u"for a in "_s + ShellWords::join(command) +
                                              u"; do printf '%s\\0' \"$a\"; done"_s});
    QVERIFY(process.waitForFinished(10000));
    QStringList words = QString::fromUtf8(process.readAllStandardOutput()).split(u'\0');
    words.removeLast();
    QCOMPARE(words, command);
}

void TestRunTexts::interruptedScriptLeavesTheShell_data()
{
    QTest::addColumn<QByteArray>("signal");
    QTest::newRow("Ctrl-C") << QByteArray("INT");
    QTest::newRow("Ctrl-\\") << QByteArray("QUIT");
}

// The terminal sends Ctrl-C to its whole foreground group: the script ends,
// the user's shell still starts and the window stays open.
void TestRunTexts::interruptedScriptLeavesTheShell()
{
    QFETCH(QByteArray, signal);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString report = dir.filePath(u"report"_s);
    QVERIFY(writeFile(dir.filePath(u"x.sh"_s),
                      "#!/bin/sh\necho started >> \"$REPORT\"\nkill -" + signal +
                          " 0\nsleep 5\necho not interrupted >> \"$REPORT\"\n"));
    QVERIFY(QFile::setPermissions(dir.filePath(u"x.sh"_s),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QString shell = dir.filePath(u"shell"_s);
    QVERIFY(writeFile(shell, "#!/bin/sh\necho shell \"$1\" >> \"$REPORT\"\n"));
    QVERIFY(QFile::setPermissions(shell, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    const QStringList command =
        TerminalCatalogue::command(HandOverText::build(dir.filePath(u"x.sh"_s), {}), shell);
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"REPORT"_s, report);
    process.setProcessEnvironment(environment);
    // A group of its own, as in a terminal; the signal must not reach this test.
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
    process.start(command.first(), command.mid(1));
    QVERIFY(process.waitForFinished(10000));
    QFile file(report);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("started\nshell -i\n"));
}

void TestRunTexts::fromSetting_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<std::optional<Terminal>>("terminal");
    auto terminal = [](Terminal::Kind kind, const QString &executable, const QStringList &extra,
                       const QString &process) {
        return std::optional<Terminal>(Terminal{kind, executable, extra, {process}});
    };
    QTest::newRow("known") << u"kitty"_s
                           << terminal(Terminal::Kind::kitty, u"kitty"_s, {}, u"kitty"_s);
    QTest::newRow("known by path")
        << u"/opt/kitty/bin/kitty"_s
        << terminal(Terminal::Kind::kitty, u"/opt/kitty/bin/kitty"_s, {}, u"kitty"_s);
    QTest::newRow("Debian wrapper: the program beside it")
        << u"/usr/bin/gnome-terminal.wrapper"_s
        << terminal(Terminal::Kind::gnomeTerminal, u"/usr/bin/gnome-terminal"_s, {},
                    u"gnome-terminal-server"_s);
    QTest::newRow("Debian wrapper by name")
        << u"xfce4-terminal.wrapper"_s
        << terminal(Terminal::Kind::xfce4Terminal, u"xfce4-terminal"_s, {}, u"xfce4-terminal"_s);
    QTest::newRow("other program")
        << u"sakura"_s << terminal(Terminal::Kind::generic, u"sakura"_s, {}, u"sakura"_s);
    QTest::newRow("known with options is generic")
        << u"xterm -fa Mono"_s
        << terminal(Terminal::Kind::generic, u"xterm"_s, {u"-fa"_s, u"Mono"_s}, u"xterm"_s);
    QTest::newRow("template") << u"st -e {command}"_s
                              << terminal(Terminal::Kind::custom, u"st"_s,
                                          {u"-e"_s, u"{command}"_s}, u"st"_s);
    QTest::newRow("blank") << u"  "_s << std::optional<Terminal>();
    QTest::newRow("single quotes")
        << u"foot --title 'My run' {command}"_s
        << terminal(Terminal::Kind::custom, u"foot"_s, {u"--title"_s, u"My run"_s, u"{command}"_s},
                    u"foot"_s);
    QTest::newRow("path with a space")
        << u"/opt/My\\ Terms/st -e"_s
        << terminal(Terminal::Kind::generic, u"/opt/My Terms/st"_s, {u"-e"_s}, u"st"_s);
    QTest::newRow("unterminated quote") << u"st -t 'run {command}"_s << std::optional<Terminal>();
}

void TestRunTexts::splitWords_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<QStringList>>("words");
    auto words = [](const QStringList &list) { return std::optional<QStringList>(list); };
    QTest::newRow("blanks") << u" a\tb \n c  "_s << words({u"a"_s, u"b"_s, u"c"_s});
    QTest::newRow("single quotes keep everything")
        << u"'a \\ \"b\" $c'd"_s << words({u"a \\ \"b\" $cd"_s});
    QTest::newRow("double quotes escape four")
        << uR"("a \" \\ \$ \` \n 'b'")"_s << words({uR"(a " \ $ ` \n 'b')"_s});
    QTest::newRow("backslash outside quotes")
        << uR"(a\ b \'c\")"_s << words({u"a b"_s, uR"('c")"_s});
    QTest::newRow("empty quotes are a word")
        << u"a '' \"\""_s << words({u"a"_s, QString(), QString()});
    QTest::newRow("open single quote") << u"a 'b"_s << std::optional<QStringList>();
    QTest::newRow("open double quote") << u"a \"b\\\""_s << std::optional<QStringList>();
    QTest::newRow("trailing backslash") << u"a\\"_s << std::optional<QStringList>();
}

void TestRunTexts::splitWords()
{
    QFETCH(QString, text);
    QTEST(ShellWords::split(text), "words");
}

void TestRunTexts::fromSetting()
{
    QFETCH(QString, value);
    QTEST(TerminalCatalogue::fromSetting(value), "terminal");
}

void TestRunTexts::choose_data()
{
    QTest::addColumn<std::optional<QString>>("preference");
    QTest::addColumn<QStringList>("installed"); // "name" or "link->target"
    QTest::addColumn<QString>("terminalVariable");
    QTest::addColumn<QString>("desktop");
    QTest::addColumn<QString>("expected"); // executable's file name, or the error
    QTest::addColumn<int>("kind");

    const int generic = int(Terminal::Kind::generic);
    const std::optional<QString> automatic;
    QTest::newRow("preference") << std::optional<QString>(u"xterm"_s)
                                << QStringList{u"xterm"_s, u"kitty"_s} << u"kitty"_s << u"KDE"_s
                                << u"xterm"_s << int(Terminal::Kind::xterm);
    QTest::newRow("preference not installed")
        << std::optional<QString>(u"xterm"_s) << QStringList{u"kitty"_s} << QString() << QString()
        << LanguageManager::localized(u"找不到终端程序：%@"_s, {u"xterm"_s}) << -1;
    QTest::newRow("preference names Debian's wrapper")
        << std::optional<QString>(u"gnome-terminal.wrapper"_s)
        << QStringList{u"gnome-terminal"_s, u"gnome-terminal.wrapper"_s} << QString() << QString()
        << u"gnome-terminal"_s << int(Terminal::Kind::gnomeTerminal);
    QTest::newRow("\"automatic\" is automatic")
        << std::optional<QString>(u"automatic"_s) << QStringList{u"foot"_s} << QString()
        << QString() << u"foot"_s << int(Terminal::Kind::foot);
    QTest::newRow("$TERMINAL") << automatic << QStringList{u"alacritty"_s, u"konsole"_s}
                               << u"alacritty"_s << u"KDE"_s << u"alacritty"_s
                               << int(Terminal::Kind::alacritty);
    QTest::newRow("$TERMINAL missing, desktop")
        << automatic << QStringList{u"konsole"_s, u"xterm"_s} << u"nosuchterm"_s << u"KDE"_s
        << u"konsole"_s << int(Terminal::Kind::konsole);
    QTest::newRow("desktop list") << automatic
                                  << QStringList{u"gnome-terminal"_s, u"xfce4-terminal"_s}
                                  << QString() << u"ubuntu:GNOME"_s << u"gnome-terminal"_s
                                  << int(Terminal::Kind::gnomeTerminal);
    QTest::newRow("desktop terminal not installed")
        << automatic << QStringList{u"xterm"_s} << QString() << u"XFCE"_s << u"xterm"_s
        << int(Terminal::Kind::xterm);
    QTest::newRow("x-terminal-emulator to a known one")
        << automatic
        << QStringList{u"gnome-terminal"_s, u"xterm"_s,
                       u"x-terminal-emulator->gnome-terminal.wrapper"_s}
        << QString() << QString() << u"gnome-terminal"_s << int(Terminal::Kind::gnomeTerminal);
    QTest::newRow("x-terminal-emulator to another one")
        << automatic << QStringList{u"xterm"_s, u"x-terminal-emulator->sakura"_s} << QString()
        << QString() << u"x-terminal-emulator"_s << generic;
    QTest::newRow("x-terminal-emulator to xterm's wrapper")
        << automatic << QStringList{u"x-terminal-emulator->lxterm"_s} << QString() << QString()
        << u"x-terminal-emulator"_s << generic;
    QTest::newRow("first installed in order")
        << automatic << QStringList{u"xterm"_s, u"foot"_s, u"tilix"_s} << QString() << QString()
        << u"foot"_s << int(Terminal::Kind::foot);
    QTest::newRow("nothing installed")
        << automatic << QStringList{} << QString() << QString()
        << LanguageManager::localized(u"找不到可用的终端程序，请在设置中选择一个终端。"_s) << -1;
}

void TestRunTexts::choose()
{
    QFETCH(std::optional<QString>, preference);
    QFETCH(QStringList, installed);
    QFETCH(QString, terminalVariable);
    QFETCH(QString, desktop);
    QFETCH(QString, expected);
    QFETCH(int, kind);

    QTemporaryDir bin;
    QVERIFY(bin.isValid());
    for (const QString &entry : installed) {
        const QStringList link = entry.split(u"->"_s);
        if (link.size() == 2) {
            QVERIFY(makeExecutable(bin.filePath(link[1])));
            QVERIFY(QFile::link(bin.filePath(link[1]), bin.filePath(link[0])));
        } else {
            QVERIFY(makeExecutable(bin.filePath(entry)));
        }
    }
    QProcessEnvironment environment;
    environment.insert(u"PATH"_s, bin.path());
    if (!terminalVariable.isEmpty())
        environment.insert(u"TERMINAL"_s, terminalVariable);
    if (!desktop.isEmpty())
        environment.insert(u"XDG_CURRENT_DESKTOP"_s, desktop);

    const TerminalChoice choice =
        TerminalCatalogue::choose(PreferenceKeys::terminal.fromRaw(preference), environment);
    if (kind < 0) {
        QVERIFY(!choice.terminal);
        QCOMPARE(choice.error, expected);
        return;
    }
    QVERIFY2(choice.terminal, qPrintable(choice.error));
    QCOMPARE(int(choice.terminal->kind), kind);
    QCOMPARE(choice.terminal->executable, bin.filePath(expected));
    if (QTest::currentDataTag() == QByteArray("x-terminal-emulator to another one"))
        QCOMPARE(choice.terminal->processNames, QStringList{u"sakura"_s});
    if (QTest::currentDataTag() == QByteArray("x-terminal-emulator to xterm's wrapper"))
        QCOMPARE(choice.terminal->processNames, (QStringList{u"lxterm"_s, u"xterm"_s}));
}

void TestRunTexts::processMatches_data()
{
    QTest::addColumn<QString>("shortName");
    QTest::addColumn<QString>("executable");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("matches");

    QTest::newRow("long name, by executable")
        << u"gnome-terminal-"_s << u"/usr/libexec/gnome-terminal-server"_s
        << QStringList{u"/usr/libexec/gnome-terminal-server"_s} << u"gnome-terminal-server"_s
        << true;
    QTest::newRow("long name, cut short name alone")
        << u"gnome-terminal-"_s << QString() << QStringList{u"gnome-terminal-foo"_s}
        << u"gnome-terminal-server"_s << false;
    QTest::newRow("long name, by command line")
        << u"wezterm-gui"_s << QString() << QStringList{u"/opt/wez/wezterm-gui"_s, u"start"_s}
        << u"wezterm-gui"_s << true;
    QTest::newRow("short name") << u"kitty"_s << u"/usr/lib/kitty/bin/kitty"_s
                                << QStringList{u"kitty"_s} << u"kitty"_s << true;
    QTest::newRow("interpreter script")
        << u"terminator"_s << u"/usr/bin/python3.11"_s
        << QStringList{u"/usr/bin/python3"_s, u"/usr/bin/terminator"_s} << u"terminator"_s << true;
    QTest::newRow("an argument is not a program")
        << u"vim"_s << u"/usr/bin/vim.basic"_s << QStringList{u"vim"_s, u"kitty"_s} << u"kitty"_s
        << false;
    QTest::newRow("upgraded binary")
        << u"foot"_s << u"/usr/bin/foot (deleted)"_s << QStringList{u"foo"_s} << u"foot"_s << true;
}

void TestRunTexts::processMatches()
{
    QFETCH(QString, shortName);
    QFETCH(QString, executable);
    QFETCH(QStringList, arguments);
    QFETCH(QString, name);
    QTEST(ProcessLookup::matches({shortName, executable, arguments}, {name}), "matches");
}

void TestRunTexts::lookupInProcTree()
{
    QTemporaryDir proc;
    QVERIFY(proc.isValid());
    auto addProcess = [&](const QString &id, const QByteArray &comm, const QByteArray &cmdline) {
        QVERIFY(QDir(proc.path()).mkdir(id));
        QVERIFY(writeFile(proc.filePath(id + u"/comm"_s), comm + '\n'));
        QVERIFY(writeFile(proc.filePath(id + u"/cmdline"_s), cmdline));
    };
    addProcess(u"12"_s, "bash", QByteArray("bash\0-l\0", 8));
    addProcess(u"345"_s, "gnome-terminal-", QByteArray("/usr/libexec/gnome-terminal-server\0", 35));
    addProcess(u"self"_s, "xterm", QByteArray("xterm\0", 6)); // not a process id
    addProcess(u"77"_s, "foot", QByteArray());                // ended, not yet reaped
    QVERIFY(writeFile(proc.filePath(u"uptime"_s), "1 2\n"));

    QVERIFY(ProcessLookup::isRunning({u"gnome-terminal-server"_s}, proc.path()));
    QVERIFY(ProcessLookup::isRunning({u"konsole"_s, u"bash"_s}, proc.path()));
    QVERIFY(!ProcessLookup::isRunning({u"xterm"_s}, proc.path()));
    QVERIFY(!ProcessLookup::isRunning({u"foot"_s}, proc.path()));
    QVERIFY(!ProcessLookup::isRunning({u"gnome-terminal-other"_s}, proc.path()));
    QVERIFY(!ProcessLookup::isRunning({u"bash"_s}, proc.filePath(u"missing"_s)));
    QCOMPARE(ProcessLookup::processIDs({u"gnome-terminal-server"_s, u"bash"_s}, proc.path()).size(),
             2);
}

void TestRunTexts::lookupFindsItself()
{
    const QString self = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    QVERIFY(self.size() > 15); // exercises the cut short name
    QVERIFY(ProcessLookup::isRunning({self}));
    QVERIFY(!ProcessLookup::isRunning({self + u"-not"_s}));
}

void TestRunTexts::listeningSockets()
{
    QTemporaryDir proc;
    QVERIFY(proc.isValid());
    QVERIFY(QDir(proc.path()).mkpath(u"77/fd"_s));
    QVERIFY(QDir(proc.path()).mkpath(u"net"_s));
    QVERIFY(QFile::link(u"socket:[1001]"_s, proc.filePath(u"77/fd/3"_s)));
    QVERIFY(QFile::link(u"socket:[1002]"_s, proc.filePath(u"77/fd/4"_s)));
    QVERIFY(QFile::link(u"/dev/null"_s, proc.filePath(u"77/fd/5"_s)));
    QVERIFY(QFile::link(u"socket:[1004]"_s, proc.filePath(u"77/fd/6"_s)));
    QVERIFY(writeFile(proc.filePath(u"net/unix"_s),
                      "Num       RefCount Protocol Flags    Type St Inode Path\n"
                      "0000000000000000: 00000002 00000000 00010000 0001 01 1001 /tmp/my kitty-77\n"
                      "0000000000000000: 00000003 00000000 00000000 0001 03 1002\n"
                      "0000000000000000: 00000003 00000000 00000000 0001 03 1002 /tmp/client\n"
                      "0000000000000000: 00000002 00000000 00010000 0001 01 1003 /tmp/other\n"
                      "0000000000000000: 00000002 00000000 00010000 0001 01 1004 @kitty-ipc-0\n"));
    const QStringList sockets = ProcessLookup::listeningSockets(77, proc.path());
    QCOMPARE(sockets, (QStringList{u"/tmp/my kitty-77"_s, u"@kitty-ipc-0"_s}));
    QCOMPARE(TerminalCatalogue::kittyAddress(sockets), u"unix:/tmp/my kitty-77"_s);
    QVERIFY(ProcessLookup::listeningSockets(78, proc.path()).isEmpty());
}

void TestRunTexts::childrenAndTheirEnvironment()
{
    QTemporaryDir proc;
    QVERIFY(proc.isValid());
    auto addProcess = [&](int id, const QByteArray &name, int parent, int startTime) {
        const QString dir = QString::number(id);
        QVERIFY(QDir(proc.path()).mkdir(dir));
        QByteArray stat =
            QByteArray::number(id) + " (" + name + ") S " + QByteArray::number(parent);
        for (int i = 0; i < 17; ++i)
            stat += " 0";
        stat += ' ' + QByteArray::number(startTime) + " 0 0\n";
        QVERIFY(writeFile(proc.filePath(dir + u"/stat"_s), stat));
    };
    addProcess(10, "gnome-terminal-", 1, 100);
    addProcess(11, "bash", 10, 500);
    addProcess(12, "odd) (name", 10, 400);
    addProcess(13, "bash", 99, 450);
    addProcess(14, "sh", 10, 500);
    QCOMPARE(ProcessLookup::childProcessIDs(10, proc.path()), (QList<qint64>{12, 11, 14}));
    QVERIFY(ProcessLookup::childProcessIDs(11, proc.path()).isEmpty());

    QVERIFY(writeFile(
        proc.filePath(u"11/environ"_s),
        QByteArray("A=1\0GNOME_TERMINAL_SCREEN=/org/gnome/Terminal/screen/x\0B==\0", 59)));
    const QHash<QString, QString> environment = ProcessLookup::environmentOf(11, proc.path());
    QCOMPARE(environment.value(u"GNOME_TERMINAL_SCREEN"_s), u"/org/gnome/Terminal/screen/x"_s);
    QCOMPARE(environment.value(u"B"_s), u"="_s);
    QCOMPARE(environment.size(), 3);
    QVERIFY(ProcessLookup::environmentOf(12, proc.path()).isEmpty());
}

void TestRunTexts::kittyAddress_data()
{
    QTest::addColumn<QStringList>("sockets");
    QTest::addColumn<QString>("address");
    QTest::newRow("none") << QStringList{} << QString();
    QTest::newRow("abstract") << QStringList{u"@mykitty"_s} << u"unix:@mykitty"_s;
    QTest::newRow("single instance only")
        << QStringList{u"@kitty-ipc-1000"_s, u"/run/user/1000/kitty-ipc-1000.sock"_s} << QString();
    QTest::newRow("remote control after single instance")
        << QStringList{u"@kitty-ipc-1000-g"_s, u"/tmp/kitty-4242"_s} << u"unix:/tmp/kitty-4242"_s;
}

void TestRunTexts::kittyAddress()
{
    QFETCH(QStringList, sockets);
    QTEST(TerminalCatalogue::kittyAddress(sockets), "address");
}

// Standard error as the real terminals wrote it when they could not start.
void TestRunTexts::reasonLine_data()
{
    QTest::addColumn<QString>("errors");
    QTest::addColumn<QString>("reason");
    QTest::newRow("foot: banner first")
        << u"info: main.c:421: version: 1.13.1 +pgo +ime +graphemes -assertions\n"
           "info: main.c:428: arch: Linux x86_64/64-bit\n"
           "info: config.c:3003: loading configuration from /etc/xdg/foot/foot.ini\n"
           " err: wayland.c:1281: failed to connect to wayland; no compositor running?\n"
           "info: main.c:680: goodbye\n"_s
        << u"err: wayland.c:1281: failed to connect to wayland; no compositor running?"_s;
    QTest::newRow("xterm as root")
        << u"Warning: This program is an suid-root program or is being run by the root user.\n"
           "The full text of the error or warning message cannot be safely formatted\n"
           "in this environment. You may get a more descriptive message by running the\n"
           "program as a non-root user or by removing the suid bit on the executable.\n"
           "xterm: Xt error: Can't open display: %s\n"_s
        << u"xterm: Xt error: Can't open display: %s"_s;
    QTest::newRow("alacritty")
        << u"thread 'main' panicked at 'Failed to initialize any backend! Wayland status: "
           "NoCompositorListening X11 status: XOpenDisplayFailed', /usr/share/cargo/x.rs:719:9\n"
           "stack backtrace:\nnote: Some details are omitted, run with `RUST_BACKTRACE=full`\n"_s
        << u"thread 'main' panicked at 'Failed to initialize any backend! Wayland status: "
           "NoCompositorListening X11 status: XOpenDisplayFailed', /usr/share/cargo/x.rs:719:9"_s;
    QTest::newRow("qterminal")
        << u"qt.qpa.xcb: could not connect to display :55\n"
           "qt.qpa.plugin: Could not load the Qt platform plugin \"xcb\" in \"\" even though it "
           "was found.\nThis application failed to start because no Qt platform plugin could be "
           "initialized.\n\nAvailable platform plugins are: eglfs, linuxfb, xcb.\n"_s
        << u"qt.qpa.xcb: could not connect to display :55"_s;
    QTest::newRow("terminator: config complaints first")
        << u"Unable to open ‘/etc/xdg/terminator/config’ for reading and/or writting.\n"
           "([Errno 2] No such file or directory: '/etc/xdg/terminator/config')\n"
           "ConfigBase::load: Unable to open /etc/xdg/terminator/config ([Errno 2] No such "
           "file or directory)\n\nYou need to run terminator in an X environment. Make sure "
           "$DISPLAY is properly set\n"_s
        << u"You need to run terminator in an X environment. Make sure $DISPLAY is properly set"_s;
    QTest::newRow("xfce4-terminal: a library note after")
        << u"\n(xfce4-terminal:21380): Gtk-WARNING **: 03:13:17.633: cannot open display: :55\n"
           "Library libsecret-1.so.0 cannot be loaded, related functionality will not be "
           "available\n"_s
        << u"(xfce4-terminal:21380): Gtk-WARNING **: 03:13:17.633: cannot open display: :55"_s;
    QTest::newRow("kitty")
        << u"[343 03:07:47.799878] [glfw error 65544]: X11: Failed to open display :55\n"
           "GLFW initialization failed\n[343 03:07:48.823609] Prewarm process failed to quit "
           "gracefully, killing it\n"_s
        << u"[343 03:07:47.799878] [glfw error 65544]: X11: Failed to open display :55"_s;
    QTest::newRow("terminology: a backtrace between")
        << u"ERR<17402>:eldbus ../src/lib/eldbus/eldbus_core.c:1062 _connection_get() Error "
           "connecting to bus of type 2.\n## Copy & Paste the below (until EOF) into a "
           "terminal, then hit Enter\n\neina_btlog << EOF\n/lib/x86_64-linux-gnu/libeina.so.1 "
           "0x7fc667cff67c 0x7fc667cd2000\nEOF\n"_s
        << u"ERR<17402>:eldbus ../src/lib/eldbus/eldbus_core.c:1062 _connection_get() Error "
           "connecting to bus of type 2."_s;
    QTest::newRow("nothing stands out: the first line")
        << u"\nno running konsole\nsecond line\n"_s << u"no running konsole"_s;
    QTest::newRow("only a banner") << u"info: version 1\n"_s << u"info: version 1"_s;
    QTest::newRow("nothing") << u" \n"_s << QString();
}

void TestRunTexts::reasonLine()
{
    QFETCH(QString, errors);
    QTEST(TerminalProcess::reasonLine(errors), "reason");
}

QTEST_GUILESS_MAIN(TestRunTexts)
#include "tst_runtexts.moc"
