#pragma once

#include "update/FeedReader.h"

#include <QObject>
#include <QPointer>

class QNetworkAccessManager;
class QNetworkReply;

class NetworkFeedReader : public QObject, public FeedReader
{
    Q_OBJECT
public:
    NetworkFeedReader();
    ~NetworkFeedReader() override;

    void read(const QUrl &url, const QString &userAgent, qint64 maxBytes, Done done) override;
    void abort() override;

private:
    void replyFinished();

    QNetworkAccessManager *m_network;
    QPointer<QNetworkReply> m_reply;
    qint64 m_maxBytes = 0;
    QByteArray m_tooMuch;
    Done m_done;
};

class NetworkFeedReaderPlugin : public QObject, public FeedReaderFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID FeedReaderFactory_iid)
    Q_INTERFACES(FeedReaderFactory)
public:
    FeedReader *create() override { return new NetworkFeedReader; }
};
