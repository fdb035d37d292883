#pragma once

#include "AliasTable.h"
#include "CLIOrg.h"
#include "JobRunner.h"
#include "SelectionPolicy.h"
#include "StatusMessage.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <functional>
#include <optional>

// The list shown, the names that reach its orgs, and its phases. A reload reads the quick list
// (no connection check, which costs seconds per org whose instance does not answer) and shows it
// at once, then the check's full list replaces it; a CLI without the quick list gives the full
// list in one step. arrive() is the one place that decides what a list, or the check's failure,
// does: whether it is shown, with which statuses, what is selected and what the status line says.
class ListLoader
{
public:
    // Whether the listed orgs' connection statuses are those of the CLI's check.
    enum class Phase {
        checked, // the list is the check's, or a full list read in one step, or none is listed yet
        checking, // the quick list is shown, statuses carried from the last check only order it
        // The check failed: the quick list stays, with the statuses the last successful check gave
        // (an org it did not know has none).
        unchecked,
    };

    // What the action behind a reload wants: its selection rule and its message for N orgs listed
    // and H scratch orgs hidden, which a plain refresh does not repeat when a newer list is shown
    // already.
    struct Reload
    {
        SelectionPolicy::Rule rule = SelectionPolicy::Rule::keep;
        QString newAlias = {};
        std::function<StatusMessage(qsizetype listed, int hidden)> message = {};
        bool quietWhenStale = false;
        // Another program changed the CLI's files: shown only when the connections differ from
        // those shown, and then the status line says so.
        bool followsCLI = false;
    };

    // `files`: what the CLI's own files tell, shown only until the CLI has listed anything.
    enum class Kind { files, quickList, fullList, check, checkFailure };
    struct Arrival
    {
        Kind kind;
        JobRunner::Delivery delivery;
        QList<CLIOrg> orgs = {}; // the check's failure: none
        AliasTable aliases = {}; // a list job's, read with its list; the check keeps it
        Reload reload = {}; // a list job's; the check keeps the one of the list it checks
        QString error = {};
        int hiddenScratchOrgs = 0; // as the CLI's warning counts them
    };

    // What the store announces and does, in this order; the list's own state has changed already.
    struct Effect
    {
        quint64 stopJob = 0; // the check of a list that is replaced
        bool hiddenScratchOrgsChanged = false;
        bool phaseChanged = false;
        bool shown = false; // a list replaced the one shown
        std::optional<std::optional<OrgRef>> select;
        std::optional<StatusMessage> status;
        bool startCheck = false;
    };

    // `selection`: the store's, as the arrival finds it.
    Effect arrive(Arrival arrival, const std::optional<OrgRef> &selection);
    // The check that follows the quick list; 0 when none could start (its failure arrives as job 0).
    void checkStarted(quint64 job) { m_check.job = job; }
    // A row picked, or the selection acted on: the check of the list shown leaves the selection
    // where the user put it.
    void notePick() { m_userPicked = true; }
    // The status line changed: a check that ends after that does not repeat its list's message.
    void noteStatus() { ++m_statusSerial; }
    // The badge follows a new default org at once, as the next list would show it.
    void markDefault(const QString &username);

    Phase phase() const { return m_phase; }
    const QList<CLIOrg> &orgs() const { return m_orgs; }
    // The names that reach the orgs shown.
    const AliasTable &aliases() const { return m_aliases; }
    std::optional<QString> targetOf(const CLIOrg &org) const;
    const QSet<QString> &unreachable() const { return m_unreachable; }
    int hiddenScratchOrgs() const { return m_hiddenScratchOrgs; }
    // A list has been shown, even an empty one.
    bool listed() const { return m_listed; }
    // The list shown is the one the CLI's files tell, the CLI's own still to come.
    bool fromFiles() const { return m_fromFiles; }
    // The list shown, or checked, is one another program's change brought.
    bool followsCLI() const { return m_followsCLI; }

    // The same connections by the same names, whatever their statuses and order.
    static bool sameConnections(const QList<CLIOrg> &a, const AliasTable &aliasesOfA, const QList<CLIOrg> &b,
                                const AliasTable &aliasesOfB);

private:
    Effect arriveList(Arrival arrival, const std::optional<OrgRef> &selection);
    Effect arriveCheck(Arrival arrival, const std::optional<OrgRef> &selection);
    void carryStatuses(QList<CLIOrg> &orgs) const;
    void remember(const QList<CLIOrg> &orgs);
    void show(QList<CLIOrg> orgs, AliasTable aliases, int hiddenScratchOrgs, bool followsCLI, Effect &effect);

    Phase m_phase = Phase::checked;
    bool m_listed = false; // a list has been shown
    QHash<QString, QString> m_lastStatuses; // by username, from the last full list
    struct Check
    {
        quint64 job = 0;
        Reload reload;
        std::optional<OrgRef> before;
        AliasTable aliases;
        quint64 statusSerial = 0; // the status line's, as the quick list left it
    } m_check;
    quint64 m_statusSerial = 0; // counts every status change
    bool m_userPicked = false; // since the list shown arrived

    QList<CLIOrg> m_orgs;
    AliasTable m_aliases;
    QHash<QString, QString> m_targets; // by username
    QSet<QString> m_unreachable;
    int m_hiddenScratchOrgs = 0; // as the CLI's warning counts them
    bool m_followsCLI = false;
    bool m_fromFiles = false;
};
