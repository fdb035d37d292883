#pragma once

#include "Launchers.h"

#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>

#include <memory>

class SFCLI;
struct BrowserLocations;

// KRunner's records: a match (id, text, icon name, type, relevance, properties) and an action
// (id, text, icon name).
struct RunnerMatch
{
    QString id, text, iconName;
    int type = 0;
    double relevance = 0;
    QVariantMap properties;
};
struct RunnerAction
{
    QString id, text, iconName;
};
Q_DECLARE_METATYPE(RunnerMatch)
Q_DECLARE_METATYPE(RunnerAction)
QDBusArgument &operator<<(QDBusArgument &argument, const RunnerMatch &match);
const QDBusArgument &operator>>(const QDBusArgument &argument, RunnerMatch &match);
QDBusArgument &operator<<(QDBusArgument &argument, const RunnerAction &action);
const QDBusArgument &operator>>(const QDBusArgument &argument, RunnerAction &action);

// The orgs for the desktop's search, found in the CLI's own files as the window's filter finds
// them; no `sf` runs until a result is opened, and a result (an org's username) is opened only
// while the files still hold it. Idle for a minute, with nothing opening, it says so.
class SearchService : public QObject
{
    Q_OBJECT

public:
    static constexpr int kIdleMilliseconds = 60'000;
    static constexpr char kIcon[] = "app.tarnwick.Tarnwick";

    SearchService(std::shared_ptr<const SFCLI> cli, std::shared_ptr<const BrowserLocations> browsers, QString home,
                  QObject *parent = nullptr);

    // Usernames of the orgs that hold every term; `within`, when given, keeps only those.
    QStringList find(const QStringList &terms, const QStringList *within = nullptr);
    QList<QVariantMap> metas(const QStringList &ids);
    QList<RunnerMatch> runnerMatches(const QString &query);
    // Where the org was opened last (the window's choice), else in the system browser.
    void open(const QString &id, bool privateWindow);
    // The window, its filter holding the terms.
    void showWindow(const QStringList &terms);
    // Every call restarts the wait for idleness.
    void touch();

Q_SIGNALS:
    void idle();

private:
    Launchers::Orgs current() const;
    void notifyFailure(const QString &name, const QString &message);

    std::shared_ptr<const SFCLI> m_cli;
    std::shared_ptr<const BrowserLocations> m_browsers;
    QString m_home;
    QTimer m_idle;
    int m_opening = 0;
};

// org.gnome.Shell.SearchProvider2, GNOME Shell's overview search.
class ShellSearchAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.Shell.SearchProvider2")

public:
    explicit ShellSearchAdaptor(SearchService *service);

public Q_SLOTS:
    QStringList GetInitialResultSet(const QStringList &terms);
    QStringList GetSubsearchResultSet(const QStringList &previousResults, const QStringList &terms);
    QList<QVariantMap> GetResultMetas(const QStringList &identifiers);
    void ActivateResult(const QString &identifier, const QStringList &terms, uint timestamp);
    void LaunchSearch(const QStringList &terms, uint timestamp);

private:
    SearchService *m_service;
};

// org.kde.krunner1, KRunner's D-Bus plugins (Plasma 5 and 6).
class RunnerAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.krunner1")

public:
    explicit RunnerAdaptor(SearchService *service);

public Q_SLOTS:
    QList<RunnerAction> Actions();
    QList<RunnerMatch> Match(const QString &query);
    void Run(const QString &matchId, const QString &actionId);
    QVariantMap Config();
    void Teardown();

private:
    SearchService *m_service;
};
