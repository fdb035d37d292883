#include "WebAddress.h"

using namespace Qt::Literals::StringLiterals;

std::optional<QUrl> WebAddress::parse(const QString &text)
{
    if (text.isEmpty())
        return std::nullopt;
    QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.isRelative() || url.host().isEmpty())
        return std::nullopt;
    // QUrl has already lowered the scheme's letter case.
    const QString scheme = url.scheme();
    if (scheme != "https"_L1 && scheme != "http"_L1)
        return std::nullopt;
    return url;
}
