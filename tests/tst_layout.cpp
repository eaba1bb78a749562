// Each folder of src/ may include its own headers and those of the folders
// below it; nothing else. A new folder must be entered here to be allowed.
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

namespace {

QHash<QString, QSet<QString>> allowedIncludes()
{
    const QSet<QString> foundation{u"settings"_qs, u"platform"_qs, u"language"_qs};
    const QSet<QString> library = foundation + QSet<QString>{u"library"_qs, u"library/json"_qs};
    const QSet<QString> core = library + QSet<QString>{u"dragdrop"_qs, u"run"_qs, u"cli"_qs,
                                                       u"cli/commands"_qs, u"palette"_qs};
    const QSet<QString> update = foundation + QSet<QString>{u"update"_qs};
    const QSet<QString> ui = core + update + QSet<QString>{u"ui"_qs};
    QHash<QString, QSet<QString>> allowed{
        {u"settings"_qs, {}},
        {u"platform"_qs, {u"settings"_qs}},
        {u"language"_qs, {u"settings"_qs, u"platform"_qs}},
        {u"library/json"_qs, {}},
        {u"library"_qs, library},
        {u"dragdrop"_qs, library},
        {u"run"_qs, library},
        {u"cli"_qs, library + QSet<QString>{u"run"_qs}},
        // The commands use the parsing, reply and output of cli/, never the reverse.
        {u"cli/commands"_qs, library + QSet<QString>{u"run"_qs, u"cli"_qs}},
        {u"palette"_qs, library + QSet<QString>{u"run"_qs}},
        {u"instance"_qs, core},
        {u"update"_qs, foundation},
        // The network plugin sees only the interface it implements.
        {u"update/network"_qs, {u"update"_qs}},
        {u"ui"_qs, core + update},
        {u"dragdrop/widgets"_qs, ui},
        {u"menubar"_qs, ui},
        {u"settings/window/pages"_qs, ui},
        {u"settings/window"_qs, ui + QSet<QString>{u"settings/window/pages"_qs}},
        {u"palette/widgets"_qs, ui},
        {u"window"_qs, ui + QSet<QString>{u"dragdrop/widgets"_qs}},
    };
    QSet<QString> everything;
    for (auto it = allowed.cbegin(); it != allowed.cend(); ++it)
        everything.insert(it.key());
    allowed.insert(u"app"_qs, everything + QSet<QString>{u"instance"_qs});
    return allowed;
}

// "window/ContentView.h" -> "window"; the deepest folder entered above for
// the nested ones ("settings/window/pages/RunPage.h" -> "settings/window/pages").
QString folderOf(const QString &relativePath, const QHash<QString, QSet<QString>> &allowed)
{
    const QStringList parts = relativePath.split(u'/');
    for (qsizetype depth = parts.size() - 1; depth > 1; --depth) {
        const QString nested = parts.first(depth).join(u'/');
        if (allowed.contains(nested))
            return nested;
    }
    return parts.size() > 1 ? parts.at(0) : QString();
}

} // namespace

class TestLayout : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void includesPointDown();
};

void TestLayout::includesPointDown()
{
    const QHash<QString, QSet<QString>> allowed = allowedIncludes();
    const QString root = QStringLiteral(ORLENTA_SOURCE_DIR "/src/");
    static const QRegularExpression include(QStringLiteral("^\\s*#\\s*include\\s+\"([^\"]+)\""),
                                            QRegularExpression::MultilineOption);
    QStringList violations;
    int files = 0;
    QDirIterator it(root, {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = path.mid(root.size());
        const QString folder = folderOf(relative, allowed);
        if (folder.isEmpty())
            continue;
        ++files;
        if (!allowed.contains(folder)) {
            violations << relative +
                              QStringLiteral(": folder %1 has no place in the layers").arg(folder);
            continue;
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        for (auto match = include.globalMatch(text); match.hasNext();) {
            const QString target = match.next().captured(1);
            if (!target.contains(u'/'))
                continue; // moc output and the like
            const QString targetFolder = folderOf(target, allowed);
            if (targetFolder != folder && !allowed.value(folder).contains(targetFolder))
                violations << relative + QStringLiteral(" includes ") + target;
        }
    }
    QVERIFY2(files > 50, "the sources were not found");
    QVERIFY2(violations.isEmpty(), qPrintable(violations.join(u'\n')));
}

QTEST_GUILESS_MAIN(TestLayout)
#include "tst_layout.moc"
