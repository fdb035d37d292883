// The store's actions: each checks what it needs and copies it on the main thread, runs its CLI
// work as a job, and applies the outcome on the main thread.
#include "OrgStore.h"

#include "AppError.h"
#include "AuthFile.h"
#include "BrowserLocations.h"
#include "OpenTarget.h"
#include "OrgList.h"
#include "OrgPage.h"
#include "SFCLI.h"
#include "SecretFile.h"
#include "StopSignal.h"

using namespace Qt::Literals::StringLiterals;

namespace {

QString loadedMessage(qsizetype count)
{
    return OrgStore::tr("Loaded %1 CLI connections.").arg(count);
}

} // namespace

std::optional<CLIOrg> OrgStore::requireSelection()
{
    std::optional<CLIOrg> org = selectedOrg();
    if (!org) {
        setStatus(AppError::noTarget().description());
    } else if (isUnreachable(*org)) {
        setStatus(AppError::hiddenByAlias(org->username).description());
        org.reset();
    }
    return org;
}

void OrgStore::refresh()
{
    reload(tr("Reading sf org list..."), {}, {SelectionPolicy::Rule::keep, {}, loadedMessage, true});
}

void OrgStore::openSelected(const OpenTarget &target, bool privateWindow, const QString &page)
{
    const std::optional<CLIOrg> org = requireSelection();
    if (!org)
        return;
    // A page the org cannot have is refused before anything runs.
    const std::variant<OrgPage, QString> resolved = OrgPage::resolve(page, org->instanceUrl);
    if (const QString *refusal = std::get_if<QString>(&resolved)) {
        setStatus(*refusal);
        return;
    }
    const OrgPage chosen = std::get<OrgPage>(resolved);
    const QString name = org->displayName();
    start(tr("Opening %1...").arg(name),
          [this, cli = m_cli, browsers = m_browsers, orgTarget = org->target(), instanceUrl = org->instanceUrl,
           target, name, privateWindow, chosen]() -> JobRunner::Apply {
              target.openOrg(*cli, orgTarget, instanceUrl, chosen.path, *browsers, privateWindow);
              return [this, name, label = target.label, chosen](const JobRunner::Delivery &) {
                  setStatus(chosen.path.isEmpty() ? tr("Opened %1 in %2.").arg(name, label)
                                                  : tr("Opened %1 (%3) in %2.").arg(name, label, chosen.label));
              };
          });
}

void OrgStore::runAction(const QString &message, std::function<void()> action,
                         std::function<QString()> success)
{
    start(message, [this, action = std::move(action), success = std::move(success)]() -> JobRunner::Apply {
        action();
        // The success message is composed on the main thread, after the action returned.
        return [this, success](const JobRunner::Delivery &) { setStatus(success()); };
    });
}

void OrgStore::setSelectedAsDefault()
{
    const std::optional<CLIOrg> org = requireSelection();
    if (!org)
        return;
    const QString name = org->displayName();
    runAction(
        tr("Setting default org to %1...").arg(name),
        [cli = m_cli, target = org->target()] { cli->setDefault(target); },
        [name] { return tr("Default org set to %1.").arg(name); });
}

void OrgStore::copyTarget()
{
    if (!selectedOrg())
        return;
    // The copied target would name the org that hides this one.
    const std::optional<CLIOrg> org = requireSelection();
    if (!org)
        return;
    Q_EMIT textToCopy(org->target());
    setStatus(tr("Copied target: %1").arg(org->target()));
}

void OrgStore::deleteSelected()
{
    const std::optional<CLIOrg> org = requireSelection();
    if (!org)
        return;
    const QString target = org->target();
    // Always the fallback, never a neighbour of the deleted org as such.
    reload(tr("Deleting connection %1...").arg(org->displayName()), [cli = m_cli, target] { cli->logout(target); },
           {SelectionPolicy::Rule::fallBack, {}, [target](qsizetype) { return tr("Deleted connection %1.").arg(target); }});
}

void OrgStore::createConnection(LoginKind kind, const QString &alias, BrowserChoice browser,
                                bool setDefault)
{
    const QString trimmed = alias.trimmed();
    const QString shown = trimmed.isEmpty() ? kind.rawValue() : trimmed;
    reload(tr("Opening Salesforce login for %1. Complete login and click Allow in the browser...").arg(shown),
           [cli = m_cli, kind, trimmed, browser, setDefault] { cli->login(kind, trimmed, browser, setDefault); },
           {SelectionPolicy::Rule::preferNew, trimmed,
            [](qsizetype count) { return tr("Connection created. Loaded %1 CLI connections.").arg(count); }},
           JobRunner::OnQuit::stopAtOnce);
}

void OrgStore::exportSelected(const QString &filePath)
{
    const std::optional<CLIOrg> org = requireSelection();
    if (!org)
        return;
    start(tr("Exporting %1 auth JSON...").arg(org->displayName()),
          [this, cli = m_cli, target = org->target(), filePath]() -> JobRunner::Apply {
              const QByteArray data = cli->exportAuth(target).toUtf8();
              StopSignal::throwIfRequested();
              // Anything import could not read back would only replace a file with a useless one.
              if (!AuthFile::sfdxAuthURL(data))
                  throw DescribedError(tr("The Salesforce CLI did not return an SFDX auth URL for "
                                          "%1; nothing was written.").arg(target));
              SecretFile::write(filePath, data);
              return [this, target](const JobRunner::Delivery &) {
                  setStatus(tr("Exported auth JSON for %1. Treat this file like a password.").arg(target));
              };
          });
}

void OrgStore::importConnection(const QString &filePath, const QString &alias, bool setDefault)
{
    const QString trimmed = alias.trimmed();
    const QString importAs = trimmed.isEmpty() ? SFCLI::aliasForImport(filePath) : trimmed;
    reload(tr("Importing auth JSON as %1...").arg(importAs),
           [cli = m_cli, filePath, importAs, setDefault] { cli->importAuth(filePath, importAs, setDefault); },
           {SelectionPolicy::Rule::preferNew, importAs, [importAs](qsizetype) {
                return tr("Imported auth JSON as %1. Treat imported files like passwords.").arg(importAs);
            }});
}
