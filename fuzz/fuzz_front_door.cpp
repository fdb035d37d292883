// The search for the front-door address in the output of `sf org open --url-only --json`. Any
// address it returns goes to a browser's command line, so it must be an absolute http or https
// address with a host, and the text handed over must stay one harmless argument.
#include "FrontDoorURL.h"
#include "FuzzSupport.h"

#include <QUrl>

using namespace Qt::Literals::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::optional<QUrl> url = FrontDoorURL::find(fuzz::bytes(data, size), u"acme.example"_s);
    if (!url)
        return 0;

    const QString shown = url->toString();
    fuzz::check(url->isValid(), "the address is valid", shown);
    fuzz::check(!url->isRelative(), "the address is absolute", shown);
    fuzz::check(url->scheme() == "https"_L1 || url->scheme() == "http"_L1,
                "the address is http or https", shown);
    fuzz::check(!url->host().isEmpty(), "the address has a host", shown);

    // What a browser is given (see OpenTarget::open).
    const QString handed = url->toString(QUrl::FullyEncoded);
    fuzz::check(handed.startsWith("https://"_L1) || handed.startsWith("http://"_L1),
                "the text handed over starts with the scheme", handed);
    for (QChar c : handed)
        fuzz::check(c.unicode() > 0x20 && c.unicode() < 0x7f,
                    "the text handed over is printable ASCII without spaces", handed);
    const QUrl again(handed, QUrl::StrictMode);
    fuzz::check(again.isValid() && again.scheme() == url->scheme()
                    && again.host(QUrl::FullyEncoded) == url->host(QUrl::FullyEncoded),
                "the text handed over names the same host", handed);
    return 0;
}
