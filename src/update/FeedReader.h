#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <QtPlugin>

#include <functional>

// Reads the bytes of a feed. The network half (QtNetwork, and Kerberos and
// the proxy library behind it) is a plugin loaded on the first check, so a
// start, and a build that never checks, does not pay for it. A plain
// interface: nothing of the app's is linked into the plugin twice.
class FeedReader
{
public:
    // error is empty on success. A feed that sends more than maxBytes is cut
    // off there and handed on with the bytes so far (more than maxBytes).
    using Done = std::function<void(const QByteArray &bytes, const QString &error)>;

    virtual ~FeedReader() = default;
    // done is called once, from the event loop, unless abort() comes first.
    virtual void read(const QUrl &url, const QString &userAgent, qint64 maxBytes, Done done) = 0;
    virtual void abort() = 0;
};

class FeedReaderFactory
{
public:
    virtual ~FeedReaderFactory() = default;
    virtual FeedReader *create() = 0; // owned by the caller
};

#define FeedReaderFactory_iid "org.orlenta.FeedReaderFactory/1"
Q_DECLARE_INTERFACE(FeedReaderFactory, FeedReaderFactory_iid)
