#pragma once

#include "AppError.h"
#include "BrowserLocations.h"
#include "ChromeProfiles.h"
#include "FirefoxProfiles.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

class SFCLI;

// Where an org's web address is opened. Without a profile directory: the system default browser.
// With an empty one: Google Chrome (or `browser`, another browser), letting it pick the profile.
// Otherwise: that browser in that profile (Chrome's family: the folder's name; Firefox: its path).
struct OpenTarget
{
    QString id; // stable key: the picker's tag and the stored selection
    QString label;
    std::optional<QString> profileDirectory; // absent and empty mean different things
    QString browser = {}; // a BrowserKind's key; empty for Google Chrome. For Firefox the profile
                          // is its folder's path, empty for Firefox's default

    // Labelled in the language of the catalogue in use.
    static OpenTarget systemDefault();
    static OpenTarget chromeDefault();

    // What is offered on this machine, in display order: the system browser; then, when Chrome
    // is installed, Chrome's default and each of its profiles; then the same for each other
    // browser that is installed, Chrome's family first and Firefox last. Looks again on every call.
    static QList<OpenTarget> loadAvailable();
    static QList<OpenTarget> loadAvailable(const BrowserLocations &locations);

    // One target per profile, sorted by label. A folder named "default" is left out: its id
    // would be the browser's default's.
    static QList<OpenTarget> forChromeProfiles(const QList<ChromeProfile> &profiles);
    // Firefox's: "firefox-<name>", labelled "Firefox - <name>", sorted by label.
    static QList<OpenTarget> forFirefoxProfiles(const QList<FirefoxProfile> &profiles);
    static QList<OpenTarget> forProfiles(const QList<ChromeProfile> &profiles, const QString &key,
                                         const QString &name, const QString &browser);
    // By label in the user's locale, ignoring letter case.
    static void sortByLabel(QList<OpenTarget> &targets);

    // Opens `url`, which must be a web address (WebAddress::isWebAddress), in this target's browser
    // without waiting for it. Throws AppError::noOpenURL for anything else and for the system
    // browser (openOrg reaches that through the CLI), AppError::chromeNotFound (browserNotFound for
    // another browser that is gone), or BrowserLaunchError when the browser is there but cannot
    // be started.
    // `privateWindow`: in the browser's private (incognito) window.
    void open(const QUrl &url, const BrowserLocations &locations, bool privateWindow = false) const;

    // Opens the org that the CLI knows as `orgTarget` on the page at `path` (empty: its home): in
    // the system browser through the CLI's own open, anywhere else with the front-door address the
    // CLI gives, found only on the org's `instanceUrl` host outside the CLI's JSON.
    void openOrg(const SFCLI &cli, const QString &orgTarget, const QString &instanceUrl, const QString &path,
                 const BrowserLocations &locations, bool privateWindow) const;

    friend bool operator==(const OpenTarget &, const OpenTarget &) = default;
};

Q_DECLARE_TYPEINFO(OpenTarget, Q_RELOCATABLE_TYPE);
