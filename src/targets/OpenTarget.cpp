#include "OpenTarget.h"

#include "ChromeLocator.h"
#include "ChromeProfiles.h"
#include "TargetEnvironment.h"
#include "WebAddress.h"

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

QList<OpenTarget> OpenTarget::loadAvailable() { return loadAvailable(TargetEnvironment::system()); }

QList<OpenTarget> OpenTarget::loadAvailable(const TargetEnvironment &environment)
{
    QList<OpenTarget> targets{systemDefault()};
    // Profiles are only worth offering when there is a Chrome to open them in.
    if (!ChromeLocator::find(environment.chromeCandidates))
        return targets;
    targets.append(chromeDefault());
    targets.append(ChromeProfiles::read(environment.localStatePath));
    return targets;
}

void OpenTarget::open(const QUrl &url) const { open(url, TargetEnvironment::system()); }

void OpenTarget::open(const QUrl &url, const TargetEnvironment &environment) const
{
    if (!isWebAddress(url))
        throw AppError::noOpenURL();
    if (!chromeProfileDirectory) {
        environment.openInSystemBrowser(url);
        return;
    }
    const std::optional<QString> chrome = ChromeLocator::find(environment.chromeCandidates);
    if (!chrome)
        throw AppError::chromeNotFound();

    QStringList arguments;
    if (!chromeProfileDirectory->isEmpty())
        arguments.append("--profile-directory="_L1 + *chromeProfileDirectory);
    // Fully encoded, so the address stays one argument without spaces or control characters.
    arguments.append(url.toString(QUrl::FullyEncoded));
    environment.launchDetached(*chrome, arguments);
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

ChromeLaunchError::ChromeLaunchError(const QString &reason)
    : DescribedError(reason)
{
}
