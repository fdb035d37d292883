// The org list decoder and the display sort. A document the decoder accepts is JSON to Qt's reader
// as well (Qt's is laxer, so only that direction holds) and gives the same orgs; the sort is a
// stable permutation with connected orgs first, then in name order.
#include "FuzzSupport.h"
#include "OrgList.h"

#include <QCollator>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cerrno>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

// Qt keeps a lone surrogate escape; the decoder makes it U+FFFD, as UTF-8 has no form for it.
std::optional<QString> normalised(std::optional<QString> text)
{
    for (qsizetype i = 0; text && i < text->size(); ++i) {
        if ((*text)[i].isHighSurrogate() && i + 1 < text->size() && (*text)[i + 1].isLowSurrogate())
            ++i;
        else if ((*text)[i].isSurrogate())
            (*text)[i] = QChar::ReplacementCharacter;
    }
    return text;
}

// The orgs as Qt reads the same document, in the decoder's category order.
QList<CLIOrg> orgsSeenByQt(const QJsonObject &result)
{
    const auto text = [](const QJsonObject &entry, const char *key) {
        const QJsonValue value = entry[QLatin1StringView(key)];
        return normalised(value.isString() ? std::optional(value.toString()) : std::nullopt);
    };
    const auto flag = [](const QJsonObject &entry, const char *key) {
        const QJsonValue value = entry[QLatin1StringView(key)];
        return value.isBool() ? std::optional(value.toBool()) : std::nullopt;
    };
    QList<CLIOrg> orgs;
    for (const auto &[key, label] : {std::pair("sandboxes", "Sandboxes"), {"other", "Other"}, {"devHubs", "Dev Hubs"},
                                     {"scratchOrgs", "Scratch Orgs"}}) {
        for (const QJsonValue &value : result[QLatin1StringView(key)].toArray()) {
            const QJsonObject e = value.toObject();
            if (text(e, "username") && text(e, "instanceUrl"))
                orgs.append({text(e, "alias"), *text(e, "username"), *text(e, "instanceUrl"), text(e, "loginUrl"),
                             text(e, "orgId"), text(e, "clientId"), text(e, "connectedStatus"), flag(e, "isSandbox"),
                             flag(e, "isDefaultUsername"), QString::fromLatin1(label)});
        }
    }
    return orgs;
}

// Qt refuses a number that a double cannot hold (1e400, 1e-400), which JSON allows; its offset is
// just past the number.
bool outOfRange(const QByteArray &json, const QJsonParseError &error)
{
    const qsizetype end = std::min<qsizetype>(error.offset, json.size());
    qsizetype begin = end;
    while (begin > 0 && QByteArrayView("0123456789+-.eE").contains(json[begin - 1]))
        --begin;
    errno = 0;
    const double value = std::strtod(json.mid(begin, end - begin).constData(), nullptr);
    return error.error == QJsonParseError::IllegalNumber && begin < end && (errno == ERANGE || std::isinf(value));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray json = fuzz::bytes(data, size);
    QList<CLIOrg> orgs;
    try {
        orgs = OrgList::decode(json);
    } catch (const OrgListDecodingError &error) {
        fuzz::check(!error.description().isEmpty(), "a decoding error says what is wrong");
        return 0;
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError && outOfRange(json, error))
        return 0;
    fuzz::check(document.isObject(), "a list the decoder accepts is a JSON object to Qt as well", error.errorString());
    const QList<CLIOrg> seen = orgsSeenByQt(document["result"_L1].toObject());
    fuzz::check(seen.size() == orgs.size(), "the decoder finds the orgs that Qt finds");
    for (qsizetype i = 0; i < orgs.size(); ++i) {
        CLIOrg org = orgs[i];
        for (std::optional<QString> *field : {&org.alias, &org.loginUrl, &org.orgId, &org.clientId, &org.connectedStatus})
            *field = normalised(*field);
        org.username = *normalised(org.username);
        org.instanceUrl = *normalised(org.instanceUrl);
        fuzz::check(org == seen[i], "each decoded org has the fields that Qt reads", orgs[i].username);
    }

    // Where each sorted org came from: equal orgs matched in order, as a stable sort keeps them.
    QList<CLIOrg> sorted = orgs;
    OrgList::sortForDisplay(sorted);
    QHash<CLIOrg, QList<qsizetype>> positions;
    for (qsizetype i = orgs.size() - 1; i >= 0; --i)
        positions[orgs[i]].append(i);
    QList<qsizetype> from;
    for (const CLIOrg &org : sorted) {
        fuzz::check(!positions[org].isEmpty(), "the sort is a permutation");
        from.append(positions[org].takeLast());
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    const bool plain = collator.locale().language() == QLocale::C;
    for (qsizetype i = 1; i < sorted.size(); ++i) {
        const CLIOrg &a = sorted[i - 1], &b = sorted[i];
        fuzz::check(a.isConnected() || !b.isConnected(), "connected orgs come first");
        const int order = plain ? a.displayName().compare(b.displayName(), Qt::CaseInsensitive)
                                : collator.compare(a.displayName(), b.displayName());
        fuzz::check(a.isConnected() != b.isConnected() || order < 0 || (order == 0 && from[i - 1] < from[i]),
                    "orgs are in name order, equal names in the order of the list", a.displayName() + u" > "_s + b.displayName());
    }
    return 0;
}
