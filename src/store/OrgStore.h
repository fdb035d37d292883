#pragma once

#include "CLIOrg.h"
#include "JobRunner.h"
#include "ListLoader.h"
#include "LoginOptions.h"
#include "SelectionPolicy.h"
#include "StatusMessage.h"
#include "TargetMemory.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class CLIWatcher;
struct BrowserLocations;
struct OpenTarget;
class SFCLI;

// The observable model behind the window: the orgs last read from the CLI, the selection, the
// filter text, the status line and the busy flag, and the actions that change them. It belongs
// to the main thread and composes its parts: the jobs run in a JobRunner, the list shown and its
// phases live in a ListLoader, and SelectionPolicy says what a reload selects. Every setter
// notifies, also when the value is unchanged.
class OrgStore : public QObject
{
    Q_OBJECT

public:
    // Whether the listed orgs' connection statuses are those of the CLI's check, or it runs, or it
    // failed: the list's phase.
    using Connections = ListLoader::Phase;

    OrgStore(std::shared_ptr<const SFCLI> cli, std::shared_ptr<const BrowserLocations> browsers,
             QObject *parent = nullptr);
    // Stops every running job and waits for its thread: the children are ended and reaped.
    ~OrgStore() override;

    const QList<CLIOrg> &orgs() const { return m_loader.orgs(); }
    // The selected org's id as it is listed now; the id chosen while no listed org has it.
    std::optional<QString> selectedID() const;
    // The selected org, known by its username once a list holds it.
    const std::optional<OrgRef> &selection() const { return m_selection; }
    const QString &search() const { return m_search; }
    const QString &status() const { return m_status.text; }
    const StatusMessage &statusMessage() const { return m_status; }
    bool isBusy() const { return m_isBusy; }
    Connections connections() const { return m_loader.phase(); }
    // Whether the list shown (or being checked) came from another program's change to the CLI's
    // files rather than from an action: the window then keeps its place in the list.
    bool followsCLI() const { return m_loader.followsCLI(); }
    // How many expired or deleted scratch orgs the CLI says it leaves out of the list shown.
    int hiddenScratchOrgs() const { return m_loader.hiddenScratchOrgs(); }
    // The CLI has listed its connections at least once, even none.
    bool hasListed() const { return m_loader.listed(); }

    // The user's choice by id: the first listed org with it, kept by its username from then on.
    void setSelectedID(const std::optional<QString> &id);
    // Selects exactly this org, also when another one shares its id (an alias that is another
    // org's username): the selection then names the org by its username as well.
    void selectOrg(const CLIOrg &org);
    void setSearch(const QString &text);

    // The orgs that match the trimmed search, in list order; computed on every call.
    QList<CLIOrg> filteredOrgs() const;
    // The first org the selection names, searched in the whole list.
    std::optional<CLIOrg> selectedOrg() const;

    static QList<CLIOrg> filter(const QList<CLIOrg> &orgs, const QString &search);
    // The name the CLI reaches an org by (AliasTable::nameFor); nothing for an org that no name
    // reaches (its username is another org's alias), and every action on it is refused.
    std::optional<QString> targetOf(const CLIOrg &org) const;
    // The usernames of the listed orgs that no name reaches.
    const QSet<QString> &unreachable() const { return m_loader.unreachable(); }
    // The orgs shown are those the CLI's files tell; the CLI's list is on its way.
    bool listsCLIFiles() const { return m_loader.fromFiles(); }
    bool isUnreachable(const CLIOrg &org) const { return m_loader.unreachable().contains(org.username); }

    // From now on, a change that another program makes to the CLI's files under `home` leads to
    // a quiet reload: nothing is busy, and when the connections shown have not changed nothing
    // else happens either; when they have, the list is shown and checked as after refresh(),
    // the user's selection kept. And until the CLI has listed anything, refresh() shows at once
    // what the CLI's files there tell (the CLI's list replaces it when it arrives).
    void followCLI(const QString &home);

    // The actions.
    void refresh();
    // `page`: a page's id or label, or a path of the org (OrgPage::resolve); empty for its home.
    // Once opened, the org's target, private window and (where `pageChosen`: not a shortcut's
    // fixed page) its page are remembered.
    void openSelected(const OpenTarget &target, bool privateWindow = false, const QString &page = {}, bool pageChosen = true);

    // Where each org was opened last, and the window's size and place; without one, nothing is.
    void setTargetMemory(std::shared_ptr<TargetMemory> memory);
    TargetMemory *targetMemory() const { return m_memory.get(); }
    std::optional<TargetMemory::Choice> rememberedOpen(const CLIOrg &org) const;
    // Forgets where the selected org opens; the window picks the system browser again.
    void forgetOpen();
    // Says that `org`'s remembered target is no longer offered.
    void rememberedTargetGone(const CLIOrg &org, const QString &targetID);
    void setSelectedAsDefault();
    // Says the selected org's target through textToCopy(); the window puts it on the clipboard,
    // and calls copyFailed() when the clipboard did not take it.
    void copyTarget();
    void copyFailed(const QString &target);
    // Delete and export act on the org a confirmation named, as it was then: nothing runs when the
    // list no longer holds it, or when the name passed no longer reaches it, or the CLI's alias
    // table cannot be read, right before the command. Open and Set Default check the name the same
    // way; when it reaches another org nothing runs and the list is read again.
    void deleteOrg(const CLIOrg &org);
    void createConnection(LoginKind kind, const QString &alias, BrowserChoice browser, bool setDefault);
    // Stops a web login that waits for the browser.
    void cancelLogin();
    bool isLoginWaiting() const;
    void exportOrg(const CLIOrg &org, const QString &filePath);
    void importConnection(const QString &filePath, const QString &alias, bool setDefault);
    // Removes the local connections of the hidden scratch orgs (`sf org list --clean`), then
    // reloads; `count` is the number the user confirmed.
    void cleanUpScratchOrgs(int count);

    using RunningJob = JobRunner::Running;
    // The jobs that run and have not been stopped, oldest first, the connection check aside. The
    // store is busy while there is one.
    QList<RunningJob> runningJobs() const { return m_jobs.running(); }
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
    void hiddenScratchOrgsChanged();
    void textToCopy(const QString &text);
    void rememberedOpenChanged();

private:
    void setStatus(const QString &text, StatusMessage::Severity severity);
    void setStatus(const StatusMessage &status);
    void setBusy(bool busy);
    void select(std::optional<OrgRef> selection);

    // The start message, then `work` as a foreground job whose outcome, or the description of
    // what it threw, is applied on the main thread; busy while it runs.
    void start(const QString &message, JobRunner::Work work,
               JobRunner::OnQuit onQuit = JobRunner::OnQuit::mayFinish, JobRunner::Purpose purpose = JobRunner::Purpose::none);
    // The org with the name that reaches it, or the no-target message (or why the CLI cannot
    // reach it) and nothing.
    struct Reached
    {
        CLIOrg org;
        QString target;
    };
    std::optional<Reached> reach(const std::optional<CLIOrg> &org);
    std::optional<Reached> requireSelection() { return reach(selectedOrg()); }
    // A destructive action's org, when the list still holds it.
    std::optional<Reached> reachConfirmed(const CLIOrg &org, const QString &nothingDone);
    // `action` (if any) as a job, then the list: the quick one, shown with the action's message,
    // and its check in the background; the full one in one step when the CLI has no quick one.
    void reload(const QString &message, std::function<void()> action, ListLoader::Reload reload,
                JobRunner::OnQuit onQuit = JobRunner::OnQuit::mayFinish);
    void arrive(ListLoader::Arrival arrival);
    // `action` (if any), then the list, delivered to arrive() with `reload`.
    JobRunner::Work listJob(std::function<void()> action, ListLoader::Reload reload);
    void startCheck();
    // A command refused because its name now reaches another org: said, and the list read again.
    JobRunner::Apply refusal(const QString &why);
    void reloadQuietly();
    // Whether the list of the CLI's files is shown.
    bool showCLIFiles();
    // Tells the watcher whether our own commands run, whose changes are not another program's.
    void noteJobs();

    std::shared_ptr<const SFCLI> m_cli;
    std::shared_ptr<const BrowserLocations> m_browsers;
    JobRunner m_jobs;
    ListLoader m_loader;
    std::optional<OrgRef> m_selection;
    CLIWatcher *m_watcher = nullptr;
    QString m_home; // where the CLI keeps its files, once followed
    QString m_search;
    StatusMessage m_status;
    bool m_isBusy = false;
    std::shared_ptr<TargetMemory> m_memory;
};
