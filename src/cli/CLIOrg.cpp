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
