#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <chrono>
#include <optional>

// Messages between a starting process and the running instance: a 4-byte
// big-endian length, then that many bytes of a UTF-8 JSON object carrying
// the protocol version in "v" and its kind in "type".
//
//   client → instance  {"type":"request","args":[...],"cwd":"..."}
//   instance → client  {"type":"ready"}, when it turns to the request
//   client → instance  {"type":"proceed"}, unless it has stopped waiting
//   instance → client  {"type":"stdout","text":"..."}, {"type":"stderr","text":"..."},
//                      and last {"type":"exit","status":N}
// Output goes as one letter, 'o' or 'e', and the text's UTF-8 bytes instead
// of a JSON object: escaping a listing of megabytes into JSON and back cost
// ten times the command itself. The reader hands it out as the object above.
// Nothing is carried out before "proceed", so a client that stops waiting
// for "ready" can tell its user that nothing changed; once it proceeds it
// waits however long the command takes.
namespace InstanceProtocol {

inline constexpr int version = 3;
// A running instance that takes no new command for this long is stuck.
inline constexpr std::chrono::milliseconds acceptTimeout = std::chrono::seconds(60);
// Far above any real message; guards against a garbage length.
inline constexpr qint64 maximumMessageSize = 16 * 1024 * 1024;
// Longer output goes out in several messages: even with every character
// escaped as \uXXXX a piece stays far below maximumMessageSize.
inline constexpr qsizetype maximumTextPerMessage = 1024 * 1024;

QByteArray frame(QJsonObject message);

QJsonObject request(const QStringList &args, const QString &cwd);
QJsonObject ready();
QJsonObject proceed();
QJsonObject standardOutput(const QString &text);
QJsonObject standardError(const QString &text);
// The frames of output, the same as frame(standardOutput(text)) and
// frame(standardError(text)).
QByteArray standardOutputFrame(QStringView text);
QByteArray standardErrorFrame(QStringView text);
QJsonObject exit(int status);

// The text in pieces of at most maximumTextPerMessage, never splitting a
// surrogate pair; one empty piece for an empty text.
QStringList textPieces(const QString &text);

// Collects bytes as they arrive and hands out complete messages. After a
// malformed frame (bad length, not a JSON object, other version) it stays
// failed: the stream cannot be resynchronised.
class FrameReader
{
public:
    void append(const QByteArray &bytes);
    // The next complete message, or nothing when more bytes are needed or
    // the stream failed.
    std::optional<QJsonObject> next();
    bool failed() const { return !m_error.isEmpty(); }
    const QString &errorString() const { return m_error; }

private:
    QByteArray m_buffer;
    QString m_error;
};

} // namespace InstanceProtocol
