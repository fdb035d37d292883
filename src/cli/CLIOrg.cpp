#include "CLIOrg.h"

using namespace Qt::Literals::StringLiterals;

bool CLIOrg::isConnected() const
{
    return connectedStatus && *connectedStatus == "Connected"_L1;
}

bool CLIOrg::matches(const QStringMatcher &text) const
{
    const auto in = [&text](const QString &field) { return text.indexIn(field) >= 0; };
    return in(displayName()) || in(username) || in(instanceUrl) || (orgId && in(*orgId));
}

QString CLIOrg::subtitle() const
{
    return username % " | "_L1 % instanceUrl;
}
