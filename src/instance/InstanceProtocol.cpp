#include "instance/InstanceProtocol.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QtEndian>

#include <algorithm>

namespace InstanceProtocol {

namespace {
constexpr char outputLetter = 'o';
constexpr char errorLetter = 'e';

QByteArray withLength(const QByteArray &payload)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(quint32(payload.size()), bytes.data());
    return bytes + payload;
}

QByteArray outputFrame(char letter, QStringView text)
{
    return withLength(letter + text.toUtf8());
}

// An object that an output frame carries exactly: its letter, or 0.
char outputLetterOf(const QJsonObject &message)
{
    const QStringList keys = message.keys();
    const bool onlyText = keys == QStringList{QStringLiteral("text"), QStringLiteral("type")} ||
                          keys == QStringList{QStringLiteral("text"), QStringLiteral("type"),
                                              QStringLiteral("v")};
    if (!onlyText || !message.value(QStringLiteral("text")).isString())
        return 0;
    const QString type = message.value(QStringLiteral("type")).toString();
    return type == u"stdout" ? outputLetter : type == u"stderr" ? errorLetter : 0;
}
} // namespace

QByteArray standardOutputFrame(QStringView text)
{
    return outputFrame(outputLetter, text);
}

QByteArray standardErrorFrame(QStringView text)
{
    return outputFrame(errorLetter, text);
}

QByteArray frame(QJsonObject message)
{
    if (const char letter = outputLetterOf(message))
        return outputFrame(letter, message.value(QStringLiteral("text")).toString());
    message.insert(QStringLiteral("v"), version);
    return withLength(QJsonDocument(message).toJson(QJsonDocument::Compact));
}

QJsonObject request(const QStringList &args, const QString &cwd)
{
    return {{QStringLiteral("type"), QStringLiteral("request")},
            {QStringLiteral("args"), QJsonArray::fromStringList(args)},
            {QStringLiteral("cwd"), cwd}};
}

QJsonObject ready()
{
    return {{QStringLiteral("type"), QStringLiteral("ready")}};
}

QJsonObject proceed()
{
    return {{QStringLiteral("type"), QStringLiteral("proceed")}};
}

QJsonObject standardOutput(const QString &text)
{
    return {{QStringLiteral("type"), QStringLiteral("stdout")}, {QStringLiteral("text"), text}};
}

QJsonObject standardError(const QString &text)
{
    return {{QStringLiteral("type"), QStringLiteral("stderr")}, {QStringLiteral("text"), text}};
}

QJsonObject exit(int status)
{
    return {{QStringLiteral("type"), QStringLiteral("exit")}, {QStringLiteral("status"), status}};
}

QStringList textPieces(const QString &text)
{
    QStringList pieces;
    qsizetype from = 0;
    do {
        qsizetype length = std::min(maximumTextPerMessage, text.size() - from);
        if (from + length < text.size() && text[from + length - 1].isHighSurrogate())
            --length;
        pieces.append(text.mid(from, length));
        from += length;
    } while (from < text.size());
    return pieces;
}

void FrameReader::append(const QByteArray &bytes)
{
    if (!failed())
        m_buffer.append(bytes);
}

std::optional<QJsonObject> FrameReader::next()
{
    if (failed() || m_buffer.size() < 4)
        return std::nullopt;
    const quint32 length = qFromBigEndian<quint32>(m_buffer.constData());
    if (length == 0 || length > maximumMessageSize) {
        m_error = QStringLiteral("message length %1 out of range").arg(length);
        m_buffer.clear();
        return std::nullopt;
    }
    if (m_buffer.size() < 4 + qint64(length))
        return std::nullopt;
    const char letter = m_buffer.at(4);
    if (letter == outputLetter || letter == errorLetter) {
        QJsonObject message{
            {QStringLiteral("v"), version},
            {QStringLiteral("type"),
             letter == outputLetter ? QStringLiteral("stdout") : QStringLiteral("stderr")},
            {QStringLiteral("text"),
             QString::fromUtf8(QByteArrayView(m_buffer).sliced(5, length - 1))}};
        m_buffer.remove(0, 4 + length);
        return message;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(m_buffer.mid(4, length), &parseError);
    m_buffer.remove(0, 4 + length);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        m_error = QStringLiteral("message is not a JSON object");
        m_buffer.clear();
        return std::nullopt;
    }
    const QJsonObject message = document.object();
    const int messageVersion = message.value(QStringLiteral("v")).toInt(-1);
    if (messageVersion != version) {
        m_error =
            QStringLiteral("protocol version %1, expected %2").arg(messageVersion).arg(version);
        m_buffer.clear();
        return std::nullopt;
    }
    return message;
}

} // namespace InstanceProtocol
