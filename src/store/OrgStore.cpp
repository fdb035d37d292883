#include "OrgStore.h"

#include "OrgStoreChannel.h"
#include "SFCLI.h"
#include "TargetEnvironment.h"

#include <QStringMatcher>

using namespace Qt::Literals::StringLiterals;

OrgStore::OrgStore(QObject *parent)
    : OrgStore(SFCLI::shared(), TargetEnvironment::system(), parent)
{
}

OrgStore::OrgStore(const SFCLI &cli, const TargetEnvironment &targets, QObject *parent)
    : QObject(parent)
    , m_cli(cli)
    , m_targets(targets)
    , m_channel(std::make_shared<Channel>(this))
    , m_status(u"Loading Salesforce CLI connections..."_s)
{
}

OrgStore::~OrgStore()
{
    // Tasks still running keep the channel, not the store: their outcomes are dropped.
    m_channel->close();
}

void OrgStore::setOrgs(QList<CLIOrg> orgs)
{
    m_orgs = std::move(orgs);
    Q_EMIT orgsChanged();
}

void OrgStore::setSelectedID(const std::optional<QString> &id)
{
    m_selectedID = id;
    Q_EMIT selectedIDChanged();
}

void OrgStore::setSearch(const QString &text)
{
    m_search = text;
    Q_EMIT searchChanged();
}

void OrgStore::setStatus(const QString &status)
{
    m_status = status;
    Q_EMIT statusChanged();
}

void OrgStore::setBusy(bool busy)
{
    m_isBusy = busy;
    Q_EMIT isBusyChanged();
}

QList<CLIOrg> OrgStore::filteredOrgs() const { return filter(m_orgs, m_search); }

QList<CLIOrg> OrgStore::filter(const QList<CLIOrg> &orgs, const QString &search)
{
    const QString text = search.trimmed();
    if (text.isEmpty())
        return orgs;
    // Letter case is ignored; accents and other marks still count.
    const QStringMatcher matcher(text, Qt::CaseInsensitive);
    auto contains = [&matcher](const QString &field) { return matcher.indexIn(field) >= 0; };
    QList<CLIOrg> matching;
    for (const CLIOrg &org : orgs) {
        if (contains(org.displayName()) || contains(org.username) || contains(org.instanceUrl)
            || (org.orgId && contains(*org.orgId)))
            matching.append(org);
    }
    return matching;
}

std::optional<CLIOrg> OrgStore::selectedOrg() const
{
    if (!m_selectedID)
        return std::nullopt;
    for (const CLIOrg &org : m_orgs) {
        if (org.id() == *m_selectedID)
            return org;
    }
    return std::nullopt;
}

std::optional<QString> OrgStore::fallbackSelection(const QList<CLIOrg> &orgs)
{
    for (const CLIOrg &org : orgs) {
        if (org.isConnected())
            return org.id();
    }
    if (!orgs.isEmpty())
        return orgs.first().id();
    return std::nullopt;
}
