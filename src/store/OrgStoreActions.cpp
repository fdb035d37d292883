// The store's actions: each checks what it needs and copies it on the main thread, runs its CLI
// work as a job, and applies the outcome on the main thread.
#include "OrgStore.h"

#include "AppError.h"
#include "AuthFile.h"
#include "BrowserLocations.h"
#include "OpenTarget.h"
#include "SFCLI.h"
#include "SecretFile.h"
#include "StopSignal.h"

#include <QClipboard>
#include <QGuiApplication>

using namespace Qt::Literals::StringLiterals;

namespace {

QString loadedMessage(qsizetype count)
{
    return OrgStore::tr("Loaded %1 CLI connections.").arg(count);
}

const CLIOrg *firstWithID(const QList<CLIOrg> &orgs, const QString &id,
                          const std::optional<QString> &username = std::nullopt)
{
    for (const CLIOrg &org : orgs) {
        if (org.id() == id && (!username || org.username == *username))
            return &org;
    }
    return nullptr;
}

} // namespace

std::optional<CLIOrg> OrgStore::requireSelection()
{
    std::optional<CLIOrg> org = selectedOrg();
    if (!org) {
        setStatus(AppError::noTarget().description());
    } else if (isUnreachable(*org)) {
        setStatus(tr("The Salesforce CLI cannot reach %1: another connection has %1 as its alias, "
                     "and the CLI looks up aliases first. Rename or remove that alias "
                     "(sf alias unset %1), then refresh.")
                      .arg(org->username));
        org.reset();
    }
    return org;
}

void OrgStore::applyReload(quint64 job, QList<CLIOrg> orgs, const std::optional<QString> &preferredID,
                           bool keepCurrent, const QString &successMessage)
{
    // Overlapping jobs: the list of a job started later has been shown already.
    if (job < m_listJobID) {
        if (!successMessage.isEmpty())
            setStatus(successMessage);
        return;
    }
    m_listJobID = job;
    const qsizetype count = orgs.size();
    setOrgs(std::move(orgs));
    const bool keep = keepCurrent && m_selectedID && firstWithID(m_orgs, *m_selectedID, m_selectedUsername);
    const CLIOrg *preferred
        = preferredID && !preferredID->isEmpty() ? firstWithID(m_orgs, *preferredID) : nullptr;
    if (preferred)
        select(preferred);
    else if (!keep)
        select(fallbackOrg(m_orgs));
    setStatus(successMessage.isEmpty() ? loadedMessage(count) : successMessage);
}

void OrgStore::refresh()
{
    start(tr("Reading sf org list..."), [cli = m_cli]() -> Outcome {
        return [orgs = cli->orgs()](OrgStore &store, quint64 job) mutable {
            store.applyReload(job, std::move(orgs), std::nullopt, true, {});
        };
    });
}

void OrgStore::openSelected(const OpenTarget &target)
{
    const std::optional<CLIOrg> org = requireSelection();
    if (!org)
        return;
    const QString name = org->displayName();
    start(tr("Opening %1...").arg(name),
          [cli = m_cli, browsers = m_browsers, orgTarget = org->target(), instanceUrl = org->instanceUrl,
           target, name]() -> Outcome {
              // The system browser is the CLI's own business; any other target gets the
              // front-door address and opens it itself.
              if (target.id == OpenTarget::systemDefault().id) {
                  cli->open(orgTarget);
              } else {
                  const QUrl url = cli->openURL(orgTarget, instanceUrl);
                  StopSignal::throwIfRequested();
                  target.open(url, *browsers);
              }
              return [name, label = target.label](OrgStore &store, quint64) {
                  store.setStatus(tr("Opened %1 in %2.").arg(name, label));
              };
          });
}

void OrgStore::runAction(const QString &message, std::function<void()> action,
                         std::function<QString()> success)
{
    start(message, [action = std::move(action), success = std::move(success)]() -> Outcome {
        action();
        // The success message is composed on the main thread, after the action returned.
        return [success](OrgStore &store, quint64) { store.setStatus(success()); };
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
    if (QClipboard *clipboard = QGuiApplication::clipboard())
        clipboard->setText(org->target());
    setStatus(tr("Copied target: %1").arg(org->target()));
}

void OrgStore::deleteSelected()
{
    const std::optional<CLIOrg> org = requireSelection();
    if (!org)
        return;
    start(tr("Deleting connection %1...").arg(org->displayName()),
          [cli = m_cli, target = org->target()]() -> Outcome {
              cli->logout(target);
              return [orgs = cli->orgs(), target](OrgStore &store, quint64 job) mutable {
                  // Always the fallback, never a neighbour of the deleted org as such.
                  store.applyReload(job, std::move(orgs), std::nullopt, false,
                                    tr("Deleted connection %1.").arg(target));
              };
          });
}

void OrgStore::createConnection(LoginKind kind, const QString &alias, BrowserChoice browser,
                                bool setDefault)
{
    const QString trimmed = alias.trimmed();
    const QString shown = trimmed.isEmpty() ? kind.rawValue() : trimmed;
    start(tr("Opening Salesforce login for %1. Complete login and click Allow in the browser...")
              .arg(shown),
          [cli = m_cli, kind, trimmed, browser, setDefault]() -> Outcome {
              cli->login(kind, trimmed, browser, setDefault);
              return [orgs = cli->orgs(), trimmed](OrgStore &store, quint64 job) mutable {
                  const QString message
                      = tr("Connection created. Loaded %1 CLI connections.").arg(orgs.size());
                  store.applyReload(job, std::move(orgs), trimmed, false, message);
              };
          },
          true);
}

void OrgStore::exportSelected(const QString &filePath)
{
    const std::optional<CLIOrg> org = requireSelection();
    if (!org)
        return;
    start(tr("Exporting %1 auth JSON...").arg(org->displayName()),
          [cli = m_cli, target = org->target(), filePath]() -> Outcome {
              const QByteArray data = cli->exportAuth(target).toUtf8();
              StopSignal::throwIfRequested();
              // Anything import could not read back would only replace a file with a useless one.
              if (!AuthFile::sfdxAuthURL(data))
                  throw DescribedError(tr("The Salesforce CLI did not return an SFDX auth URL for "
                                          "%1; nothing was written.").arg(target));
              SecretFile::write(filePath, data);
              return [target](OrgStore &store, quint64) {
                  store.setStatus(
                      tr("Exported auth JSON for %1. Treat this file like a password.").arg(target));
              };
          });
}

void OrgStore::importConnection(const QString &filePath, const QString &alias, bool setDefault)
{
    const QString trimmed = alias.trimmed();
    const QString importAs = trimmed.isEmpty() ? SFCLI::aliasForImport(filePath) : trimmed;
    start(tr("Importing auth JSON as %1...").arg(importAs),
          [cli = m_cli, filePath, importAs, setDefault]() -> Outcome {
              cli->importAuth(filePath, importAs, setDefault);
              return [orgs = cli->orgs(), importAs](OrgStore &store, quint64 job) mutable {
                  store.applyReload(
                      job, std::move(orgs), importAs, false,
                      tr("Imported auth JSON as %1. Treat imported files like passwords.").arg(importAs));
              };
          });
}
