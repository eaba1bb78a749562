#include "instance/InstanceProtocol.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QtEndian>

#include <algorithm>

namespace InstanceProtocol {

QByteArray frame(QJsonObject message)
{
    message.insert(QStringLiteral("v"), version);
    const QByteArray payload = QJsonDocument(message).toJson(QJsonDocument::Compact);
    QByteArray bytes(4, '\0');
    qToBigEndian(quint32(payload.size()), bytes.data());
    return bytes + payload;
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
