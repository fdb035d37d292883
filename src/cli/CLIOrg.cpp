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

QSet<QString> CLIOrg::aliasesOf(const QList<CLIOrg> &orgs)
{
    QSet<QString> aliases;
    for (const CLIOrg &org : orgs) {
        if (org.alias && !org.alias->isEmpty())
            aliases.insert(*org.alias);
    }
    return aliases;
}
