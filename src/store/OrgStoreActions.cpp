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

// The org an action created, when the list holds it.
const CLIOrg *preferredOrg(const QList<CLIOrg> &orgs, const std::optional<QString> &preferredID)
{
    return preferredID && !preferredID->isEmpty() ? firstWithID(orgs, *preferredID) : nullptr;
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

void OrgStore::reload(const QString &message, std::function<void()> action, Reload reload,
                      bool stopsAtOnce)
{
    start(message,
          [cli = m_cli, action = std::move(action), reload]() -> Outcome {
              if (action)
                  action();
              try {
                  return [orgs = cli->quickOrgs(), reload](OrgStore &store, quint64 job) mutable {
                      store.applyQuickList(job, std::move(orgs), reload);
                  };
              } catch (const Stopped &) {
                  throw;
              } catch (const DescribedError &) {
                  // A CLI without the quick list (older than the flag): the full one, as one step.
              }
              return [orgs = cli->orgs(), reload](OrgStore &store, quint64 job) mutable {
                  store.applyFullList(job, std::move(orgs), reload);
              };
          },
          stopsAtOnce);
}

bool OrgStore::takeList(quint64 job, qsizetype count, const Reload &reload)
{
    // Overlapping jobs: the list of a job started later has been shown already.
    if (job < m_listJobID) {
        if (!reload.quietWhenStale)
            setStatus(reload.message(count));
        return false;
    }
    endCheck();
    m_listJobID = job;
    return true;
}

void OrgStore::applyQuickList(quint64 job, QList<CLIOrg> orgs, const Reload &reload)
{
    if (!takeList(job, orgs.size(), reload))
        return;
    // An org known from the last check keeps its place until the new check says otherwise, so
    // that rows do not move twice.
    QSet<QString> carried;
    for (CLIOrg &org : orgs) {
        const auto known = m_lastStatuses.constFind(org.username);
        if (!org.connectedStatus && known != m_lastStatuses.cend()) {
            org.connectedStatus = *known;
            carried.insert(org.username);
        }
    }
    if (!carried.isEmpty()) // else it is in display order already
        OrgList::sortForDisplay(orgs);
    const qsizetype count = orgs.size();
    setConnections(Connections::checking); // before the rows show, so that none shows a stale status
    setOrgs(std::move(orgs));
    // Nothing moves under the user's eyes: the selection stays when listed, else there is none
    // until the check or the user picks one. An org the action created is picked now, as the
    // check would pick it later.
    if (const CLIOrg *preferred = preferredOrg(m_orgs, reload.preferredID))
        select(preferred);
    else if (!m_selectedID || !firstWithID(m_orgs, *m_selectedID, m_selectedUsername))
        select(nullptr);
    setStatus(reload.message(count));
    m_userChose = false;
    const quint64 check = start(
        {},
        [cli = m_cli]() -> Outcome {
            return [orgs = cli->orgs()](OrgStore &store, quint64 id) mutable { store.applyCheck(id, std::move(orgs)); };
        },
        true, true);
    if (check)
        m_check = Check{check, reload, m_statusSerial, carried};
    else
        setConnections(Connections::unchecked);
}

void OrgStore::applyFullList(quint64 job, QList<CLIOrg> orgs, const Reload &reload)
{
    if (takeList(job, orgs.size(), reload))
        showFullList(std::move(orgs), reload, true);
}

void OrgStore::applyCheck(quint64 checkJob, QList<CLIOrg> orgs)
{
    if (!m_check || m_check->job != checkJob)
        return;
    Check check = std::move(*m_check);
    m_check.reset();
    // A choice the user made since the quick list stays while its org is listed.
    if (m_userChose && m_selectedID && firstWithID(orgs, *m_selectedID, m_selectedUsername))
        check.reload = {std::nullopt, true, check.reload.message, false};
    // The status line is the check's only while nothing else has said anything since.
    showFullList(std::move(orgs), check.reload, m_statusSerial == check.statusSerial);
}

void OrgStore::failCheck(quint64 checkJob, const QString &description)
{
    if (!m_check || m_check->job != checkJob)
        return;
    const Check check = std::move(*m_check);
    m_check.reset();
    QList<CLIOrg> orgs = m_orgs;
    for (CLIOrg &org : orgs) {
        if (check.carried.contains(org.username))
            org.connectedStatus.reset();
    }
    setOrgs(std::move(orgs));
    setConnections(Connections::unchecked);
    if (m_statusSerial == check.statusSerial)
        setStatus(description);
}

void OrgStore::showFullList(QList<CLIOrg> orgs, const Reload &reload, bool say)
{
    m_lastStatuses.clear();
    for (const CLIOrg &org : orgs) {
        if (org.connectedStatus)
            m_lastStatuses.insert(org.username, *org.connectedStatus);
    }
    const qsizetype count = orgs.size();
    setOrgs(std::move(orgs));
    const bool keep = reload.keepCurrent && m_selectedID && firstWithID(m_orgs, *m_selectedID, m_selectedUsername);
    if (const CLIOrg *preferred = preferredOrg(m_orgs, reload.preferredID))
        select(preferred);
    else if (!keep)
        select(fallbackOrg(m_orgs));
    setConnections(Connections::checked);
    if (say)
        setStatus(reload.message(count));
}

void OrgStore::endCheck()
{
    if (m_check)
        stopJob(m_check->job);
    m_check.reset();
}

void OrgStore::refresh()
{
    reload(tr("Reading sf org list..."), {}, {std::nullopt, true, loadedMessage, true});
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
          [cli = m_cli, browsers = m_browsers, orgTarget = org->target(), instanceUrl = org->instanceUrl,
           target, name, privateWindow, chosen]() -> Outcome {
              target.openOrg(*cli, orgTarget, instanceUrl, chosen.path, *browsers, privateWindow);
              return [name, label = target.label, chosen](OrgStore &store, quint64) {
                  store.setStatus(chosen.path.isEmpty() ? tr("Opened %1 in %2.").arg(name, label)
                                                        : tr("Opened %1 (%3) in %2.").arg(name, label, chosen.label));
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
    const QString target = org->target();
    // Always the fallback, never a neighbour of the deleted org as such.
    reload(tr("Deleting connection %1...").arg(org->displayName()), [cli = m_cli, target] { cli->logout(target); },
           {std::nullopt, false, [target](qsizetype) { return tr("Deleted connection %1.").arg(target); }});
}

void OrgStore::createConnection(LoginKind kind, const QString &alias, BrowserChoice browser,
                                bool setDefault)
{
    const QString trimmed = alias.trimmed();
    const QString shown = trimmed.isEmpty() ? kind.rawValue() : trimmed;
    reload(tr("Opening Salesforce login for %1. Complete login and click Allow in the browser...").arg(shown),
           [cli = m_cli, kind, trimmed, browser, setDefault] { cli->login(kind, trimmed, browser, setDefault); },
           {trimmed, false,
            [](qsizetype count) { return tr("Connection created. Loaded %1 CLI connections.").arg(count); }},
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
    reload(tr("Importing auth JSON as %1...").arg(importAs),
           [cli = m_cli, filePath, importAs, setDefault] { cli->importAuth(filePath, importAs, setDefault); },
           {importAs, false, [importAs](qsizetype) {
                return tr("Imported auth JSON as %1. Treat imported files like passwords.").arg(importAs);
            }});
}
