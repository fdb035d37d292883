#include "OpenTarget.h"

#include "ChromeLocator.h"
#include "WebAddress.h"

#include <QCollator>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

const OpenTarget &OpenTarget::systemDefault()
{
    static const OpenTarget target{u"system"_s, u"System default"_s, std::nullopt};
    return target;
}

const OpenTarget &OpenTarget::chromeDefault()
{
    static const OpenTarget target{u"chrome-default"_s, u"Chrome default"_s, QString()};
    return target;
}

QList<OpenTarget> OpenTarget::loadAvailable() { return loadAvailable(*BrowserLocations::system()); }

QList<OpenTarget> OpenTarget::loadAvailable(const BrowserLocations &locations)
{
    QList<OpenTarget> targets{systemDefault()};
    // Profiles are only worth offering when there is a Chrome to open them in.
    if (!ChromeLocator::find(locations.chromeCandidates))
        return targets;
    targets.append(chromeDefault());
    targets.append(forChromeProfiles(ChromeProfiles::read(locations.localStatePath)));
    return targets;
}

QList<OpenTarget> OpenTarget::forChromeProfiles(const QList<ChromeProfile> &profiles)
{
    QList<OpenTarget> targets;
    targets.reserve(profiles.size());
    for (const ChromeProfile &profile : profiles) {
        OpenTarget target{"chrome-"_L1 + profile.directory, "Chrome - "_L1 + profile.name,
                          profile.directory};
        if (target.id != chromeDefault().id)
            targets.append(std::move(target));
    }
    sortByLabel(targets);
    return targets;
}

void OpenTarget::sortByLabel(QList<OpenTarget> &targets)
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    // The C locale has no collation rules and Qt's C collation would not fold case.
    if (collator.locale().language() == QLocale::C) {
        std::stable_sort(targets.begin(), targets.end(), [](const auto &a, const auto &b) {
            return a.label.compare(b.label, Qt::CaseInsensitive) < 0;
        });
        return;
    }
    std::stable_sort(targets.begin(), targets.end(), [&](const auto &a, const auto &b) {
        return collator.compare(a.label, b.label) < 0;
    });
}

void OpenTarget::open(const QUrl &url) const { open(url, *BrowserLocations::system()); }

void OpenTarget::open(const QUrl &url, const BrowserLocations &locations) const
{
    if (!isWebAddress(url))
        throw AppError::noOpenURL();
    if (!chromeProfileDirectory) {
        locations.openInSystemBrowser(url);
        return;
    }
    const std::optional<QString> chrome = ChromeLocator::find(locations.chromeCandidates);
    if (!chrome)
        throw AppError::chromeNotFound();

    QStringList arguments;
    if (!chromeProfileDirectory->isEmpty())
        arguments.append("--profile-directory="_L1 + *chromeProfileDirectory);
    // Fully encoded, so the address stays one argument without spaces or control characters.
    arguments.append(url.toString(QUrl::FullyEncoded));
    locations.launchDetached(*chrome, arguments);
}

bool OpenTarget::isWebAddress(const QUrl &url)
{
    return WebAddress::isWebAddress(url);
}

size_t qHash(const OpenTarget &target, size_t seed) noexcept
{
    seed = qHashMulti(seed, target.id, target.label);
    const std::optional<QString> &directory = target.chromeProfileDirectory;
    return directory ? qHashMulti(seed, true, *directory) : qHash(false, seed);
}
