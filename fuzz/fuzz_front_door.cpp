// The front-door address found in the output of `sf org open --url-only --json` goes to a
// browser's command line: it is an absolute http or https address with a host, handed over as
// printable ASCII without spaces that names the same host.
#include "FrontDoorURL.h"
#include "FuzzSupport.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::optional<QUrl> url = FrontDoorURL::find(fuzz::bytes(data, size), u"acme.example"_s);
    if (!url)
        return 0;
    fuzz::check(url->isValid() && !url->isRelative() && !url->host().isEmpty()
                    && (url->scheme() == "https"_L1 || url->scheme() == "http"_L1),
                "the address is absolute http or https with a host", url->toString());

    const QString handed = url->toString(QUrl::FullyEncoded); // as OpenTarget::open hands it over
    fuzz::check(std::all_of(handed.cbegin(), handed.cend(), [](QChar c) { return c.unicode() > 0x20 && c.unicode() < 0x7f; }),
                "the address is handed over as printable ASCII without spaces", handed);
    const QUrl again(handed, QUrl::StrictMode);
    fuzz::check(handed.startsWith(url->scheme() + "://"_L1) && again.isValid() && again.scheme() == url->scheme()
                    && again.host(QUrl::FullyEncoded) == url->host(QUrl::FullyEncoded),
                "what is handed over starts with the scheme and names the same host", handed);
    return 0;
}
