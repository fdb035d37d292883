#include "AliasTable.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::Literals::StringLiterals;

void AliasTable::add(const QString &alias, const QJsonValue &value)
{
    if (!value.isString()) {
        m_malformed.insert(alias, value.isNull());
        return;
    }
    m_valueOf.insert(alias, value.toString());
    m_aliasesOf[value.toString()].append(alias);
}

namespace {

// The member `key` of the JSON object `json`; undefined when `json` is no such object.
QJsonValue member(const QByteArray &json, QLatin1StringView key)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    return error.error == QJsonParseError::NoError ? document.object().value(key) : QJsonValue(QJsonValue::Undefined);
}

} // namespace

std::optional<AliasTable> AliasTable::decode(const QByteArray &json)
{
    const QJsonValue result = member(json, "result"_L1);
    if (!result.isArray())
        return std::nullopt;
    AliasTable table;
    for (const QJsonValue &entry : result.toArray()) {
        if (const QJsonValue alias = entry["alias"_L1]; alias.isString())
            table.add(alias.toString(), entry["value"_L1]);
    }
    return table;
}

std::optional<AliasTable> AliasTable::decodeFile(const QByteArray &json)
{
    const QJsonValue orgs = member(json, "orgs"_L1);
    if (!orgs.isObject())
        return std::nullopt;
    AliasTable table;
    const QJsonObject pairs = orgs.toObject();
    for (auto it = pairs.begin(); it != pairs.end(); ++it)
        table.add(it.key(), it.value());
    return table;
}

AliasTable AliasTable::reportedBy(const QList<CLIOrg> &orgs)
{
    AliasTable table;
    for (const CLIOrg &org : orgs) {
        if (org.alias && !org.alias->isEmpty())
            table.add(*org.alias, QJsonValue(org.username));
    }
    return table;
}

std::optional<QString> AliasTable::resolve(const QString &name) const
{
    if (const auto bad = m_malformed.constFind(name); bad != m_malformed.cend() && !*bad)
        return std::nullopt;
    return m_valueOf.value(name, name);
}

QStringList AliasTable::malformed() const
{
    QStringList names = m_malformed.keys();
    names.sort();
    return names;
}

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
