#pragma once

#include "update/Appcast.h"
#include "update/UpdateUserInterface.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <functional>
#include <memory>

class FeedReader;
class Notifier;

// Reads an appcast feed on a schedule and on request. A scheduled finding
// becomes a notification while the app is not in focus, a dialog otherwise.
class UpdateService : public QObject
{
    Q_OBJECT
public:
    static constexpr auto defaultFirstCheck = std::chrono::minutes(5);
    static constexpr auto defaultInterval = std::chrono::hours(24);
    static constexpr qint64 maxFeedBytes = 4 * 1024 * 1024;

    explicit UpdateService(QObject *parent = nullptr);
    ~UpdateService() override;

    static UpdateService &shared();

    // The feed set at build time, unless ORLENTA_UPDATE_FEED_URL overrides it.
    static QUrl configuredFeedURL();
    // Feeds are read over https; a file only when ORLENTA_UPDATE_FEED_URL
    // names it (tests, a local mirror), never one set at build time.
    static bool isReadableFeed(const QUrl &url);
    // What the download button may open.
    static bool isSecureLink(const QUrl &url);

    // Starts the schedule (no-op without a feed address).
    void start();
    // A user-initiated check with its own dialogs.
    void checkForUpdates();

    bool supportsGentleScheduledUpdateReminders() const { return true; }
    // A scheduled check found item: notifies when not in immediate focus and
    // returns the flag unchanged (true means the dialog shows).
    bool standardUserDriverShouldHandleShowingScheduledUpdate(const AppcastItem &item,
                                                              bool immediateFocus);
    void postUpdateNotification(const QString &version);

    // A build without a feed (a distribution's package, updated by its
    // package manager) offers no update check at all.
    bool hasFeed() const { return !m_feedURL.isEmpty(); }
    QUrl feedURL() const { return m_feedURL; }
    void setFeedURL(const QUrl &url) { m_feedURL = url; }
    QString currentVersion() const { return m_currentVersion; }
    void setCurrentVersion(const QString &version) { m_currentVersion = version; }
    void setNotifier(Notifier *notifier) { m_notifier = notifier; }
    void setUserInterface(UpdateUserInterface *ui) { m_ui = ui; }
    void setFocusProbe(std::function<bool()> probe) { m_inFocus = std::move(probe); }
    void setSchedule(std::chrono::milliseconds first, std::chrono::milliseconds interval);

    bool isScheduled() const { return m_timer.isActive(); }
    bool isChecking() const { return m_checking; }

    // Where the network plugin is looked for: beside the executable (a
    // build), its install folder, then Qt's library paths.
    static QStringList pluginFolders();

Q_SIGNALS:
    // After every check, scheduled or requested, whatever its outcome.
    void checkFinished();

private:
    void scheduledCheck();
    void startCheck(bool userInitiated);
    void finishCheck(const QByteArray &bytes, const QString &error);
    // Loaded on the first check; null when the plugin cannot be loaded.
    FeedReader *feedReader(QString *error);
    void fail(bool userInitiated, const QString &reason);

    QUrl m_feedURL;
    QString m_currentVersion;
    Notifier *m_notifier = nullptr;
    UpdateUserInterface *m_ui = nullptr;
    std::function<bool()> m_inFocus = [] { return true; };
    QTimer m_timer;
    std::chrono::milliseconds m_first = defaultFirstCheck;
    std::chrono::milliseconds m_interval = defaultInterval;
    std::unique_ptr<FeedReader> m_reader;
    bool m_checking = false;
    bool m_userWaiting = false;
};
