#include "AliasTable.h"

#include "AppError.h"
#include "SFCLI.h"
#include "StopSignal.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <thread>

using namespace Qt::Literals::StringLiterals;

void AliasTable::add(const QString &alias, const QString &value)
{
    m_valueOf.insert(alias, value);
    m_aliasesOf[value].append(alias);
}

std::optional<AliasTable> AliasTable::decode(const QByteArray &json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    const QJsonValue result = document.object().value("result"_L1);
    if (error.error != QJsonParseError::NoError || !result.isArray())
        return std::nullopt;
    AliasTable table;
    for (const QJsonValue &entry : result.toArray()) {
        const QJsonValue alias = entry["alias"_L1], value = entry["value"_L1];
        if (!alias.isString() || !value.isString())
            return std::nullopt;
        table.add(alias.toString(), value.toString());
    }
    return table;
}

AliasTable AliasTable::reportedBy(const QList<CLIOrg> &orgs)
{
    AliasTable table;
    for (const CLIOrg &org : orgs) {
        if (org.alias && !org.alias->isEmpty())
            table.add(*org.alias, org.username);
    }
    return table;
}

QString AliasTable::resolve(const QString &name) const { return m_valueOf.value(name, name); }

std::optional<QString> AliasTable::nameFor(const CLIOrg &org) const
{
    QStringList names;
    if (org.alias && !org.alias->isEmpty())
        names << *org.alias;
    for (const QString &alias : m_aliasesOf.value(org.username)) {
        if (!names.contains(alias))
            names << alias;
    }
    names << org.username;
    const auto reaches = [&](const QString &name) { return !name.isEmpty() && resolve(name) == org.username; };
    for (const QString &name : std::as_const(names)) {
        if (!name.startsWith(u'-') && reaches(name))
            return name;
    }
    for (const QString &name : std::as_const(names)) {
        if (reaches(name))
            return name;
    }
    return std::nullopt;
}

std::optional<AliasTable> SFCLI::aliases() const
{
    try {
        return AliasTable::decode(runForOutput({u"alias"_s, u"list"_s, u"--json"_s}, 60.0));
    } catch (const DescribedError &) { // a CLI without the command: the list's aliases will do
        return std::nullopt;
    }
}

SFCLI::Listing SFCLI::listing() const
{
    // Side by side: the table costs about as long as the quick list, both mostly the CLI's start.
    std::optional<AliasTable> table;
    const StopSignal *stop = StopSignal::current();
    std::thread aliasReader([this, stop, &table] {
        const StopSignal::Scope scope(stop);
        try {
            table = aliases();
        } catch (const Stopped &) {
        }
    });
    Listing listing;
    try {
        std::optional<QList<CLIOrg>> quick = quickOrgs(&listing.hiddenScratchOrgs);
        listing.quick = quick.has_value();
        listing.orgs = quick ? std::move(*quick) : orgs(true, &listing.hiddenScratchOrgs);
    } catch (...) {
        aliasReader.join();
        throw;
    }
    aliasReader.join();
    StopSignal::throwIfRequested();
    listing.aliases = table ? std::move(*table) : AliasTable::reportedBy(listing.orgs);
    return listing;
}
