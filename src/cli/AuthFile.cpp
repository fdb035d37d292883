#include "AuthFile.h"

#include "CLIJson.h"
#include "WebAddress.h"

#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

std::optional<QString> AuthFile::sfdxAuthURL(const QByteArray &json)
{
    const auto values = CLIJson::values(json, {"result.sfdxAuthUrl"_L1, "sfdxAuthUrl"_L1, "url"_L1});
    for (const QJsonValue &candidate : values.value_or(QList<QJsonValue>())) {
        if (candidate.isString()) {
            QString url = candidate.toString();
            return url.isEmpty() ? std::nullopt : std::optional(std::move(url));
        }
    }
    return std::nullopt;
}

std::optional<QString> AuthFile::instanceHost(const QByteArray &json)
{
    const std::optional<QString> authURL = sfdxAuthURL(json);
    if (!authURL)
        return std::nullopt;

    // The CLI writes the instance after the "@" without a scheme
    // ("force://<client>:<secret>:<token>@acme.my.salesforce.com"); an http(s) scheme is
    // accepted as well.
    static const QRegularExpression instance(u"@(https?://)?[^/]+"_s);
    const QRegularExpressionMatch match = instance.match(*authURL);
    if (!match.hasMatch())
        return std::nullopt;
    QString address = match.captured().sliced(1);
    if (!match.hasCaptured(1))
        address.prepend("https://"_L1);
    const std::optional<QUrl> url = WebAddress::parse(address);
    if (!url)
        return std::nullopt;
    return url->host();
}
