// The org list decoder and the display sort. A list the decoder accepts is JSON that Qt's reader
// accepts as well (Qt's is laxer, so only that way round) and holds the same orgs; the sort is a
// stable one with connected orgs first, then by name.
#include "FuzzSupport.h"
#include "OrgList.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cerrno>
#include <cmath>

namespace {

// Qt keeps a lone surrogate escape; the decoder makes it U+FFFD, as UTF-8 has no form for it.
QString normalised(QString text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            text[i] = QChar::ReplacementCharacter;
    }
    return text;
}

// Qt refuses a number that a double cannot hold (1e400, 1e-400), which JSON allows; its error
// offset is just past the number.
bool outOfRange(const QByteArray &json, const QJsonParseError &error)
{
    const qsizetype end = std::min<qsizetype>(error.offset, json.size());
    qsizetype begin = end;
    while (begin > 0 && QByteArrayView("0123456789+-.eE").contains(json[begin - 1]))
        --begin;
    errno = 0;
    const double value = std::strtod(json.mid(begin, end - begin).constData(), nullptr);
    return end > begin && (errno == ERANGE || std::isinf(value));
}

// The orgs as Qt's reader sees an accepted list, in the decoder's order of categories.
QList<CLIOrg> orgsSeenByQt(const QJsonObject &result)
{
    QList<CLIOrg> orgs;
    for (const auto &[key, category] : {std::pair("sandboxes"_L1, u"Sandboxes"_s), {"other"_L1, u"Other"_s},
                                        {"devHubs"_L1, u"Dev Hubs"_s}, {"scratchOrgs"_L1, u"Scratch Orgs"_s}}) {
        for (const QJsonValue &entry : result.value(key).toArray()) {
            const auto text = [&](const char *field) -> std::optional<QString> {
                const QJsonValue value = entry[QLatin1StringView(field)];
                return value.isString() ? std::optional(normalised(value.toString())) : std::nullopt;
            };
            const auto flag = [&](const char *field) -> std::optional<bool> {
                const QJsonValue value = entry[QLatin1StringView(field)];
                return value.isBool() ? std::optional(value.toBool()) : std::nullopt;
            };
            if (text("username") && text("instanceUrl"))
                orgs.append({text("alias"), *text("username"), *text("instanceUrl"), text("loginUrl"), text("orgId"),
                             text("clientId"), text("connectedStatus"), flag("isSandbox"), flag("isDefaultUsername"), category});
        }
    }
    return orgs;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray json = fuzz::bytes(data, size);
    fuzz::pickLocale(size);
    QList<CLIOrg> orgs;
    try {
        orgs = OrgList::decode(json);
    } catch (const OrgListDecodingError &error) {
        fuzz::check(!error.description().isEmpty(), "a decoding error says what is wrong");
        return 0;
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error == QJsonParseError::IllegalNumber && outOfRange(json, error))
        return 0;
    fuzz::check(error.error == QJsonParseError::NoError && document.isObject(),
                "a list the decoder accepts is a JSON object to Qt as well", error.errorString());
    fuzz::check(orgsSeenByQt(document["result"_L1].toObject()) == orgs,
                "the decoder finds the orgs and fields that Qt finds");

    QList<CLIOrg> sorted = orgs;
    OrgList::sortForDisplay(sorted);
    std::stable_sort(orgs.begin(), orgs.end(), [&](const CLIOrg &a, const CLIOrg &b) {
        if (a.isConnected() != b.isConnected())
            return a.isConnected();
        return fuzz::compareNames(a.displayName(), b.displayName()) < 0;
    });
    fuzz::check(sorted == orgs, "the sort is stable, connected orgs first, then by name");
    return 0;
}
