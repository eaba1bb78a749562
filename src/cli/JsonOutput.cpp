#include "cli/JsonOutput.h"

#include "cli/NodePath.h"
#include "library/ShellStore.h"
#include "library/json/IndentedJson.h"

namespace JsonOutput {
namespace {

void writeNode(IndentedJson &json, const QHash<QUuid, QString> &shortIds, const ShellNode &node,
               const QString &path)
{
    json.beginObject();
    if (node.kind == NodeKind::folder) {
        json.key("children");
        json.beginArray();
        if (node.children)
            for (const ShellNode &child : *node.children)
                writeNode(json, shortIds, child,
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
void writeProfileFields(IndentedJson &json, const Profile &profile)
{
    json.key("id");
    json.string(uuidText(profile.id));
    json.key("name");
    json.string(profile.name);
    json.key("path");
    json.string(profile.path);
}

} // namespace

QString listing(const ShellStore &store, const QHash<QUuid, QString> &shortIds)
{
    IndentedJson json;
    json.beginObject();
    json.key("isPublished");
    json.boolean(store.isPublished());
    json.key("nodes");
    json.beginArray();
    for (const ShellNode &root : store.displayRoots())
        writeNode(json, shortIds, root, NodePath::escape(root.displayName()));
    json.endArray();
    json.key("profile");
    json.beginObject();
    writeProfileFields(json, store.currentProfile());
    json.endObject();
    json.key("sortMode");
    json.string(toRaw(store.sortMode()));
    json.endObject();
    return QString::fromUtf8(json.take());
}

QString profiles(const QList<Profile> &profiles, const QUuid &current,
                 const QList<Profile> &unreachable)
{
    IndentedJson json;
    json.beginArray();
    for (const Profile &profile : profiles) {
        json.beginObject();
        json.key("current");
        json.boolean(profile.id == current);
        writeProfileFields(json, profile);
        json.key("reachable");
        json.boolean(!unreachable.contains(profile));
        json.endObject();
    }
    json.endArray();
    return QString::fromUtf8(json.take());
}

} // namespace JsonOutput
