// The org list decoder and the display sort. A document the decoder accepts must be JSON that
// Qt's reader accepts as well (Qt's is laxer, so only that direction holds) and must give the
// same orgs; the sort must be a stable permutation with connected orgs first.
#include "FuzzSupport.h"
#include "OrgList.h"

#include <QCollator>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QLocale>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

using namespace Qt::Literals::StringLiterals;

namespace {

// The decoder turns a lone surrogate escape into U+FFFD (UTF-8 has no form for it); Qt keeps it.
QString normalised(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out.append(c);
            out.append(text.at(++i));
        } else {
            out.append(c.isSurrogate() ? QChar(QChar::ReplacementCharacter) : c);
        }
    }
    return out;
}

std::optional<QString> normalised(const std::optional<QString> &text)
{
    return text ? std::optional<QString>(normalised(*text)) : std::nullopt;
}

CLIOrg normalised(CLIOrg org)
{
    org.alias = normalised(org.alias);
    org.username = normalised(org.username);
    org.instanceUrl = normalised(org.instanceUrl);
    org.loginUrl = normalised(org.loginUrl);
    org.orgId = normalised(org.orgId);
    org.clientId = normalised(org.clientId);
    org.connectedStatus = normalised(org.connectedStatus);
    return org;
}

// Qt rejects a number that a double cannot hold (1e400, 1e-400); JSON allows it. Qt's error
// offset is just past the number.
bool isOutOfRangeNumber(const QByteArray &json, const QJsonParseError &error)
{
    if (error.error != QJsonParseError::IllegalNumber)
        return false;
    qsizetype end = std::min<qsizetype>(error.offset, json.size());
    qsizetype begin = end;
    auto isNumberChar = [](char c) {
        return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E';
    };
    while (begin > 0 && isNumberChar(json.at(begin - 1)))
        --begin;
    const std::string token(json.constData() + begin, static_cast<size_t>(end - begin));
    if (token.empty())
        return false;
    errno = 0;
    const double value = std::strtod(token.c_str(), nullptr);
    return errno == ERANGE || std::isinf(value);
}

std::optional<QString> stringOrAbsent(const QJsonObject &entry, QLatin1StringView key)
{
    const QJsonValue value = entry.value(key);
    return value.isString() ? std::optional<QString>(value.toString()) : std::nullopt;
}

std::optional<bool> boolOrAbsent(const QJsonObject &entry, QLatin1StringView key)
{
    const QJsonValue value = entry.value(key);
    return value.isBool() ? std::optional<bool>(value.toBool()) : std::nullopt;
}

// The orgs as Qt's reader sees the same document, in the decoder's category order. Only called
// for a document the decoder accepted, so every type is already known to be right.
QList<CLIOrg> orgsSeenByQt(const QJsonObject &top)
{
    const QJsonObject result = top.value("result"_L1).toObject();
    QList<CLIOrg> orgs;
    const std::pair<QLatin1StringView, QLatin1StringView> categories[] = {
        {"sandboxes"_L1, "Sandboxes"_L1},
        {"other"_L1, "Other"_L1},
        {"devHubs"_L1, "Dev Hubs"_L1},
        {"scratchOrgs"_L1, "Scratch Orgs"_L1},
    };
    for (const auto &[key, label] : categories) {
        const QJsonArray entries = result.value(key).toArray();
        for (const QJsonValue &value : entries) {
            const QJsonObject entry = value.toObject();
            const std::optional<QString> username = stringOrAbsent(entry, "username"_L1);
            const std::optional<QString> instanceUrl = stringOrAbsent(entry, "instanceUrl"_L1);
            if (!username || !instanceUrl)
                continue;
            CLIOrg org;
            org.username = *username;
            org.instanceUrl = *instanceUrl;
            org.alias = stringOrAbsent(entry, "alias"_L1);
            org.loginUrl = stringOrAbsent(entry, "loginUrl"_L1);
            org.orgId = stringOrAbsent(entry, "orgId"_L1);
            org.clientId = stringOrAbsent(entry, "clientId"_L1);
            org.connectedStatus = stringOrAbsent(entry, "connectedStatus"_L1);
            org.isSandbox = boolOrAbsent(entry, "isSandbox"_L1);
            org.isDefaultUsername = boolOrAbsent(entry, "isDefaultUsername"_L1);
            org.category = label;
            orgs.append(org);
        }
    }
    return orgs;
}

void checkAgainstQt(const QByteArray &json, const QList<CLIOrg> &decoded)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        if (isOutOfRangeNumber(json, error))
            return;
        fuzz::fail("a list the decoder accepts is JSON to Qt as well", error.errorString());
    }
    fuzz::check(document.isObject(), "an accepted list is an object to Qt as well");
    const QList<CLIOrg> expected = orgsSeenByQt(document.object());
    fuzz::check(expected.size() == decoded.size(), "the decoder finds the orgs that Qt finds",
                QString::number(decoded.size()) + u" decoded, Qt sees "_s
                    + QString::number(expected.size()));
    for (qsizetype i = 0; i < expected.size(); ++i) {
        fuzz::check(normalised(decoded[i]) == normalised(expected[i]),
                    "each decoded org has the fields that Qt reads",
                    u"org "_s + QString::number(i) + u": "_s + decoded[i].username);
    }
}

void checkSort(const QList<CLIOrg> &original, const QList<CLIOrg> &sorted, bool plain)
{
    fuzz::check(sorted.size() == original.size(), "the sort keeps every org");
    // Where each sorted org came from; equal orgs are matched in order, as a stable sort keeps them.
    QHash<CLIOrg, QList<qsizetype>> positions;
    for (qsizetype i = original.size() - 1; i >= 0; --i)
        positions[original[i]].append(i);
    QList<qsizetype> from;
    for (const CLIOrg &org : sorted) {
        QList<qsizetype> &left = positions[org];
        fuzz::check(!left.isEmpty(), "the sort is a permutation");
        from.append(left.takeLast());
    }

    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    for (qsizetype i = 1; i < sorted.size(); ++i) {
        const CLIOrg &a = sorted[i - 1];
        const CLIOrg &b = sorted[i];
        fuzz::check(a.isConnected() || !b.isConnected(), "connected orgs come first");
        if (a.isConnected() != b.isConnected())
            continue;
        const int order = plain ? a.displayName().compare(b.displayName(), Qt::CaseInsensitive)
                                : collator.compare(a.displayName(), b.displayName());
        fuzz::check(order <= 0, "orgs are in name order", a.displayName() + u" > "_s + b.displayName());
        if (order == 0)
            fuzz::check(from[i - 1] < from[i], "equal names keep the order of the list");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray json = fuzz::bytes(data, size);
    // Both ways of sorting: the C locale compares plainly, any other collates.
    const bool plain = size % 2 == 0;
    QLocale::setDefault(plain ? QLocale::c() : QLocale(QLocale::English, QLocale::UnitedStates));

    QList<CLIOrg> orgs;
    try {
        orgs = OrgList::decode(json);
    } catch (const OrgListDecodingError &error) {
        fuzz::check(!error.description().isEmpty(), "a decoding error says what is wrong");
        return 0;
    }
    checkAgainstQt(json, orgs);

    QList<CLIOrg> sorted = orgs;
    OrgList::sortForDisplay(sorted);
    checkSort(orgs, sorted, plain);
    return 0;
}
