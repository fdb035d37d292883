#include "OrgList.h"

#include <QCollator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QLocale>

#include <algorithm>
#include <cmath>
#include <numeric>

using namespace Qt::Literals::StringLiterals;

OrgListDecodingError::OrgListDecodingError(const QString &problem)
    : DescribedError(u"Unexpected org list from sf: "_s + problem)
{
}

namespace {

QString typeName(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Null:
        return u"null"_s;
    case QJsonValue::Bool:
        return u"a boolean"_s;
    case QJsonValue::Double:
        return u"a number"_s;
    case QJsonValue::String:
        return u"a string"_s;
    case QJsonValue::Array:
        return u"an array"_s;
    case QJsonValue::Object:
        return u"an object"_s;
    case QJsonValue::Undefined:
        break;
    }
    return u"nothing"_s;
}

[[noreturn]] void failAt(const QString &path, const QString &expected, const QJsonValue &found)
{
    throw OrgListDecodingError(path % ": expected "_L1 % expected % ", found "_L1 % typeName(found)
                               % u'.');
}

// Where a value sits, written out only when something is wrong with it.
struct OrgPath
{
    QLatin1StringView array;
    qsizetype index;

    QString operator()(QLatin1StringView key) const
    {
        return "result."_L1 % array % u'[' % QString::number(index) % "]."_L1 % key;
    }
};

std::optional<QString> optionalString(const QJsonObject &org, QLatin1StringView key,
                                      const OrgPath &path)
{
    const QJsonValue value = org.value(key);
    if (value.isString())
        return value.toString();
    if (value.isNull() || value.isUndefined())
        return std::nullopt;
    failAt(path(key), u"a string or null"_s, value);
}

std::optional<bool> optionalBool(const QJsonObject &org, QLatin1StringView key, const OrgPath &path)
{
    const QJsonValue value = org.value(key);
    if (value.isBool())
        return value.toBool();
    if (value.isNull() || value.isUndefined())
        return std::nullopt;
    failAt(path(key), u"a boolean or null"_s, value);
}

struct Category
{
    QLatin1StringView key;
    QLatin1StringView label;
};

// The order in which the categories are listed, before sorting.
constexpr Category kCategories[] = {
    {"sandboxes"_L1, "Sandboxes"_L1},
    {"other"_L1, "Other"_L1},
    {"devHubs"_L1, "Dev Hubs"_L1},
    {"scratchOrgs"_L1, "Scratch Orgs"_L1},
};

void checkStatus(const QJsonObject &top)
{
    const QJsonValue status = top.value("status"_L1);
    if (status.isUndefined())
        throw OrgListDecodingError(u"status: required key is missing."_s);
    const double number = status.toDouble();
    // Integral and representable as a 64-bit integer; the value itself is never used.
    if (!status.isDouble() || !std::isfinite(number) || std::trunc(number) != number
        || std::fabs(number) >= 9.2233720368547758e18)
        failAt(u"status"_s, u"an integer"_s, status);
}

} // namespace

QList<CLIOrg> OrgList::decode(const QByteArray &utf8Json)
{
    if (utf8Json.trimmed().isEmpty())
        throw OrgListDecodingError(u"the output is empty."_s);

    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(utf8Json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        throw OrgListDecodingError(u"not valid JSON ("_s % parseError.errorString() % " at offset "_L1
                                   % QString::number(parseError.offset) % ")."_L1);
    if (!document.isObject())
        failAt(u"top level"_s, u"an object"_s,
               document.isArray() ? QJsonValue(document.array()) : QJsonValue());

    const QJsonObject top = document.object();
    checkStatus(top);
    const QJsonValue resultValue = top.value("result"_L1);
    if (resultValue.isUndefined())
        throw OrgListDecodingError(u"result: required key is missing."_s);
    if (!resultValue.isObject())
        failAt(u"result"_s, u"an object"_s, resultValue);
    const QJsonObject result = resultValue.toObject();

    // The first wrong type anywhere throws, so there is never a partial list.
    QList<CLIOrg> orgs;
    for (const Category &category : kCategories) {
        const QJsonValue arrayValue = result.value(category.key);
        if (arrayValue.isNull() || arrayValue.isUndefined())
            continue;
        if (!arrayValue.isArray())
            failAt("result."_L1 + category.key, u"an array or null"_s, arrayValue);
        const QJsonArray array = arrayValue.toArray();
        orgs.reserve(orgs.size() + array.size());
        const QString label = category.label;
        for (qsizetype i = 0; i < array.size(); ++i) {
            const OrgPath path{category.key, i};
            const QJsonValue entry = array.at(i);
            if (!entry.isObject())
                failAt("result."_L1 % category.key % u'[' % QString::number(i) % u']',
                       u"an object"_s, entry);
            const QJsonObject org = entry.toObject();
            CLIOrg record;
            std::optional<QString> instanceUrl = optionalString(org, "instanceUrl"_L1, path);
            record.orgId = optionalString(org, "orgId"_L1, path);
            std::optional<QString> username = optionalString(org, "username"_L1, path);
            record.loginUrl = optionalString(org, "loginUrl"_L1, path);
            record.clientId = optionalString(org, "clientId"_L1, path);
            record.alias = optionalString(org, "alias"_L1, path);
            record.connectedStatus = optionalString(org, "connectedStatus"_L1, path);
            record.isSandbox = optionalBool(org, "isSandbox"_L1, path);
            record.isDefaultUsername = optionalBool(org, "isDefaultUsername"_L1, path);
            if (!username || !instanceUrl)
                continue;
            record.username = std::move(*username);
            record.instanceUrl = std::move(*instanceUrl);
            record.category = label;
            orgs.append(std::move(record));
        }
    }
    return orgs;
}

void OrgList::sortForDisplay(QList<CLIOrg> &orgs)
{
    // One collator and one sort key per org: comparing keys is far cheaper than collating
    // strings on every comparison. The C locale has no collation rules (and Qt's C sort keys
    // would not fold case), so there a plain case-insensitive comparison does the job.
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    const bool plain = collator.locale().language() == QLocale::C;

    std::vector<qsizetype> order(orgs.size());
    std::iota(order.begin(), order.end(), 0);
    std::vector<bool> connected(orgs.size());
    for (qsizetype i = 0; i < orgs.size(); ++i)
        connected[i] = orgs[i].isConnected();

    auto byConnection = [&](qsizetype a, qsizetype b) { return connected[a] && !connected[b]; };
    if (plain) {
        std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
            if (connected[a] != connected[b])
                return byConnection(a, b);
            return orgs[a].displayName().compare(orgs[b].displayName(), Qt::CaseInsensitive) < 0;
        });
    } else {
        std::vector<QCollatorSortKey> keys;
        keys.reserve(orgs.size());
        for (const CLIOrg &org : std::as_const(orgs))
            keys.push_back(collator.sortKey(org.displayName()));
        std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
            if (connected[a] != connected[b])
                return byConnection(a, b);
            return keys[a].compare(keys[b]) < 0;
        });
    }

    QList<CLIOrg> sorted;
    sorted.reserve(orgs.size());
    for (qsizetype i : order)
        sorted.append(std::move(orgs[i]));
    orgs = std::move(sorted);
}
