#pragma once

#include <QByteArray>
#include <QByteArrayList>

using namespace Qt::Literals::StringLiterals;

// An `sf org list --json` document of `count` orgs in the real output's shape: every key the CLI
// prints, a quarter of them sandboxes, a third connected, and the deprecated duplicate array.
inline QByteArray makeOrgListJson(int count)
{
    QByteArrayList other, sandboxes;
    for (int i = 0; i < count; ++i) {
        const QByteArray n = QByteArray::number(i);
        const bool sandbox = i % 4 == 0;
        const QByteArray entry
            = "{\"accessToken\":\"[REDACTED] Use 'sf org auth show-access-token' to view\","
              "\"instanceUrl\":\"https://org"_ba + n + (sandbox ? "--uat.sandbox"_ba : ""_ba)
            + ".my.salesforce.com\",\"orgId\":\"00D5g0000"_ba + n + "\",\"username\":\"user"_ba + n
            + "@example.com\",\"loginUrl\":\"https://login.salesforce.com\",\"clientId\":"
              "\"PlatformCLI\",\"isDevHub\":false,\"instanceApiVersion\":\"64.0\","
              "\"instanceApiVersionLastRetrieved\":\"2026-12-01T00:00:00.000Z\",\"name\":\"Org "_ba
            + n + "\",\"instanceName\":\"NA224\",\"namespacePrefix\":null,\"isSandbox\":"_ba
            + (sandbox ? "true"_ba : "false"_ba)
            + ",\"isScratch\":false,\"trailExpirationDate\":null,\"orgEdition\":\"Enterprise "
              "Edition\","_ba
            + (i % 5 ? "\"alias\":\"Org-"_ba + QByteArray::number((i * 7919) % count) + "\","_ba : ""_ba)
            + "\"isDefaultDevHubUsername\":false,\"isDefaultUsername\":false,\"lastUsed\":"
              "\"2026-12-06T09:51:03.596Z\",\"connectedStatus\":\""_ba
            + (i % 3 == 0 ? "Connected"_ba : "ENOTFOUND"_ba) + "\"}"_ba;
        (sandbox ? sandboxes : other).append(entry);
    }
    const QByteArray all = other.join(',') + (other.isEmpty() || sandboxes.isEmpty() ? ""_ba : ","_ba)
        + sandboxes.join(',');
    return "{\"status\":0,\"result\":{\"other\":["_ba + other.join(',') + "],\"sandboxes\":["_ba
        + sandboxes.join(',') + "],\"nonScratchOrgs\":["_ba + all
        + "],\"devHubs\":[],\"scratchOrgs\":[]},\"warnings\":[\"Secrets are now hidden.\"]}\n"_ba;
}
