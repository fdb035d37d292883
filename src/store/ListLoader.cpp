#include "ListLoader.h"

#include "OrgList.h"

using namespace Qt::Literals::StringLiterals;

ListLoader::Effect ListLoader::arrive(Arrival arrival, const std::optional<OrgRef> &selection)
{
    if (arrival.kind == Kind::check || arrival.kind == Kind::checkFailure) {
        // Only the check of the list shown counts; a newer list has stopped any other.
        if (m_phase != Phase::checking || arrival.delivery.job != m_check.job)
            return {};
        return arriveCheck(std::move(arrival), selection);
    }
    if (arrival.kind == Kind::files) {
        if (m_listed)
            return {};
        // Shown as the quick list is, its statuses unknown, with no check of its own: the CLI's
        // list, on its way, replaces it.
        Effect effect;
        m_phase = Phase::checking;
        m_check = {};
        effect.phaseChanged = true;
        effect.select = SelectionPolicy::choose({.rule = arrival.reload.rule, .before = selection, .current = selection,
                                                 .step = SelectionPolicy::Step::firstList},
                                                arrival.orgs);
        show(std::move(arrival.orgs), std::move(arrival.aliases), 0, false, effect);
        m_fromFiles = true;
        return effect;
    }
    if (arrival.delivery.stale) {
        // A newer list is shown already: only the action's own word is said.
        Effect effect;
        if (!arrival.reload.quietWhenStale)
            effect.status = arrival.reload.message(arrival.orgs.size(), arrival.hiddenScratchOrgs);
        return effect;
    }
    // Another program's change that leaves the connections as they are shown changes nothing.
    if (arrival.reload.followsCLI && m_listed && arrival.hiddenScratchOrgs == m_hiddenScratchOrgs
        && sameConnections(arrival.orgs, arrival.aliases, m_orgs, m_aliases))
        return {};
    return arriveList(std::move(arrival), selection);
}

// The quick list, or the full one in one step: shown at once, the selection placed by the
// action's rule.
ListLoader::Effect ListLoader::arriveList(Arrival arrival, const std::optional<OrgRef> &selection)
{
    Effect effect;
    if (arrival.kind == Kind::quickList)
        carryStatuses(arrival.orgs);
    if (m_phase == Phase::checking)
        effect.stopJob = m_check.job;
    effect.status = arrival.reload.message(arrival.orgs.size(), arrival.hiddenScratchOrgs);
    if (arrival.kind == Kind::quickList) {
        m_phase = Phase::checking;
        m_check = {0, arrival.reload, selection, arrival.aliases, m_statusSerial + 1};
        effect.startCheck = true;
    } else {
        m_phase = Phase::checked;
        remember(arrival.orgs);
    }
    const SelectionPolicy::Input input{.rule = arrival.reload.rule, .newAlias = arrival.reload.newAlias,
                                       .before = selection, .current = selection,
                                       .step = SelectionPolicy::Step::firstList};
    effect.phaseChanged = true;
    effect.select = SelectionPolicy::choose(input, arrival.orgs);
    show(std::move(arrival.orgs), std::move(arrival.aliases), arrival.hiddenScratchOrgs, arrival.reload.followsCLI, effect);
    return effect;
}

// The check of the list shown, or its failure: the selection placed again by the rule of the
// action behind the list, unless the user picked a row since.
ListLoader::Effect ListLoader::arriveCheck(Arrival arrival, const std::optional<OrgRef> &selection)
{
    Effect effect;
    SelectionPolicy::Input input{.rule = m_check.reload.rule, .newAlias = m_check.reload.newAlias, .before = m_check.before,
                                 .current = selection, .userPicked = m_userPicked,
                                 .step = SelectionPolicy::Step::checked};
    effect.phaseChanged = true;
    if (arrival.kind == Kind::checkFailure) {
        m_phase = Phase::unchecked;
        input.step = SelectionPolicy::Step::checkFailed;
        effect.status = StatusMessage::failure(arrival.error);
        effect.select = SelectionPolicy::choose(input, m_orgs);
        return effect;
    }
    m_phase = Phase::checked;
    remember(arrival.orgs);
    // The check repeats the quick list's message, unless anything was said since.
    if (m_statusSerial == m_check.statusSerial)
        effect.status = m_check.reload.message(arrival.orgs.size(), arrival.hiddenScratchOrgs);
    effect.select = SelectionPolicy::choose(input, arrival.orgs);
    show(std::move(arrival.orgs), m_check.aliases, arrival.hiddenScratchOrgs, m_check.reload.followsCLI, effect);
    return effect;
}

// An org known from the last check keeps its place until the new check says otherwise, so that
// rows do not move twice.
void ListLoader::carryStatuses(QList<CLIOrg> &orgs) const
{
    bool carried = false;
    for (CLIOrg &org : orgs) {
        const auto known = m_lastStatuses.constFind(org.username);
        if (!org.connectedStatus && known != m_lastStatuses.cend()) {
            org.connectedStatus = *known;
            carried = true;
        }
    }
    if (carried) // else it is in display order already
        OrgList::sortForDisplay(orgs);
}

// A new list shown: the user's pick was made in the list it replaces.
void ListLoader::show(QList<CLIOrg> orgs, AliasTable aliases, int hiddenScratchOrgs, bool followsCLI, Effect &effect)
{
    m_listed = true;
    m_fromFiles = false;
    m_userPicked = false;
    m_followsCLI = followsCLI;
    effect.hiddenScratchOrgsChanged = std::exchange(m_hiddenScratchOrgs, hiddenScratchOrgs) != hiddenScratchOrgs;
    m_orgs = std::move(orgs);
    m_aliases = std::move(aliases);
    m_targets.clear();
    m_unreachable.clear();
    for (const CLIOrg &org : std::as_const(m_orgs)) {
        if (const std::optional<QString> name = m_aliases.nameFor(org))
            m_targets.insert(org.username, *name);
        else
            m_unreachable.insert(org.username);
    }
    effect.shown = true;
}

std::optional<QString> ListLoader::targetOf(const CLIOrg &org) const
{
    const auto it = m_targets.constFind(org.username);
    return it == m_targets.cend() ? std::nullopt : std::optional(*it);
}

void ListLoader::markDefault(const QString &username)
{
    for (CLIOrg &org : m_orgs)
        org.isDefaultUsername = org.username == username;
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
