#include "instance/LocalServer.h"

#include "instance/LocalSocket.h"

#include <QFile>
#include <QSocketNotifier>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

LocalServer::LocalServer(QObject *parent) : QObject(parent) {}

LocalServer::~LocalServer()
{
    close();
}

bool LocalServer::listen(const QString &path, int backlog)
{
    close();
    const QByteArray native = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (size_t(native.size()) >= sizeof address.sun_path) {
        m_error = QString::fromLocal8Bit(std::strerror(ENAMETOOLONG));
        return false;
    }
    std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    ::unlink(native.constData());
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 ||
        ::listen(fd, backlog) != 0) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        ::close(fd);
        return false;
    }
    m_descriptor = fd;
    m_path = path;
    m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &LocalServer::newConnection);
    return true;
}

void LocalServer::close()
{
    if (m_descriptor < 0)
        return;
    delete m_notifier;
    m_notifier = nullptr;
    ::close(m_descriptor);
    m_descriptor = -1;
    ::unlink(QFile::encodeName(m_path).constData());
}

LocalSocket *LocalServer::nextPendingConnection()
{
    if (m_descriptor < 0)
        return nullptr;
    int fd;
    do
        fd = ::accept4(m_descriptor, nullptr, nullptr, SOCK_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    return fd < 0 ? nullptr : new LocalSocket(fd, this);
}
