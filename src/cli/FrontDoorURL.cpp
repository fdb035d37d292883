#include "FrontDoorURL.h"

#include "WebAddress.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace {

std::optional<QUrl> fromJson(const QByteArray &utf8Output)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(utf8Output, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject top = document.object();
    const QJsonValue resultValue = top.value("result"_L1);
    const QJsonObject result = resultValue.isObject() ? resultValue.toObject() : QJsonObject();
    for (const QJsonValue &candidate : {result.value("url"_L1), result.value("orgUrl"_L1),
                                        result.value("frontDoorUrl"_L1), top.value("url"_L1)}) {
        if (!candidate.isString())
            continue;
        if (std::optional<QUrl> url = WebAddress::parse(candidate.toString()))
            return url;
    }
    return std::nullopt;
}

} // namespace

std::optional<QUrl> FrontDoorURL::find(const QByteArray &utf8Output)
{
    if (std::optional<QUrl> url = fromJson(utf8Output))
        return url;

    // Any Unicode white space ends the address, as it would for a reader of the text.
    static const QRegularExpression anyAddress(u"https?://\\S+"_s,
                                               QRegularExpression::UseUnicodePropertiesOption);
    const QRegularExpressionMatch match = anyAddress.match(QString::fromUtf8(utf8Output));
    if (!match.hasMatch())
        return std::nullopt;
    // The match starts with "http"; only its end can carry a closing quote.
    QStringView text = match.capturedView();
    while (text.endsWith(u'"'))
        text.chop(1);
    return WebAddress::parse(text.toString());
}
