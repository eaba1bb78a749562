#include "update/network/NetworkFeedReader.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

NetworkFeedReader::NetworkFeedReader() : m_network(new QNetworkAccessManager(this))
{
    m_network->setTransferTimeout(30000);
}

NetworkFeedReader::~NetworkFeedReader()
{
    abort();
}

void NetworkFeedReader::read(const QUrl &url, const QString &userAgent, qint64 maxBytes,
                             Done done)
{
    abort();
    m_done = std::move(done);
    m_maxBytes = maxBytes;
    m_tooMuch.clear();
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, userAgent);
    m_reply = m_network->get(request);
    connect(m_reply.data(), &QNetworkReply::finished, this, &NetworkFeedReader::replyFinished);
    // A feed is a few kilobytes; whatever sends far more is not one.
    connect(m_reply.data(), &QNetworkReply::readyRead, this, [this] {
        if (m_reply && m_reply->bytesAvailable() > m_maxBytes) {
            m_tooMuch = m_reply->read(m_maxBytes + 1);
            m_reply->abort();
        }
    });
}

void NetworkFeedReader::abort()
{
    if (QNetworkReply *reply = m_reply.data()) {
        m_reply = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    m_done = {};
}

void NetworkFeedReader::replyFinished()
{
    QNetworkReply *reply = m_reply.data();
    m_reply = nullptr;
    if (!reply)
        return;
    reply->deleteLater();
    // Checked first: an aborted file reply reports no error.
    const Done done = std::exchange(m_done, Done());
    if (!m_tooMuch.isEmpty())
        done(std::exchange(m_tooMuch, QByteArray()), QString());
    else if (reply->error() != QNetworkReply::NoError)
        done({}, reply->errorString());
    else
        done(reply->read(m_maxBytes + 1), QString());
}
