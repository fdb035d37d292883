// The store's actions: each checks what it needs and copies it on the main thread, runs its
// CLI work on a thread of its own, and applies the outcome back on the main thread.
#include "OrgStore.h"

#include "AppError.h"
#include "OpenTarget.h"
#include "OrgStoreChannel.h"
#include "SFCLI.h"
#include "SecretFile.h"

#include <QClipboard>
#include <QGuiApplication>

#include <thread>

using namespace Qt::Literals::StringLiterals;

namespace {

QString loadedMessage(qsizetype count)
{
    return "Loaded "_L1 % QString::number(count) % " CLI connections."_L1;
}

bool listsID(const QList<CLIOrg> &orgs, const QString &id)
{
    return std::any_of(orgs.cbegin(), orgs.cend(), [&id](const CLIOrg &o) { return o.id() == id; });
}

} // namespace

void OrgStore::start(const QString &message, std::function<Outcome()> work)
{
    setBusy(true);
    setStatus(message);
    auto failure = [](const QString &description) -> Outcome {
        return [description](OrgStore &store) {
            store.setStatus(description);
            store.setBusy(false);
        };
    };
    try {
        std::thread([channel = m_channel, work = std::move(work), failure] {
            Outcome outcome;
            try {
                outcome = work();
            } catch (const DescribedError &error) {
                outcome = failure(error.description());
            } catch (const std::exception &error) {
                outcome = failure(QString::fromUtf8(error.what()));
            }
            channel->post(std::move(outcome));
        }).detach();
    } catch (const std::system_error &error) { // no thread could be started
        failure(QString::fromUtf8(error.what()))(*this);
    }
}

std::optional<CLIOrg> OrgStore::requireSelection()
{
    std::optional<CLIOrg> org = selectedOrg();
    if (!org)
        setStatus(AppError::noTarget().description());
    return org;
}

void OrgStore::applyReload(QList<CLIOrg> orgs, const std::optional<QString> &preferredID,
                           bool keepCurrent, const QString &successMessage)
{
    const qsizetype count = orgs.size();
    const std::optional<QString> fallback = fallbackSelection(orgs);
    const bool keep = keepCurrent && m_selectedID && listsID(orgs, *m_selectedID);
    const bool prefer = preferredID && !preferredID->isEmpty() && listsID(orgs, *preferredID);
    setOrgs(std::move(orgs));
    if (prefer)
        setSelectedID(preferredID);
    else if (!keep)
        setSelectedID(fallback);
    setStatus(successMessage.isEmpty() ? loadedMessage(count) : successMessage);
    setBusy(false);
}

void OrgStore::refresh()
{
    start(u"Reading sf org list..."_s, [&cli = m_cli]() -> Outcome {
        QList<CLIOrg> orgs = cli.orgs();
        return [orgs = std::move(orgs)](OrgStore &store) mutable {
            store.applyReload(std::move(orgs), std::nullopt, true, {});
        };
    });
}

void OrgStore::openSelected(const OpenTarget &target)
{
    const std::optional<CLIOrg> org = requireSelection();
    if (!org)
        return;
    const QString name = org->displayName();
    start("Opening "_L1 % name % "..."_L1,
          [&cli = m_cli, &targets = m_targets, orgTarget = org->target(), target, name]() -> Outcome {
              // The system browser is the CLI's own business; any other target gets the
              // front-door address and opens it itself.
              if (target.id == OpenTarget::systemDefault().id)
                  cli.open(orgTarget);
              else
                  target.open(cli.openURL(orgTarget), targets);
              return [message = QString("Opened "_L1 % name % " in "_L1 % target.label % u'.')](OrgStore &store) {
                  store.setStatus(message);
                  store.setBusy(false);
              };
          });
}

void OrgStore::runAction(const QString &message, std::function<void()> action,
                         std::function<QString()> success)
{
    start(message, [action = std::move(action), success = std::move(success)]() -> Outcome {
        action();
        // The success message is composed on the main thread, after the action returned.
        return [success](OrgStore &store) {
            store.setStatus(success());
            store.setBusy(false);
        };
    });
}

void OrgStore::setSelectedAsDefault()
{
    const std::optional<CLIOrg> org = requireSelection();
    if (!org)
        return;
    const QString name = org->displayName();
    runAction(
        "Setting default org to "_L1 % name % "..."_L1,
        [&cli = m_cli, target = org->target()] { cli.setDefault(target); },
        [name] { return QString("Default org set to "_L1 % name % u'.'); });
}

void OrgStore::copyTarget()
{
    const std::optional<CLIOrg> org = selectedOrg();
    if (!org)
        return;
    if (QClipboard *clipboard = QGuiApplication::clipboard())
        clipboard->setText(org->target());
    setStatus("Copied target: "_L1 + org->target());
}

void OrgStore::deleteSelected()
{
    const std::optional<CLIOrg> org = requireSelection();
    if (!org)
        return;
    start("Deleting connection "_L1 % org->displayName() % "..."_L1,
          [&cli = m_cli, target = org->target()]() -> Outcome {
              cli.logout(target);
              QList<CLIOrg> orgs = cli.orgs();
              return [orgs = std::move(orgs), target](OrgStore &store) mutable {
                  // Always the fallback, never a neighbour of the deleted org as such.
                  store.applyReload(std::move(orgs), std::nullopt, false,
                                    "Deleted connection "_L1 % target % u'.');
              };
          });
}

void OrgStore::createConnection(LoginKind kind, const QString &alias, BrowserChoice browser,
                                bool setDefault)
{
    const QString trimmed = alias.trimmed();
    const QString shown = trimmed.isEmpty() ? kind.rawValue() : trimmed;
    start("Opening Salesforce login for "_L1 % shown
              % ". Complete login and click Allow in the browser..."_L1,
          [&cli = m_cli, kind, trimmed, browser, setDefault]() -> Outcome {
              cli.login(kind, trimmed, browser, setDefault);
              QList<CLIOrg> orgs = cli.orgs();
              return [orgs = std::move(orgs), trimmed](OrgStore &store) mutable {
                  const QString message
                      = "Connection created. "_L1 + loadedMessage(orgs.size());
                  store.applyReload(std::move(orgs), trimmed, false, message);
              };
          });
}

void OrgStore::exportSelected(const QString &filePath)
{
    const std::optional<CLIOrg> org = requireSelection();
    if (!org)
        return;
    start("Exporting "_L1 % org->displayName() % " auth JSON..."_L1,
          [&cli = m_cli, target = org->target(), filePath]() -> Outcome {
              SecretFile::write(filePath, cli.exportAuth(target).toUtf8());
              return [message = QString("Exported auth JSON for "_L1 % target
                                        % ". Treat this file like a password."_L1)](OrgStore &store) {
                  store.setStatus(message);
                  store.setBusy(false);
              };
          });
}

void OrgStore::importConnection(const QString &filePath, const QString &alias, bool setDefault)
{
    const QString trimmed = alias.trimmed();
    const QString importAs = trimmed.isEmpty() ? SFCLI::aliasForImport(filePath) : trimmed;
    start("Importing auth JSON as "_L1 % importAs % "..."_L1,
          [&cli = m_cli, filePath, importAs, setDefault]() -> Outcome {
              cli.importAuth(filePath, importAs, setDefault);
              QList<CLIOrg> orgs = cli.orgs();
              return [orgs = std::move(orgs), importAs](OrgStore &store) mutable {
                  store.applyReload(std::move(orgs), importAs, false,
                                    "Imported auth JSON as "_L1 % importAs
                                        % ". Treat imported files like passwords."_L1);
              };
          });
}
