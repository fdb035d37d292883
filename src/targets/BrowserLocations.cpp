#include "BrowserLocations.h"

#include "BrowserLocator.h"

#include <QDir>
#include <QProcess>

using namespace Qt::Literals::StringLiterals;

std::shared_ptr<const BrowserLocations> BrowserLocations::system()
{
    static const std::shared_ptr<const BrowserLocations> locations
        = std::make_shared<const BrowserLocations>(
            forHome(QDir::homePath(), qEnvironmentVariable("XDG_CONFIG_HOME")));
    return locations;
}

namespace {

#if defined(Q_OS_MACOS)

QList<BrowserKind> otherChromiums(const QString &home)
{
    QList<BrowserKind> out;
    // key, name, the app bundle's program, the profile data's folder in Application Support
    for (const auto &[key, name, program, data] :
         {std::tuple("chromium", "Chromium", "Chromium.app/Contents/MacOS/Chromium", "Chromium"),
          {"edge", "Edge", "Microsoft Edge.app/Contents/MacOS/Microsoft Edge", "Microsoft Edge"},
          {"brave", "Brave", "Brave Browser.app/Contents/MacOS/Brave Browser", "BraveSoftware/Brave-Browser"},
          {"vivaldi", "Vivaldi", "Vivaldi.app/Contents/MacOS/Vivaldi", "Vivaldi"}}) {
        const QString localState = home + "/Library/Application Support/"_L1 + QLatin1StringView(data) + "/Local State"_L1;
        BrowserKind browser{QLatin1StringView(key), QLatin1StringView(name), {}};
        for (const QString &applications : QStringList{u"/Applications/"_s, home + "/Applications/"_L1})
            browser.installs.append({applications + QLatin1StringView(program), localState});
        out.append(browser);
    }
    return out;
}

BrowserKind firefoxKind(const QString &home)
{
    const QString firefoxData = home + "/Library/Application Support/Firefox/profiles.ini"_L1;
    return {u"firefox"_s, u"Firefox"_s,
            {{u"/Applications/Firefox.app/Contents/MacOS/firefox"_s, firefoxData},
             {home + "/Applications/Firefox.app/Contents/MacOS/firefox"_L1, firefoxData}}};
}

#else

// The XDG rules ignore a relative value.
QString configFolder(const QString &home, const QString &xdgConfigHome)
{
    return QDir::isAbsolutePath(xdgConfigHome) ? xdgConfigHome : home + "/.config"_L1;
}

QStringList flatpakExports(const QString &home)
{
    return {u"/var/lib/flatpak/exports/bin/"_s, home + "/.local/share/flatpak/exports/bin/"_L1};
}

// key, name, the profile data's folder, the programs (paths, then commands on PATH), the Snap
// and the Flatpak names
struct KnownChromium
{
    const char *key, *name, *data;
    QStringList programs;
    const char *snap, *flatpak;
};

QList<KnownChromium> knownChromiums()
{
    return {
        {"chromium", "Chromium", "chromium",
         {u"/usr/bin/chromium"_s, u"/usr/bin/chromium-browser"_s, u"chromium"_s, u"chromium-browser"_s},
         "chromium", "org.chromium.Chromium"},
        {"edge", "Edge", "microsoft-edge",
         {u"/opt/microsoft/msedge/msedge"_s, u"/usr/bin/microsoft-edge-stable"_s, u"/usr/bin/microsoft-edge"_s,
          u"microsoft-edge-stable"_s, u"microsoft-edge"_s},
         nullptr, "com.microsoft.Edge"},
        {"brave", "Brave", "BraveSoftware/Brave-Browser",
         {u"/opt/brave.com/brave/brave"_s, u"/usr/bin/brave-browser-stable"_s, u"/usr/bin/brave-browser"_s,
          u"brave-browser-stable"_s, u"brave-browser"_s},
         "brave", "com.brave.Browser"},
        {"vivaldi", "Vivaldi", "vivaldi",
         {u"/opt/vivaldi/vivaldi"_s, u"/usr/bin/vivaldi-stable"_s, u"/usr/bin/vivaldi"_s, u"vivaldi-stable"_s,
          u"vivaldi"_s},
         "vivaldi", "com.vivaldi.Vivaldi"},
    };
}

// Its programs, then its Snap, then its Flatpaks, each with the profile data it keeps.
BrowserKind chromiumKind(const KnownChromium &k, const QString &home, const QString &config)
{
    const QString data = QLatin1StringView(k.data) + "/Local State"_L1;
    BrowserKind browser{QLatin1StringView(k.key), QLatin1StringView(k.name), {}};
    for (const QString &program : k.programs)
        browser.installs.append({program, config + u'/' + data});
    if (k.snap) // a Snap keeps its data in the user's snap folder, outside XDG_CONFIG_HOME
        browser.installs.append({"/snap/bin/"_L1 + QLatin1StringView(k.snap),
                                 home + "/snap/"_L1 + QLatin1StringView(k.snap) + "/common/"_L1 + data});
    const QString flatpak = QLatin1StringView(k.flatpak);
    for (const QString &exports : flatpakExports(home))
        browser.installs.append({exports + flatpak, home + "/.var/app/"_L1 + flatpak + "/config/"_L1 + data});
    return browser;
}

QList<BrowserKind> otherChromiums(const QString &home, const QString &config)
{
    QList<BrowserKind> out;
    for (const KnownChromium &k : knownChromiums())
        out.append(chromiumKind(k, home, config));
    return out;
}

BrowserKind firefoxKind(const QString &home)
{
    const QString firefoxData = home + "/.mozilla/firefox/profiles.ini"_L1;
    BrowserKind browser{u"firefox"_s, u"Firefox"_s, {}};
    for (const QString &program : {u"/usr/lib/firefox/firefox"_s, u"/usr/bin/firefox"_s, u"/usr/lib/firefox-esr/firefox-esr"_s,
                                   u"/usr/bin/firefox-esr"_s, u"firefox"_s, u"firefox-esr"_s})
        browser.installs.append({program, firefoxData});
    browser.installs.append({u"/snap/bin/firefox"_s, home + "/snap/firefox/common/.mozilla/firefox/profiles.ini"_L1});
    for (const QString &exports : flatpakExports(home))
        browser.installs.append(
            {exports + "org.mozilla.firefox"_L1, home + "/.var/app/org.mozilla.firefox/.mozilla/firefox/profiles.ini"_L1});
    return browser;
}

#endif

} // namespace

BrowserLocations BrowserLocations::forHome(const QString &home, const QString &xdgConfigHome)
{
    BrowserLocations locations;
#if defined(Q_OS_MACOS)
    Q_UNUSED(xdgConfigHome);
    const QString bundled = u"/Applications/Google Chrome.app/Contents/MacOS/Google Chrome"_s;
    locations.chromeCandidates = {bundled, home + bundled};
    locations.localStatePath = home + "/Library/Application Support/Google/Chrome/Local State"_L1;
    locations.chromiums = otherChromiums(home);
#else
    locations.chromeCandidates = {u"/opt/google/chrome/chrome"_s, u"/usr/bin/google-chrome-stable"_s,
                                  u"/usr/bin/google-chrome"_s, u"google-chrome-stable"_s, u"google-chrome"_s};
    const QString config = configFolder(home, xdgConfigHome);
    locations.localStatePath = config + "/google-chrome/Local State"_L1;
    locations.chromiums = otherChromiums(home, config);
#endif
    locations.firefox = firefoxKind(home);
    return locations;
}

std::optional<BrowserInstall> BrowserLocations::installed(const BrowserKind &browser)
{
    for (const BrowserInstall &install : browser.installs) {
        if (const std::optional<QString> program = BrowserLocator::find({install.program}))
            return BrowserInstall{*program, install.profilesFile};
    }
    return std::nullopt;
}

void BrowserLocations::startDetached(const QString &program, const QStringList &arguments)
{
    // Qt forks twice and reaps the middle process, so the browser is never our child: nothing
    // waits for it and it cannot linger as a zombie. The exec failure comes back from the child.
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    if (!process.startDetached())
        throw BrowserLaunchError(process.errorString());
}

BrowserLaunchError::BrowserLaunchError(const QString &reason)
    : DescribedError(reason)
{
}
