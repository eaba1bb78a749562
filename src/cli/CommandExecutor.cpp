#include "cli/CommandExecutor.h"

#include "cli/NodePath.h"
#include "library/ScriptDocument.h"
#include "library/ShellStore.h"
#include "library/json/IndentedJson.h"
#include "platform/RegularFile.h"
#include "run/RunController.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QStringBuilder>

#include <memory>

using Verb = Command::Verb;

// Where one command's answer goes. Stops reporting once its context is gone.
class CommandExecutor::Reply
{
public:
    Reply(QObject *context, Output output)
        : m_context(context), m_guarded(context != nullptr), m_output(std::move(output))
    {}

    bool alive() const { return !m_guarded || m_context; }
    bool isFinished() const { return m_finished; }

    // Names, paths and presets come from documents others may write: no
    // control character reaches the terminal raw.
    void out(const QString &text)
    {
        if (!m_finished && alive() && m_output.standardOutput)
            m_output.standardOutput(NodePath::escapeControls(text));
    }
    void err(const QString &text)
    {
        if (!m_finished && alive() && m_output.standardError)
            m_output.standardError(NodePath::escapeControls(text));
    }
    void finish(int status)
    {
        if (m_finished)
            return;
        m_finished = true;
        if (alive() && m_output.finished)
            m_output.finished(status);
    }
    // One line on standard error and status 2: refused, nothing changed.
    void fail(const QString &line)
    {
        err(QStringLiteral("orlenta: %1\n").arg(line));
        finish(2);
    }

private:
    QPointer<QObject> m_context;
    bool m_guarded;
    Output m_output;
    bool m_finished = false;
};

namespace {
QString quoted(const QString &text)
{
    return u'"' + text + u'"';
}

// Tabs and line breaks would break a line of tab-separated fields.
void appendField(QString &line, const QString &text)
{
    const QChar *run = text.cbegin();
    for (const QChar *c = run; c != text.cend(); ++c) {
        if (*c != u'\\' && *c != u'\t' && *c != u'\n')
            continue;
        line.append(run, c - run);
        line += u'\\';
        line += *c == u'\t' ? u't' : *c == u'\n' ? u'n' : u'\\';
        run = c + 1;
    }
    line.append(run, text.cend() - run);
}

QString field(const QString &text)
{
    QString out;
    appendField(out, text);
    return out;
}

bool isBlankName(const QString &name)
{
    return std::all_of(name.cbegin(), name.cend(), [](QChar c) {
        return c == u'\t' || c.category() == QChar::Separator_Space;
    });
}

QString absolutePath(const QString &workingDirectory, const QString &file)
{
    const QString base = workingDirectory.isEmpty() ? QDir::currentPath() : workingDirectory;
    return QDir::cleanPath(QDir(base).absoluteFilePath(file));
}

// A file a terminal can start as a script: by its extension, or by the
// interpreter line a script without one carries.
bool looksLikeScript(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QStringLiteral("sh") || suffix == QStringLiteral("command"))
        return true;
    QFile file;
    return RegularFile::open(file, path) && file.read(2) == "#!";
}

QString pathText(const ShellStore &store, const QUuid &id)
{
    return NodePath::pathOf(store.roots(), id).value_or(uuidText(id));
}

// Keys in alphabetical order, as scripts reading the listing have always
// seen them.
void jsonNode(IndentedJson &json, const QHash<QUuid, QString> &shortIds, const ShellNode &node,
              const QString &path)
{
    json.beginObject();
    if (node.kind == NodeKind::folder) {
        json.key("children");
        json.beginArray();
        if (node.children)
            for (const ShellNode &child : *node.children)
                jsonNode(json, shortIds, child,
                         path + u'/' + NodePath::escape(child.displayName()));
        json.endArray();
    }
    json.key("displayName");
    json.string(node.displayName());
    if (node.filePath) {
        json.key("filePath");
        json.string(*node.filePath);
    }
    json.key("id");
    json.string(uuidText(node.id));
    json.key("kind");
    json.string(toRaw(node.kind));
    json.key("name");
    json.string(node.name);
    json.key("path");
    json.string(path);
    if (node.kind == NodeKind::script) {
        json.key("presets");
        json.beginArray();
        for (const QString &preset : node.argPresets())
            json.string(preset);
        json.endArray();
    }
    json.key("shortId");
    json.string(shortIds.value(node.id));
    json.endObject();
}

// The keys after "current", which only the profile list has.
void jsonProfileFields(IndentedJson &json, const Profile &profile)
{
    json.key("id");
    json.string(uuidText(profile.id));
    json.key("name");
    json.string(profile.name);
    json.key("path");
    json.string(profile.path);
}

struct ProfileMatch
{
    std::optional<Profile> profile;
    QString error;
};

// By exact name first, then by id or a unique id prefix.
ProfileMatch findProfile(const QList<Profile> &profiles, const QString &reference)
{
    QList<Profile> named;
    for (const Profile &p : profiles)
        if (p.name == reference)
            named.append(p);
    if (named.size() == 1)
        return {named.first(), {}};
    const auto ids = [](const QList<Profile> &list) {
        QStringList texts;
        for (const Profile &p : list)
            texts.append(uuidText(p.id));
        return texts.join(QStringLiteral(", "));
    };
    if (named.size() > 1)
        return {std::nullopt, QStringLiteral("%1 profiles are named %2; use an id instead: %3")
                                  .arg(named.size())
                                  .arg(quoted(reference), ids(named))};
    QString prefix = reference.trimmed().toUpper();
    if (prefix.startsWith(u'{') && prefix.endsWith(u'}'))
        prefix = prefix.mid(1, prefix.size() - 2);
    QList<Profile> byId;
    if (prefix.size() >= NodePath::minimumIdPrefix)
        for (const Profile &p : profiles)
            if (uuidText(p.id).startsWith(prefix))
                byId.append(p);
    if (byId.size() == 1)
        return {byId.first(), {}};
    if (byId.size() > 1)
        return {std::nullopt, QStringLiteral("the id prefix %1 fits %2 profiles: %3")
                                  .arg(quoted(reference))
                                  .arg(byId.size())
                                  .arg(ids(byId))};
    return {std::nullopt,
            QStringLiteral("no profile %1 (see orlenta profile list)").arg(quoted(reference))};
}
} // namespace

CommandExecutor::CommandExecutor(ShellStore &store, RunController &runs, QObject *parent)
    : QObject(parent), m_store(store), m_runs(runs)
{}

CommandExecutor::~CommandExecutor() = default;

void CommandExecutor::execute(const QStringList &arguments, const QString &workingDirectory,
                              QObject *context, Output output)
{
    const ParsedCommandLine parsed = CommandLine::parse(arguments);
    if (!parsed.command) {
        Reply(context, std::move(output)).fail(parsed.error);
        return;
    }
    execute(*parsed.command, workingDirectory, context, std::move(output));
}

int CommandExecutor::executeAndWait(const Command &command, const QString &workingDirectory,
                                    const std::function<void(const QString &)> &standardOutput,
                                    const std::function<void(const QString &)> &standardError)
{
    QEventLoop loop;
    std::optional<int> status;
    execute(command, workingDirectory, &loop,
            {standardOutput, standardError, [&status, &loop](int s) {
                 status = s;
                 loop.quit();
             }});
    if (!status)
        loop.exec();
    return status.value_or(2);
}

void CommandExecutor::execute(const Command &command, const QString &workingDirectory,
                              QObject *context, Output output)
{
    auto reply = std::make_shared<Reply>(context, std::move(output));
    switch (command.verb) {
    case Verb::help:
        reply->out(command.text);
        reply->finish(0);
        return;
    case Verb::start:
    case Verb::open:
        window(m_windows.openManagementWindow, *reply);
        return;
    case Verb::settings:
        window(m_windows.openSettings, *reply);
        return;
    case Verb::palette:
        window(m_windows.openPalette, *reply);
        return;
    case Verb::list:
        list(command, *reply);
        return;
    case Verb::run:
        run(command, reply);
        return;
    case Verb::add:
        add(command, workingDirectory, *reply);
        return;
    case Verb::import:
        import(command, workingDirectory, *reply);
        return;
    case Verb::mkdir:
        mkdir(command, *reply);
        return;
    case Verb::rename:
        rename(command, *reply);
        return;
    case Verb::rm:
        remove(command, *reply);
        return;
    case Verb::mv:
        move(command, *reply);
        return;
    case Verb::args:
        setArgs(command, *reply);
        return;
    case Verb::publish:
        m_store.setPublished(command.enable);
        finishSaved(*reply);
        return;
    case Verb::profileList:
        profileList(command, *reply);
        return;
    case Verb::profileSwitch:
        profileSwitch(command, *reply);
        return;
    case Verb::profileOpen:
        profileOpen(command, workingDirectory, *reply);
        return;
    case Verb::profileRemove:
        profileRemove(command, *reply);
        return;
    case Verb::sync:
        m_store.setSyncFromiCloud(command.enable);
        finishSaved(*reply);
        return;
    }
    reply->fail(QStringLiteral("this command is not known here"));
}

void CommandExecutor::finishSaved(Reply &reply, const QString &success)
{
    if (const std::optional<QString> &error = m_store.lastSaveError()) {
        reply.err(QStringLiteral("orlenta: could not save %1: %2\n")
                      .arg(m_store.currentProfile().path, *error));
        reply.finish(1);
        return;
    }
    if (!success.isEmpty())
        reply.out(success);
    reply.finish(0);
}

void CommandExecutor::refused(Reply &reply)
{
    if (const std::optional<QString> &why = m_store.lastEditError())
        reply.fail(*why);
    else
        finishSaved(reply);
}

void CommandExecutor::window(const std::function<void()> &request, Reply &reply)
{
    if (!request) {
        reply.fail(QStringLiteral("there is no window to open here"));
        return;
    }
    request();
    reply.finish(0);
}

void CommandExecutor::list(const Command &command, Reply &reply)
{
    // An empty listing would look like an empty library to whoever reads it.
    // A folder or a pipe in the document's place is not read at all.
    const QString path = m_store.currentDocumentPath();
    std::optional<QString> unreadable = m_store.lastLoadError();
    if (!unreadable && QFileInfo::exists(path) && !QFileInfo(path).isFile())
        unreadable = QStringLiteral("not a regular file");
    if (unreadable) {
        reply.err(QStringLiteral("orlenta: cannot read %1: %2\n").arg(path, *unreadable));
        reply.finish(1);
        return;
    }
    const QList<ShellNode> &roots = m_store.displayRoots();
    const QHash<QUuid, QString> shortIds = NodePath::uniquePrefixes(m_store.roots());
    if (command.json) {
        IndentedJson json;
        json.beginObject();
        json.key("isPublished");
        json.boolean(m_store.isPublished());
        json.key("nodes");
        json.beginArray();
        for (const ShellNode &node : roots)
            jsonNode(json, shortIds, node, NodePath::escape(node.displayName()));
        json.endArray();
        json.key("profile");
        json.beginObject();
        jsonProfileFields(json, m_store.currentProfile());
        json.endObject();
        json.key("sortMode");
        json.string(toRaw(m_store.sortMode()));
        json.endObject();
        reply.out(QString::fromUtf8(json.take()));
        reply.finish(0);
        return;
    }
    QString text;
    text.reserve(shortIds.size() * 96);
    const std::function<void(const QList<ShellNode> &, const QString &)> walk =
        [&](const QList<ShellNode> &list, const QString &parentPath) {
            for (const ShellNode &node : list) {
                const QString path = parentPath.isEmpty()
                                         ? NodePath::escape(node.displayName())
                                         : parentPath + u'/' + NodePath::escape(node.displayName());
                text += path % u'\t' % toRaw(node.kind) % u'\t' % shortIds.value(node.id) % u'\t';
                appendField(text, node.filePath.value_or(QString()));
                for (const QString &preset : node.argPresets()) {
                    text += u'\t';
                    appendField(text, preset);
                }
                text += u'\n';
                if (node.children)
                    walk(*node.children, path);
            }
        };
    walk(roots, QString());
    reply.out(text);
    reply.finish(0);
}

void CommandExecutor::run(const Command &command, const std::shared_ptr<Reply> &reply)
{
    const std::optional<ShellNode> node = findNode(command.operands[0], *reply);
    if (!node)
        return;
    const QString name = quoted(command.operands[0]);
    if (node->collectScripts().isEmpty()) {
        reply->fail(QStringLiteral("nothing to run: the folder %1 holds no scripts").arg(name));
        return;
    }
    std::optional<QString> arg = command.arg;
    if (command.preset) {
        if (node->kind != NodeKind::script) {
            reply->fail(QStringLiteral("%1 is a folder; only a script has presets").arg(name));
            return;
        }
        const QStringList presets = node->argPresets();
        if (*command.preset > presets.size()) {
            reply->fail(presets.isEmpty()
                            ? QStringLiteral("%1 has no presets").arg(name)
                            : QStringLiteral("%1 has %2 presets, there is no preset %3")
                                  .arg(name)
                                  .arg(presets.size())
                                  .arg(*command.preset));
            return;
        }
        arg = presets[*command.preset - 1];
    }
    startRun(*node, arg, reply);
}

void CommandExecutor::add(const Command &command, const QString &workingDirectory, Reply &reply)
{
    QStringList paths;
    for (const QString &file : command.operands) {
        const QString path = absolutePath(workingDirectory, file);
        const QFileInfo info(path);
        if (!info.exists()) {
            reply.fail(QStringLiteral("no file %1").arg(quoted(file)));
            return;
        }
        if (info.isDir()) {
            reply.fail(
                QStringLiteral("%1 is a directory; add it with orlenta import").arg(quoted(file)));
            return;
        }
        if (!info.isFile()) {
            reply.fail(QStringLiteral("%1 is not a regular file").arg(quoted(file)));
            return;
        }
        if (!looksLikeScript(path)) {
            reply.fail(QStringLiteral("%1 is not a script (a .sh or .command file, or one "
                                      "starting with #!)")
                           .arg(quoted(file)));
            return;
        }
        paths.append(path);
    }
    const std::optional<std::optional<QUuid>> parent = findParent(command.to, reply);
    if (!parent)
        return;
    QString text;
    for (const QString &path : paths) {
        const QUuid id = m_store.addScript(*parent, path);
        if (id.isNull()) {
            reply.out(text);
            refused(reply);
            return;
        }
        text += pathText(m_store, id) + u'\t' + uuidText(id) + u'\n';
    }
    finishSaved(reply, text);
}

std::optional<ShellNode> CommandExecutor::findNode(const QString &reference, Reply &reply) const
{
    NodePath::Resolution r = NodePath::resolve(m_store.roots(), reference);
    if (!r.node)
        reply.fail(r.error);
    return r.node;
}

std::optional<std::optional<QUuid>>
CommandExecutor::findParent(const std::optional<QString> &reference, Reply &reply) const
{
    if (!reference)
        return std::optional<QUuid>();
    const std::optional<ShellNode> folder = findNode(*reference, reply);
    if (!folder)
        return std::nullopt;
    if (folder->kind != NodeKind::folder) {
        reply.fail(QStringLiteral("%1 is a script, not a folder").arg(quoted(*reference)));
        return std::nullopt;
    }
    return std::optional<QUuid>(folder->id);
}

void CommandExecutor::import(const Command &command, const QString &workingDirectory, Reply &reply)
{
    const QString &dir = command.operands[0];
    const QString path = absolutePath(workingDirectory, dir);
    if (!QFileInfo(path).isDir()) {
        reply.fail(QFileInfo::exists(path)
                       ? QStringLiteral("%1 is not a directory; add a script with orlenta add")
                             .arg(quoted(dir))
                       : QStringLiteral("no directory %1").arg(quoted(dir)));
        return;
    }
    const std::optional<std::optional<QUuid>> parent = findParent(command.to, reply);
    if (!parent)
        return;
    const QUuid id = m_store.importFolder(path, *parent);
    if (id.isNull()) {
        refused(reply);
        return;
    }
    finishSaved(reply, pathText(m_store, id) + u'\t' + uuidText(id) + u'\n');
}

void CommandExecutor::mkdir(const Command &command, Reply &reply)
{
    const std::optional<std::optional<QUuid>> parent = findParent(command.to, reply);
    if (!parent)
        return;
    // A blank name is no name: the store then chooses one, as for an empty one.
    const QString name = command.operands.value(0);
    const QUuid id = m_store.addFolder(*parent, isBlankName(name) ? QString() : name);
    if (id.isNull()) {
        refused(reply);
        return;
    }
    finishSaved(reply, pathText(m_store, id) + u'\t' + uuidText(id) + u'\n');
}

void CommandExecutor::rename(const Command &command, Reply &reply)
{
    const std::optional<ShellNode> node = findNode(command.operands[0], reply);
    if (!node)
        return;
    const QString &name = command.operands[1];
    // The store would keep the old name silently; say so instead.
    if (node->kind == NodeKind::folder && isBlankName(name)) {
        reply.fail(QStringLiteral("a folder needs a name that is not blank"));
        return;
    }
    m_store.rename(node->id, name);
    finishSaved(reply);
}

void CommandExecutor::remove(const Command &command, Reply &reply)
{
    const std::optional<ShellNode> node = findNode(command.operands[0], reply);
    if (!node)
        return;
    m_store.deleteNode(node->id);
    finishSaved(reply);
}

void CommandExecutor::move(const Command &command, Reply &reply)
{
    const std::optional<ShellNode> node = findNode(command.operands[0], reply);
    if (!node)
        return;
    const QString name = quoted(command.operands[0]);
    std::optional<QUuid> parent;
    std::optional<QUuid> before;
    if (command.into) {
        const std::optional<std::optional<QUuid>> folder = findParent(command.into, reply);
        if (!folder)
            return;
        parent = *folder;
    } else if (command.before) {
        const std::optional<ShellNode> sibling = findNode(*command.before, reply);
        if (!sibling)
            return;
        if (sibling->id == node->id) {
            reply.fail(QStringLiteral("cannot move %1 in front of itself").arg(name));
            return;
        }
        before = sibling->id;
        parent = Forest::parentID(m_store.roots(), sibling->id);
    }
    if (parent && (*parent == node->id || Forest::isWithin(m_store.roots(), *parent, node->id))) {
        reply.fail(
            QStringLiteral("cannot move %1 into itself or into a folder inside it").arg(name));
        return;
    }
    if (!m_store.moveNode(node->id, parent, before)) {
        reply.fail(
            m_store.lastEditError().value_or(QStringLiteral("cannot move %1 there").arg(name)));
        return;
    }
    finishSaved(reply);
}

void CommandExecutor::setArgs(const Command &command, Reply &reply)
{
    const std::optional<ShellNode> node = findNode(command.operands[0], reply);
    if (!node)
        return;
    if (node->kind != NodeKind::script) {
        reply.fail(QStringLiteral("%1 is a folder; presets belong to scripts")
                       .arg(quoted(command.operands[0])));
        return;
    }
    m_store.setArgs(node->id, command.operands.mid(1));
    finishSaved(reply);
}

void CommandExecutor::profileList(const Command &command, Reply &reply)
{
    const QUuid current = m_store.currentProfile().id;
    if (command.json) {
        IndentedJson json;
        json.beginArray();
        for (const Profile &profile : m_store.profiles()) {
            json.beginObject();
            json.key("current");
            json.boolean(profile.id == current);
            jsonProfileFields(json, profile);
            json.endObject();
        }
        json.endArray();
        reply.out(QString::fromUtf8(json.take()));
        reply.finish(0);
        return;
    }
    QString text;
    for (const Profile &profile : m_store.profiles()) {
        QStringList fields{uuidText(profile.id), field(profile.name), field(profile.path)};
        if (profile.id == current)
            fields.append(QStringLiteral("current"));
        text += fields.join(u'\t') + u'\n';
    }
    reply.out(text);
    reply.finish(0);
}

void CommandExecutor::profileSwitch(const Command &command, Reply &reply)
{
    const ProfileMatch match = findProfile(m_store.profiles(), command.operands[0]);
    if (!match.profile) {
        reply.fail(match.error);
        return;
    }
    // As the profile menu does: the cloud document starts as a copy of the current one.
    std::optional<QString> source;
    if (match.profile->id == Profile::iCloudProfileID)
        source = m_store.currentProfile().path;
    m_store.switchTo(match.profile->id, source);
    finishSaved(reply);
}

void CommandExecutor::profileOpen(const Command &command, const QString &workingDirectory,
                                  Reply &reply)
{
    const QString &file = command.operands[0];
    const QString path = absolutePath(workingDirectory, file);
    QString why;
    const std::optional<QByteArray> bytes = RegularFile::readAll(path, &why);
    if (!bytes) {
        reply.fail(QStringLiteral("cannot read %1: %2").arg(quoted(file), why));
        return;
    }
    // Opening something else would show an empty tree and then save over it.
    const ScriptDocument::Decoded decoded = ScriptDocument::decode(*bytes);
    if (!decoded) {
        reply.fail(
            QStringLiteral("%1 is not a script document (%2)").arg(quoted(file), decoded.error));
        return;
    }
    m_store.addProfile(path, std::nullopt);
    finishSaved(reply);
}

void CommandExecutor::profileRemove(const Command &command, Reply &reply)
{
    QList<Profile> known{m_store.localProfile(), m_store.iCloudProfile()};
    known.append(m_store.customProfiles());
    const ProfileMatch match = findProfile(known, command.operands[0]);
    if (!match.profile) {
        reply.fail(match.error);
        return;
    }
    if (match.profile->id == Profile::localProfileID ||
        match.profile->id == Profile::iCloudProfileID) {
        reply.fail(QStringLiteral("the built-in profile %1 cannot be removed")
                       .arg(quoted(match.profile->name)));
        return;
    }
    m_store.removeProfile(match.profile->id, command.deleteFile);
    finishSaved(reply);
}

void CommandExecutor::startRun(const ShellNode &node, const std::optional<QString> &arg,
                               const std::shared_ptr<Reply> &reply)
{
    // Follows this run only, even when the menu starts another meanwhile.
    auto *watch = new QObject(this);
    auto status = std::make_shared<int>(0);
    const quint64 id = m_runs.run(node, m_store, arg);
    connect(&m_runs, &RunController::runAppended, watch,
            [id, reply](quint64 run, const QString &text) {
                if (run == id)
                    reply->out(text);
            });
    connect(&m_runs, &RunController::scriptHandedOver, watch,
            [id, status](quint64 run, const QString &, int scriptStatus) {
                if (run == id && scriptStatus != 0)
                    *status = scriptStatus;
            });
    connect(&m_runs, &RunController::runFinished, watch, [id, status, reply, watch](quint64 run) {
        if (run != id)
            return;
        reply->finish(*status);
        watch->deleteLater();
    });
}
