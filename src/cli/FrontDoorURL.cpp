#include "FrontDoorURL.h"

#include "CLIJson.h"
#include "WebAddress.h"

#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace {

std::optional<QUrl> fromJson(const QByteArray &utf8Output)
{
    const auto values = CLIJson::values(
        utf8Output, {"result.url"_L1, "result.orgUrl"_L1, "result.frontDoorUrl"_L1, "url"_L1});
    for (const QJsonValue &candidate : values.value_or(QList<QJsonValue>())) {
        if (!candidate.isString())
            continue;
        if (std::optional<QUrl> url = WebAddress::parse(candidate.toString()))
            return url;
    }
    return std::nullopt;
}

} // namespace

std::optional<QUrl> FrontDoorURL::find(const QByteArray &utf8Output, const QString &orgHost)
{
    if (std::optional<QUrl> url = fromJson(utf8Output))
        return url;
    for (qsizetype at = utf8Output.indexOf("\n{"); at >= 0; at = utf8Output.indexOf("\n{", at + 1)) {
        if (std::optional<QUrl> url = fromJson(utf8Output.sliced(at + 1)))
            return url;
    }
    if (orgHost.isEmpty())
        return std::nullopt;

    // Any Unicode white space ends the address, as it would for a reader of the text.
    static const QRegularExpression anyAddress(u"https?://\\S+"_s,
                                               QRegularExpression::UseUnicodePropertiesOption);
    const QString text = QString::fromUtf8(utf8Output);
    for (QRegularExpressionMatchIterator it = anyAddress.globalMatch(text); it.hasNext();) {
        // The match starts with "http"; only its end can carry a closing quote.
        QStringView candidate = it.next().capturedView();
        while (candidate.endsWith(u'"'))
            candidate.chop(1);
        std::optional<QUrl> url = WebAddress::parse(candidate.toString());
        if (url && url->host().compare(orgHost, Qt::CaseInsensitive) == 0)
            return url;
    }
    return std::nullopt;
}
