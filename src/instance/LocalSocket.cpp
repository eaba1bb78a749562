#include "instance/LocalSocket.h"

#include <QFile>
#include <QSocketNotifier>

#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

LocalSocket::LocalSocket(int descriptor, QObject *parent)
    : QObject(parent), m_descriptor(descriptor),
      m_readable(new QSocketNotifier(descriptor, QSocketNotifier::Read, this)),
      m_writable(new QSocketNotifier(descriptor, QSocketNotifier::Write, this))
{
    ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) | O_NONBLOCK);
    m_writable->setEnabled(false);
    connect(m_readable, &QSocketNotifier::activated, this, &LocalSocket::readAvailable);
    connect(m_writable, &QSocketNotifier::activated, this, &LocalSocket::writePending);
}

LocalSocket::~LocalSocket()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

std::unique_ptr<LocalSocket> LocalSocket::connectTo(const QString &path, int sendTimeoutSeconds,
                                                    int *error)
{
    const QByteArray native = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (size_t(native.size()) >= sizeof address.sun_path) {
        *error = ENAMETOOLONG;
        return nullptr;
    }
    std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *error = errno;
        return nullptr;
    }
    const timeval wait{time_t(sendTimeoutSeconds), 0};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
    int result;
    do
        result = ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address);
    while (result != 0 && errno == EINTR);
    if (result != 0) {
        *error = errno;
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<LocalSocket>(fd);
}

QByteArray LocalSocket::readAll()
{
    return std::exchange(m_input, QByteArray());
}

void LocalSocket::write(const QByteArray &bytes)
{
    if (m_descriptor < 0 || m_closing)
        return;
    m_output += bytes;
    writePending();
}

void LocalSocket::disconnectFromServer()
{
    if (m_descriptor < 0)
        return;
    m_closing = true;
    if (m_output.isEmpty())
        closeNow();
}

void LocalSocket::abort()
{
    m_output.clear();
    closeNow();
}

void LocalSocket::readAvailable()
{
    char buffer[65536];
    bool ended = false;
    const qsizetype before = m_input.size();
    for (;;) {
        const ssize_t got = ::recv(m_descriptor, buffer, sizeof buffer, 0);
        if (got > 0) {
            m_input.append(buffer, got);
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        ended = got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
        break;
    }
    if (m_input.size() > before)
        Q_EMIT readyRead();
    if (ended)
        closeNow();
}

void LocalSocket::writePending()
{
    while (!m_output.isEmpty() && m_descriptor >= 0) {
        // MSG_NOSIGNAL: a client gone meanwhile must not end the instance.
        const ssize_t sent =
            ::send(m_descriptor, m_output.constData(), size_t(m_output.size()), MSG_NOSIGNAL);
        if (sent >= 0) {
            m_output.remove(0, sent);
            continue;
        }
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            m_writable->setEnabled(true);
            return;
        }
        m_output.clear();
        closeNow();
        return;
    }
    m_writable->setEnabled(false);
    if (m_closing)
        closeNow();
}

void LocalSocket::closeNow()
{
    if (m_descriptor < 0)
        return;
    m_readable->setEnabled(false);
    m_writable->setEnabled(false);
    ::close(m_descriptor);
    m_descriptor = -1;
    m_closing = false;
    Q_EMIT disconnected();
}
