// Another writer of one document, for the tests of many writers. Modes:
//   store <root> <shared folder> <count> <prefix>
//       a store in its own home, its cloud folder the shared one, adding
//       folders named <prefix>0, <prefix>1, ...
//   rename|inplace <document> <count> <prefix>
//       a program that follows the writers' lock and adds a folder per
//       edit, replacing the file with a renamed copy or rewriting it in place
//       (in two halves, a moment apart).
#include "library/DocumentFile.h"
#include "library/ScriptDocument.h"
#include "library/ShellStore.h"
#include "platform/Locations.h"
#include "settings/Preferences.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

bool writeAll(int fd, const char *data, qsizetype size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

int editFile(const QString &mode, const QString &path, int count, const QString &prefix)
{
    const QByteArray name = QFile::encodeName(path);
    for (int i = 0; i < count; ++i) {
        {
            const DocumentFile::Lock lock(path);
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                return 3;
            ScriptDocument::Decoded decoded = ScriptDocument::decode(file.readAll());
            if (!decoded)
                return 4;
            ShellNode folder;
            folder.id = QUuid::createUuid();
            folder.name = prefix + QString::number(i);
            folder.createdAt = 700000000;
            decoded.persisted->roots.append(folder);
            const QByteArray bytes = ScriptDocument::encode(*decoded.persisted);
            if (mode == u"rename") {
                const QByteArray temporary = name + ".editor";
                const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
                if (fd < 0 || !writeAll(fd, bytes.constData(), bytes.size()))
                    return 5;
                ::close(fd);
                if (::rename(temporary.constData(), name.constData()) != 0)
                    return 6;
            } else {
                const int fd = ::open(name.constData(), O_WRONLY | O_TRUNC);
                const qsizetype half = bytes.size() / 2;
                if (fd < 0 || !writeAll(fd, bytes.constData(), half))
                    return 5;
                QThread::usleep(2000);
                if (!writeAll(fd, bytes.constData() + half, bytes.size() - half))
                    return 6;
                ::close(fd);
            }
        }
        QThread::usleep(3000);
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() == 6 && arguments.at(1) == u"store") {
        const QString root = arguments.at(2);
        Preferences preferences(root + QStringLiteral("/editor.ini"));
        ShellStore store(preferences, Locations::under(root));
        store.setLineSink([](const QString &) {});
        store.setSyncFolder(arguments.at(3));
        store.setSyncFromiCloud(true);
        for (int i = 0; i < arguments.at(4).toInt(); ++i) {
            if (store.addFolder(std::nullopt, arguments.at(5) + QString::number(i)).isNull() ||
                store.lastSaveError())
                return 4;
            QThread::usleep(1000);
        }
        return 0;
    }
    if (arguments.size() == 5 && (arguments.at(1) == u"rename" || arguments.at(1) == u"inplace"))
        return editFile(arguments.at(1), arguments.at(2), arguments.at(3).toInt(),
                        arguments.at(4));
    return 2;
}
