#include "WebAddress.h"

using namespace Qt::Literals::StringLiterals;

std::optional<QUrl> WebAddress::parse(const QString &text)
{
    if (text.isEmpty())
        return std::nullopt;
    QUrl url(text, QUrl::StrictMode);
    if (!isWebAddress(url))
        return std::nullopt;
    return url;
}

bool WebAddress::isWebAddress(const QUrl &url)
{
    if (!url.isValid() || url.isRelative() || url.host().isEmpty())
        return false;
    // QUrl keeps the scheme in lower case.
    const QString scheme = url.scheme();
    return scheme == "https"_L1 || scheme == "http"_L1;
}
