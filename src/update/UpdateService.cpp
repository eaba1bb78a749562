#include "update/UpdateService.h"

#include "language/LanguageManager.h"
#include "platform/Notifier.h"

#include "update/FeedReader.h"

#include <QCoreApplication>
#include <QDir>
#include <QPluginLoader>

#ifndef ORLENTA_UPDATE_FEED_URL
#define ORLENTA_UPDATE_FEED_URL ""
#endif
#ifndef ORLENTA_VERSION
#define ORLENTA_VERSION "0"
#endif
#ifndef ORLENTA_PLUGIN_FROM_BINARY
#define ORLENTA_PLUGIN_FROM_BINARY "../lib/orlenta/plugins"
#endif

namespace {

// Until the application gives a user interface, a requested check shows nothing.
class SilentUpdateUserInterface : public UpdateUserInterface
{
public:
    void showUpToDate(const QString &) override {}
    void showUpdateAvailable(const AppcastItem &, const QString &) override {}
    void showCheckFailed(const QString &) override {}
    void showNotConfigured() override {}
};

SilentUpdateUserInterface silentInterface;

QUrl environmentFeedURL()
{
    return QUrl(QString::fromUtf8(qgetenv("ORLENTA_UPDATE_FEED_URL")).trimmed());
}

// The first address of the offered release that is not https: the page the
// download button opens, or the download itself.
std::optional<QUrl> insecureLink(const AppcastItem &item)
{
    for (const QUrl &url : {item.infoURL, item.downloadURL}) {
        if (!url.isEmpty() && !UpdateService::isSecureLink(url))
            return url;
    }
    return std::nullopt;
}

QString tooLarge()
{
    return QStringLiteral("the feed is larger than %1 MiB")
        .arg(UpdateService::maxFeedBytes / (1024 * 1024));
}

} // namespace

UpdateService::UpdateService(QObject *parent)
    : QObject(parent), m_feedURL(configuredFeedURL()),
      m_currentVersion(QStringLiteral(ORLENTA_VERSION)), m_ui(&silentInterface)
{
    m_timer.setSingleShot(true);
    // Checks are hours apart; let the system bundle the wake-up with others.
    m_timer.setTimerType(Qt::VeryCoarseTimer);
    connect(&m_timer, &QTimer::timeout, this, &UpdateService::scheduledCheck);
}

UpdateService::~UpdateService()
{
    if (m_reader)
        m_reader->abort();
}

QStringList UpdateService::pluginFolders()
{
    const QDir binary(QCoreApplication::applicationDirPath());
    return QStringList{binary.path(),
                       QDir::cleanPath(binary.filePath(QStringLiteral(ORLENTA_PLUGIN_FROM_BINARY)))} +
           QCoreApplication::libraryPaths();
}

FeedReader *UpdateService::feedReader(QString *error)
{
    if (m_reader)
        return m_reader.get();
    for (const QString &folder : pluginFolders()) {
        const QString file = QDir(folder).filePath(QStringLiteral("orlenta-feed-reader.so"));
        if (!QFile::exists(file))
            continue;
        QPluginLoader loader(file);
        if (auto *factory = qobject_cast<FeedReaderFactory *>(loader.instance())) {
            m_reader.reset(factory->create());
            return m_reader.get();
        }
        *error = loader.errorString();
        return nullptr;
    }
    *error = QStringLiteral("orlenta-feed-reader.so is not installed");
    return nullptr;
}

UpdateService &UpdateService::shared()
{
    static UpdateService *instance = new UpdateService(qApp);
    return *instance;
}

QUrl UpdateService::configuredFeedURL()
{
    const QByteArray fromEnvironment = qgetenv("ORLENTA_UPDATE_FEED_URL");
    const QString text = fromEnvironment.isNull() ? QStringLiteral(ORLENTA_UPDATE_FEED_URL)
                                                  : QString::fromUtf8(fromEnvironment);
    return QUrl(text.trimmed());
}

bool UpdateService::isSecureLink(const QUrl &url)
{
    return url.isValid() && url.scheme().compare(u"https", Qt::CaseInsensitive) == 0 &&
           !url.host().isEmpty();
}

bool UpdateService::isReadableFeed(const QUrl &url)
{
    return isSecureLink(url) || (url.isLocalFile() && url == environmentFeedURL());
}

void UpdateService::setSchedule(std::chrono::milliseconds first, std::chrono::milliseconds interval)
{
    m_first = first;
    m_interval = interval;
}

void UpdateService::start()
{
    if (!hasFeed())
        return; // nothing to check against; the schedule stays off
    if (!isReadableFeed(m_feedURL)) {
        qWarning("Orlenta: update feed not read, it is not an https address: %s",
                 qUtf8Printable(m_feedURL.toDisplayString()));
        return;
    }
    m_timer.start(m_first);
}

void UpdateService::checkForUpdates()
{
    if (!hasFeed()) {
        m_ui->showNotConfigured();
        Q_EMIT checkFinished();
        return;
    }
    startCheck(true);
}

void UpdateService::scheduledCheck()
{
    m_timer.start(m_interval);
    startCheck(false);
}

void UpdateService::startCheck(bool userInitiated)
{
    if (!isReadableFeed(m_feedURL)) {
        fail(userInitiated,
             LanguageManager::localized(QStringLiteral("更新源不是 https 地址，未读取：%@"),
                                        {m_feedURL.toDisplayString()}));
        return;
    }
    m_userWaiting = m_userWaiting || userInitiated;
    if (m_checking)
        return; // the check under way answers the user too
    QString error;
    FeedReader *reader = feedReader(&error);
    if (!reader) {
        m_userWaiting = false;
        fail(userInitiated, error);
        return;
    }
    m_checking = true;
    reader->read(m_feedURL, QStringLiteral("Orlenta/%1").arg(m_currentVersion), maxFeedBytes,
                 [this](const QByteArray &bytes, const QString &error) { finishCheck(bytes, error); });
}

void UpdateService::finishCheck(const QByteArray &bytes, const QString &error)
{
    if (!m_checking)
        return;
    m_checking = false;
    const bool userInitiated = std::exchange(m_userWaiting, false);
    if (!error.isEmpty())
        return fail(userInitiated, error);
    if (bytes.size() > maxFeedBytes)
        return fail(userInitiated, tooLarge());
    const AppcastParseResult feed = parseAppcast(bytes);
    if (feed.error)
        return fail(userInitiated, *feed.error);
    const std::optional<AppcastItem> update = newestUpdate(feed.items, m_currentVersion);
    if (update) {
        // A feed that would have the user open a script, a plain-http page
        // or a javascript: link is not trusted with anything else either.
        if (const std::optional<QUrl> link = insecureLink(*update)) {
            qWarning("Orlenta: update feed refused, it offers a link that is not https: %s",
                     qUtf8Printable(link->toDisplayString()));
            return fail(userInitiated,
                        LanguageManager::localized(
                            QStringLiteral("更新源提供的下载链接不是 https 地址：%@"),
                            {link->toDisplayString()}));
        }
    }
    if (!update) {
        if (userInitiated)
            m_ui->showUpToDate(m_currentVersion);
    } else if (userInitiated) {
        m_ui->showUpdateAvailable(*update, m_currentVersion);
    } else if (standardUserDriverShouldHandleShowingScheduledUpdate(*update, m_inFocus())) {
        m_ui->showUpdateAvailable(*update, m_currentVersion);
    }
    Q_EMIT checkFinished();
}

void UpdateService::fail(bool userInitiated, const QString &reason)
{
    if (userInitiated)
        m_ui->showCheckFailed(reason);
    Q_EMIT checkFinished();
}

bool UpdateService::standardUserDriverShouldHandleShowingScheduledUpdate(const AppcastItem &item,
                                                                         bool immediateFocus)
{
    if (!immediateFocus)
        postUpdateNotification(item.displayVersionString());
    return immediateFocus;
}

void UpdateService::postUpdateNotification(const QString &version)
{
    if (!m_notifier)
        return;
    // These two texts follow the system's locale, not the interface language.
    const QString title =
        LanguageManager::localizedForSystemLocale(QStringLiteral("Orlenta Update Available"));
    const QString body = LanguageManager::localizedForSystemLocale(
        QStringLiteral("Version %@ is ready to install."), {version});
    m_notifier->post(QStringLiteral("orlenta-update"), title, body);
}
