// The alias table, read from the CLI's own file or from `sf alias list --json`, decides which org
// every command reaches: whatever a hand edit leaves there, each entry stays an alias, and a name
// handed out for an org reaches that org as the CLI resolves it.
#include "AliasTable.h"
#include "FuzzSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray json = fuzz::bytes(data, size);
    const QJsonObject top = QJsonDocument::fromJson(json).object();
    QList<std::pair<QString, QJsonValue>> inFile, listed; // the entries as each form holds them
    const QJsonObject file = top.value("orgs"_L1).toObject();
    for (auto it = file.begin(); it != file.end(); ++it)
        inFile.append({it.key(), it.value()});
    for (const QJsonValue &entry : top.value("result"_L1).toArray())
        listed.append({entry["alias"_L1].toString(), entry["value"_L1]});
    for (const auto &[table, entries] : {std::pair(AliasTable::decodeFile(json), inFile), {AliasTable::decode(json), listed}}) {
        for (const auto &[alias, value] : table ? entries : decltype(entries)()) {
            if (alias.isEmpty())
                continue;
            fuzz::check(table->isAlias(alias), "every entry is an alias", alias);
            CLIOrg org;
            org.username = value.toString(alias);
            org.alias = alias;
            if (const std::optional<QString> name = table->nameFor(org))
                fuzz::check(table->resolve(*name) == org.username, "a name handed out reaches its org", *name);
        }
    }
    return 0;
}
