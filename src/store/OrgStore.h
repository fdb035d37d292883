#pragma once

#include "CLIOrg.h"
#include "LoginOptions.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>

struct BrowserLocations;
struct OpenTarget;
class SFCLI;

// The observable model behind the window: the orgs last read from the CLI, the selection, the
// filter text, the status line and the busy flag, and the actions that change them. It belongs
// to the main thread. Each background action is a job that the store owns: it runs on a thread
// that the store joins, holds what it needs by value or shared ownership, can be stopped, and
// hands its outcome back to the main thread. Every setter notifies, also when the value is
// unchanged.
//
// A reload shows the list as soon as the CLI has read it without checking the connections (the
// check costs seconds per org whose instance does not answer), then checks them in a background
// job that keeps nothing busy; its full list replaces the quick one unless something newer has.
class OrgStore : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QList<CLIOrg> orgs READ orgs NOTIFY orgsChanged)
    Q_PROPERTY(std::optional<QString> selectedID READ selectedID WRITE setSelectedID NOTIFY selectedIDChanged)
    Q_PROPERTY(QString search READ search WRITE setSearch NOTIFY searchChanged)
    Q_PROPERTY(QString status READ status NOTIFY statusChanged)
    Q_PROPERTY(bool isBusy READ isBusy NOTIFY isBusyChanged)

public:
    // Whether the listed orgs' connection statuses are those of the CLI's check: being checked
    // (a status carried over from the previous check only orders the list), or unknown because
    // the check failed.
    enum class Connections { checked, checking, unchecked };

    explicit OrgStore(QObject *parent = nullptr);
    OrgStore(std::shared_ptr<const SFCLI> cli, std::shared_ptr<const BrowserLocations> browsers,
             QObject *parent = nullptr);
    // Stops every running job and waits for its thread: the children are ended and reaped.
    ~OrgStore() override;

    const QList<CLIOrg> &orgs() const { return m_orgs; }
    const std::optional<QString> &selectedID() const { return m_selectedID; }
    const QString &search() const { return m_search; }
    const QString &status() const { return m_status; }
    bool isBusy() const { return m_isBusy; }
    Connections connections() const { return m_connections; }

    void setSelectedID(const std::optional<QString> &id);
    // Selects exactly this org, also when another one shares its id (an alias that is another
    // org's username): the selection then names the org by its username as well.
    void selectOrg(const CLIOrg &org);
    const std::optional<QString> &selectedUsername() const { return m_selectedUsername; }
    void setSearch(const QString &text);

    // The orgs that match the trimmed search, in list order; computed on every call.
    QList<CLIOrg> filteredOrgs() const;
    // The first org whose id is the selected id, searched in the whole list.
    std::optional<CLIOrg> selectedOrg() const;

    static QList<CLIOrg> filter(const QList<CLIOrg> &orgs, const QString &search);
    // The aliases of the listed orgs: an org without an alias whose username is among them is one
    // that the CLI cannot address (CLIOrg::isHiddenBy), and every action on it is refused.
    const QSet<QString> &aliases() const { return m_aliases; }
    bool isUnreachable(const CLIOrg &org) const { return org.isHiddenBy(m_aliases); }
    // The first connected org's id, else the first org's, else nothing.
    static std::optional<QString> fallbackSelection(const QList<CLIOrg> &orgs);
    static const CLIOrg *fallbackOrg(const QList<CLIOrg> &orgs);

    // The actions.
    void refresh();
    // `page`: a page's id or label, or a path of the org (OrgPage::resolve); empty for its home.
    void openSelected(const OpenTarget &target, bool privateWindow = false, const QString &page = {});
    void setSelectedAsDefault();
    void copyTarget();
    void deleteSelected();
    void createConnection(LoginKind kind, const QString &alias, BrowserChoice browser, bool setDefault);
    void exportSelected(const QString &filePath);
    void importConnection(const QString &filePath, const QString &alias, bool setDefault);

    struct RunningJob
    {
        quint64 id;
        QString startMessage;
        bool stopsAtOnce; // a web login: stopped before it has saved anything
    };
    // The jobs that run and have not been stopped, oldest first, the connection check aside. The
    // store is busy while there is one.
    QList<RunningJob> runningJobs() const;
    // Ends the job's CLI command (termination request, grace period, kill, reaped) and drops its
    // outcome. The status line is left as it is.
    void stopJob(quint64 id);
    // Before the process ends: stops what can stop at once, gives any other command up to
    // `patience` to finish (it may be writing the CLI's own files), then stops it. Returns when
    // every child has ended and been reaped; no outcome is applied, and the store is idle.
    void shutDown(std::chrono::milliseconds patience);

Q_SIGNALS:
    void orgsChanged();
    void selectedIDChanged();
    void searchChanged();
    void statusChanged();
    void isBusyChanged();
    void connectionsChanged();

private:
    struct Job;
    // What a job hands back: the main-thread work that applies its outcome, given the job's id.
    using Outcome = std::function<void(OrgStore &, quint64 job)>;

    // What a reload does with the list it reads: the org to select when listed, whether the
    // current selection may stay, and the success message for a list of N orgs, which a plain
    // refresh does not repeat when a newer list is shown already.
    struct Reload
    {
        std::optional<QString> preferredID;
        bool keepCurrent = false;
        std::function<QString(qsizetype)> message;
        bool quietWhenStale = false;
    };
    // The check that follows a quick list shown.
    struct Check
    {
        quint64 job = 0;
        Reload reload;
        quint64 statusSerial = 0; // the status line's, as the quick list left it
        QSet<QString> carried; // usernames whose status is the previous check's
    };

    void setOrgs(QList<CLIOrg> orgs);
    void setStatus(const QString &status);
    void setBusy(bool busy);
    void setConnections(Connections connections);

    // Busy on and the start message, then `work` as a new job; its outcome (or the message of
    // what it threw) is applied on the main thread as one piece of work. A background job (the
    // connection check) neither says anything nor makes the store busy, and hands a failure to
    // failCheck(). Returns the job's id, 0 when none started.
    quint64 start(const QString &message, std::function<Outcome()> work, bool stopsAtOnce = false,
                  bool background = false);
    // Applies the outcomes that ended jobs handed over.
    Q_INVOKABLE void collectEndedJobs();
    // shutDown() without a word to the observers: the destructor uses it.
    void endJobs(std::chrono::milliseconds patience);
    // The selected org, or the no-target message (or why the CLI cannot reach it) and nothing.
    std::optional<CLIOrg> requireSelection();
    void select(const CLIOrg *org);
    // `action` (if any) as a job, then the list: the quick one, shown with the action's message,
    // and its check in the background; the full one in one step when the CLI has no quick one.
    void reload(const QString &message, std::function<void()> action, Reload reload,
                bool stopsAtOnce = false);
    // A list a job read; one older than the list shown is dropped, only its message is shown.
    // takeList() says whether it is to be shown, and then ends the check of the list shown.
    bool takeList(quint64 job, qsizetype count, const Reload &reload);
    void applyQuickList(quint64 job, QList<CLIOrg> orgs, const Reload &reload);
    void applyFullList(quint64 job, QList<CLIOrg> orgs, const Reload &reload);
    // The check's outcome, when it is still the list's own.
    void applyCheck(quint64 checkJob, QList<CLIOrg> orgs);
    void failCheck(quint64 checkJob, const QString &description);
    // A full list with the selection `reload` leaves, and its message when `say`.
    void showFullList(QList<CLIOrg> orgs, const Reload &reload, bool say);
    void endCheck();
    void runAction(const QString &message, std::function<void()> action,
                   std::function<QString()> success);

    std::shared_ptr<const SFCLI> m_cli;
    std::shared_ptr<const BrowserLocations> m_browsers;
    std::map<quint64, std::unique_ptr<Job>> m_jobs;
    quint64 m_lastJobID = 0;
    std::atomic<quint64> m_jobsEnded = 0;
    quint64 m_listJobID = 0; // the job whose list is shown
    std::optional<Check> m_check;
    Connections m_connections = Connections::checked;
    QHash<QString, QString> m_lastStatuses; // by username, from the last full list
    quint64 m_statusSerial = 0; // counts every status change
    bool m_userChose = false; // since the last quick list

    QList<CLIOrg> m_orgs;
    std::optional<QString> m_selectedID;
    std::optional<QString> m_selectedUsername; // set when the org was chosen as such
    QSet<QString> m_aliases;
    QString m_search;
    QString m_status;
    bool m_isBusy = false;
};
