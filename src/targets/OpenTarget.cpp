#include "OpenTarget.h"

#include "BrowserLocator.h"
#include "DisplayOrder.h"
#include "SFCLI.h"
#include "StopSignal.h"
#include "WebAddress.h"

#include <QCoreApplication>

using namespace Qt::Literals::StringLiterals;

OpenTarget OpenTarget::systemDefault()
{
    return {u"system"_s, QCoreApplication::translate("OpenTarget", "System default"), std::nullopt};
}

OpenTarget OpenTarget::chromeDefault()
{
    return {u"chrome-default"_s, QCoreApplication::translate("OpenTarget", "%1 default").arg(u"Chrome"_s), QString()};
}

QList<OpenTarget> OpenTarget::loadAvailable() { return loadAvailable(*BrowserLocations::system()); }

QList<OpenTarget> OpenTarget::loadAvailable(const BrowserLocations &locations)
{
    QList<OpenTarget> targets{systemDefault()};
    // Profiles are only worth offering when there is a browser to open them in.
    if (BrowserLocator::find(locations.chromeCandidates)) {
        targets.append(chromeDefault());
        targets.append(forChromeProfiles(ChromeProfiles::read(locations.localStatePath)));
    }
    const auto defaultOf = [](const BrowserKind &browser) -> OpenTarget {
        return {browser.key + "-default"_L1, QCoreApplication::translate("OpenTarget", "%1 default").arg(browser.name), QString(), browser.key};
    };
    for (const BrowserKind &browser : locations.chromiums) {
        if (const std::optional<BrowserInstall> install = BrowserLocations::installed(browser)) {
            targets.append(defaultOf(browser));
            targets.append(forProfiles(ChromeProfiles::read(install->profilesFile), browser.key, browser.name,
                                       browser.key));
        }
    }
    if (const std::optional<BrowserInstall> install = BrowserLocations::installed(locations.firefox)) {
        targets.append(defaultOf(locations.firefox));
        targets.append(forFirefoxProfiles(FirefoxProfiles::read(install->profilesFile)));
    }
    return targets;
}

QList<OpenTarget> OpenTarget::forFirefoxProfiles(const QList<FirefoxProfile> &profiles)
{
    QList<OpenTarget> targets;
    for (const FirefoxProfile &profile : profiles) {
        if (profile.name != "default"_L1) // its id would be Firefox default's
            targets.append({"firefox-"_L1 + profile.name, QCoreApplication::translate("OpenTarget", "%1 - %2").arg(u"Firefox"_s, profile.name),
                            profile.path, u"firefox"_s});
    }
    sortByLabel(targets);
    return targets;
}

QList<OpenTarget> OpenTarget::forChromeProfiles(const QList<ChromeProfile> &profiles)
{
    return forProfiles(profiles, u"chrome"_s, u"Chrome"_s, {});
}

QList<OpenTarget> OpenTarget::forProfiles(const QList<ChromeProfile> &profiles, const QString &key,
                                          const QString &name, const QString &browser)
{
    QList<OpenTarget> targets;
    targets.reserve(profiles.size());
    for (const ChromeProfile &profile : profiles) {
        if (profile.directory != "default"_L1)
            targets.append({key + u'-' + profile.directory, QCoreApplication::translate("OpenTarget", "%1 - %2").arg(name, profile.name),
                            profile.directory, browser});
    }
    sortByLabel(targets);
    return targets;
}

void OpenTarget::sortByLabel(QList<OpenTarget> &targets)
{
    DisplayOrder::sort(targets, [](const OpenTarget &target) { return target.label; });
}

void OpenTarget::openOrg(const SFCLI &cli, const QString &orgTarget, const QString &instanceUrl, const QString &path,
                         const BrowserLocations &locations, bool privateWindow) const
{
    if (id == systemDefault().id) {
        cli.open(orgTarget, privateWindow, path);
        return;
    }
    const QUrl url = cli.openURL(orgTarget, instanceUrl, path);
    StopSignal::throwIfRequested();
    open(url, locations, privateWindow);
}

void OpenTarget::open(const QUrl &url, const BrowserLocations &locations, bool privateWindow) const
{
    // The system browser has no program of ours to start.
    if (!WebAddress::isWebAddress(url) || !profileDirectory)
        throw AppError::noOpenURL();
    std::optional<QString> program;
    if (browser.isEmpty()) {
        program = BrowserLocator::find(locations.chromeCandidates);
        if (!program)
            throw AppError::chromeNotFound();
    } else {
        const BrowserKind *known = browser == locations.firefox.key ? &locations.firefox : nullptr;
        for (const BrowserKind &kind : locations.chromiums)
            known = kind.key == browser ? &kind : known;
        const std::optional<BrowserInstall> install = known ? BrowserLocations::installed(*known) : std::nullopt;
        if (!install)
            throw AppError::browserNotFound(known ? known->name : browser);
        program = install->program;
    }

    QStringList arguments;
    if (browser == "firefox"_L1) {
        // The profile by its folder: a path is never read as an option, whatever the profile's
        // name, and Firefox hands the page to that profile's window when it runs already.
        if (!profileDirectory->isEmpty())
            arguments << u"--profile"_s << *profileDirectory;
        if (privateWindow)
            arguments.append(u"--private-window"_s);
    } else {
        if (!profileDirectory->isEmpty())
            arguments.append("--profile-directory="_L1 + *profileDirectory);
        if (privateWindow) // Edge has a flag of its own
            arguments.append(browser == "edge"_L1 ? u"--inprivate"_s : u"--incognito"_s);
    }
    // Fully encoded, so the address stays one argument without spaces or control characters.
    arguments.append(url.toString(QUrl::FullyEncoded));
    locations.launchDetached(*program, arguments);
}
