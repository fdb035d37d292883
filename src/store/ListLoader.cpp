#include "ListLoader.h"

#include "OrgList.h"

using namespace Qt::Literals::StringLiterals;

ListLoader::Effect ListLoader::arrive(Arrival arrival, const Context &context)
{
    using SelectionPolicy::Step;
    Effect effect;
    const bool checkOutcome = arrival.kind == Kind::check || arrival.kind == Kind::checkFailure;
    if (checkOutcome) {
        // Only the check of the list shown counts; a newer list has stopped any other.
        if (m_phase != Phase::checking || arrival.delivery.job != m_check.job)
            return effect;
    } else if (arrival.delivery.stale) {
        // A newer list is shown already: only the action's own word is said.
        if (!arrival.reload.quietWhenStale)
            effect.status = arrival.reload.message(arrival.orgs.size(), arrival.hiddenScratchOrgs);
        return effect;
    } else if (arrival.reload.followsCLI && m_phase != Phase::idle && arrival.hiddenScratchOrgs == context.shownHiddenScratchOrgs
               && sameConnections(arrival.orgs, arrival.aliases, context.shown, context.shownAliases)) {
        return effect;
    }
    effect.followsCLI = checkOutcome ? m_check.reload.followsCLI : arrival.reload.followsCLI;

    SelectionPolicy::Input input;
    input.current = context.selection;
    switch (arrival.kind) {
    case Kind::quickList: {
        // An org known from the last check keeps its place until the new check says otherwise,
        // so that rows do not move twice.
        bool carried = false;
        for (CLIOrg &org : arrival.orgs) {
            const auto known = m_lastStatuses.constFind(org.username);
            if (!org.connectedStatus && known != m_lastStatuses.cend()) {
                org.connectedStatus = *known;
                carried = true;
            }
        }
        if (carried) // else it is in display order already
            OrgList::sortForDisplay(arrival.orgs);
        [[fallthrough]];
    }
    case Kind::fullList:
        if (m_phase == Phase::checking)
            effect.stopJob = m_check.job;
        input.rule = arrival.reload.rule;
        input.newAlias = arrival.reload.newAlias;
        input.before = context.selection;
        input.step = Step::firstList;
        effect.status = arrival.reload.message(arrival.orgs.size(), arrival.hiddenScratchOrgs);
        if (arrival.kind == Kind::quickList) {
            m_phase = Phase::checking;
            m_check = {0, arrival.reload, context.selection, arrival.aliases, context.statusSerial + 1};
            effect.startCheck = true;
        } else {
            m_phase = Phase::checked;
            remember(arrival.orgs);
        }
        break;
    case Kind::check:
        m_phase = Phase::checked;
        remember(arrival.orgs);
        input.step = Step::checked;
        // The check repeats the quick list's message, unless anything was said since.
        if (context.statusSerial == m_check.statusSerial)
            effect.status = m_check.reload.message(arrival.orgs.size(), arrival.hiddenScratchOrgs);
        break;
    case Kind::checkFailure:
        m_phase = Phase::checkFailed;
        arrival.orgs = context.shown;
        input.step = Step::checkFailed;
        effect.status = arrival.error;
        break;
    }
    if (checkOutcome) {
        arrival.aliases = m_check.aliases;
        input.rule = m_check.reload.rule;
        input.newAlias = m_check.reload.newAlias;
        input.before = m_check.before;
        input.userPicked = context.userPicked;
    }
    effect.phaseChanged = true;
    effect.select = SelectionPolicy::choose(input, arrival.orgs);
    if (arrival.kind != Kind::checkFailure) {
        effect.hiddenScratchOrgs = arrival.hiddenScratchOrgs;
        effect.show = std::move(arrival.orgs);
        effect.aliases = std::move(arrival.aliases);
    }
    return effect;
}

bool ListLoader::sameConnections(const QList<CLIOrg> &a, const AliasTable &aliasesOfA, const QList<CLIOrg> &b,
                                 const AliasTable &aliasesOfB)
{
    const auto keys = [](const QList<CLIOrg> &orgs, const AliasTable &aliases) {
        QStringList out;
        for (const CLIOrg &org : orgs) {
            out.append(QStringList{org.alias.value_or(u"\1"_s), org.username, org.instanceUrl,
                                   org.loginUrl.value_or(QString()), org.orgId.value_or(QString()),
                                   org.clientId.value_or(QString()), org.category,
                                   org.isSandbox ? QString::number(*org.isSandbox) : u"-"_s,
                                   org.isDefaultUsername ? QString::number(*org.isDefaultUsername) : u"-"_s,
                                   aliases.nameFor(org).value_or(u"\1"_s)}
                           .join(u'\0'));
        }
        out.sort();
        return out;
    };
    // A malformed entry that comes or goes is said, though no name changes.
    return a.size() == b.size() && aliasesOfA.malformed() == aliasesOfB.malformed() && keys(a, aliasesOfA) == keys(b, aliasesOfB);
}

void ListLoader::remember(const QList<CLIOrg> &orgs)
{
    m_lastStatuses.clear();
    for (const CLIOrg &org : orgs) {
        if (org.connectedStatus)
            m_lastStatuses.insert(org.username, *org.connectedStatus);
    }
}
