#include "CLIOrg.h"

using namespace Qt::Literals::StringLiterals;

bool CLIOrg::isConnected() const
{
    return connectedStatus && *connectedStatus == "Connected"_L1;
}

QString CLIOrg::subtitle() const
{
    return username % " | "_L1 % instanceUrl;
}

namespace {
template<typename T>
size_t hashOptional(const std::optional<T> &value, size_t seed)
{
    return value ? qHashMulti(seed, true, *value) : qHash(false, seed);
}
} // namespace

size_t qHash(const CLIOrg &org, size_t seed) noexcept
{
    seed = hashOptional(org.alias, seed);
    seed = qHashMulti(seed, org.username, org.instanceUrl);
    seed = hashOptional(org.loginUrl, seed);
    seed = hashOptional(org.orgId, seed);
    seed = hashOptional(org.clientId, seed);
    seed = hashOptional(org.connectedStatus, seed);
    seed = hashOptional(org.isSandbox, seed);
    seed = hashOptional(org.isDefaultUsername, seed);
    return qHash(org.category, seed);
}

QSet<QString> CLIOrg::aliasesOf(const QList<CLIOrg> &orgs)
{
    QSet<QString> aliases;
    for (const CLIOrg &org : orgs) {
        if (org.alias && !org.alias->isEmpty())
            aliases.insert(*org.alias);
    }
    return aliases;
}
