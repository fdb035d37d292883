#pragma once

#include "AliasTable.h"
#include "CLIOrg.h"
#include "JobRunner.h"
#include "SelectionPolicy.h"

#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

// The list's phases. A reload reads the quick list (no connection check, which costs seconds per
// org whose instance does not answer) and shows it at once, then the check's full list replaces
// it; a CLI without the quick list gives the full list in one step. arrive() is the one place
// that decides what a list, or the check's failure, does: whether it is shown, with which
// statuses, what is selected and what the status line says.
class ListLoader
{
public:
    enum class Phase {
        idle, // nothing listed yet
        checking, // the quick list is shown, statuses carried from the last check only order it
        checked, // the list is the check's, or a full list read in one step
        checkFailed, // the quick list stays, with the statuses the last successful check gave
    };

    // What the action behind a reload wants: its selection rule and its message for N orgs listed
    // and H scratch orgs hidden, which a plain refresh does not repeat when a newer list is shown
    // already.
    struct Reload
    {
        SelectionPolicy::Rule rule = SelectionPolicy::Rule::keep;
        QString newAlias = {};
        std::function<QString(qsizetype listed, int hidden)> message = {};
        bool quietWhenStale = false;
        // Another program changed the CLI's files: shown only when the connections differ from
        // those shown, and then the status line says so.
        bool followsCLI = false;
    };

    enum class Kind { quickList, fullList, check, checkFailure };
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

    // The store's side of the decision.
    struct Context
    {
        const QList<CLIOrg> &shown;
        const AliasTable &shownAliases;
        int shownHiddenScratchOrgs = 0;
        std::optional<OrgRef> selection;
        bool userPicked = false; // since the shown list arrived
        quint64 statusSerial = 0; // counts the status line's changes
    };

    // What the store does, in this order.
    struct Effect
    {
        quint64 stopJob = 0; // the check of a list that is replaced
        std::optional<QList<CLIOrg>> show;
        AliasTable aliases; // the names that reach the orgs shown
        bool phaseChanged = false;
        std::optional<std::optional<OrgRef>> select;
        std::optional<QString> status;
        bool startCheck = false;
        bool followsCLI = false; // the list shown, or checked, is one another program's change brought
        int hiddenScratchOrgs = 0; // with `show`
    };

    Phase phase() const { return m_phase; }
    Effect arrive(Arrival arrival, const Context &context);
    // The check that follows the quick list; 0 when none could start (its failure arrives as job 0).
    void checkStarted(quint64 job) { m_check.job = job; }

    // The same connections by the same names, whatever their statuses and order.
    static bool sameConnections(const QList<CLIOrg> &a, const AliasTable &aliasesOfA, const QList<CLIOrg> &b,
                                const AliasTable &aliasesOfB);

private:
    Effect arriveList(Arrival arrival, const Context &context);
    Effect arriveCheck(Arrival arrival, const Context &context);
    void carryStatuses(QList<CLIOrg> &orgs) const;
    void remember(const QList<CLIOrg> &orgs);

    Phase m_phase = Phase::idle;
    QHash<QString, QString> m_lastStatuses; // by username, from the last full list
    struct Check
    {
        quint64 job = 0;
        Reload reload;
        std::optional<OrgRef> before;
        AliasTable aliases;
        quint64 statusSerial = 0; // the status line's, as the quick list left it
    } m_check;
};
