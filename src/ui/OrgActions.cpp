#include "OrgActions.h"

#include "DisplayText.h"
#include "OrgStore.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

using namespace Qt::Literals::StringLiterals;

using Rule = Enablement::Rule;

namespace {

Dialogs::Confirmation deleteQuestion(const CLIOrg &org)
{
    return {.title = OrgAction::tr("Delete selected Salesforce CLI connection?"),
            .message = OrgAction::tr("This runs sf org logout for %1. You can re-create it later with New Connection.")
                           .arg(DisplayText::line(org.displayName())),
            .confirmLabel = OrgAction::tr("Delete Connection"),
            .destructive = true};
}

Dialogs::Confirmation exportQuestion(const CLIOrg &)
{
    return {.title = OrgAction::tr("Export selected connection auth JSON?"),
            .message = OrgAction::tr("The exported JSON contains an OAuth refresh token. Anyone with this file can "
                                     "authorize Salesforce CLI for this org until the token is revoked or expires."),
            .confirmLabel = OrgAction::tr("Export Auth JSON")};
}

void exportToChosenFile(const OrgActionContext &c)
{
    Dialogs::FileChoice choice;
    choice.title = OrgAction::tr("Export Salesforce Auth JSON");
    choice.nameFilters = {OrgAction::tr("JSON (*.json)")};
    // In the user's documents (else home), never the folder the app was started from. An alias
    // may hold "/": as a file name it would point into another folder.
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    choice.proposedName = QDir(QFileInfo(documents).isDir() ? documents : QDir::homePath())
                              .filePath(QString(c.org.displayName()).replace(u'/', u'_') + "-sfdx-auth.json"_L1);
    if (const std::optional<QString> path = Dialogs::chooseSaveFile(c.window, choice))
        c.store.exportOrg(c.org, *path);
}

} // namespace

QList<OrgAction> OrgAction::all()
{
    return {
        {.name = "open",
         .label = tr("Open Connection"),
         .toolTip = tr("Open the org in a browser session (%1)"),
         // Ctrl+Return (Command-Return on macOS), and the same with the keypad's Enter.
         .keys = {QKeySequence(Qt::CTRL | Qt::Key_Return),
                  QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Enter)},
         .button = Button::prominent,
         .run = [](const OrgActionContext &c) { c.store.openSelected(c.target, c.privateWindow, c.page); }},
        // Setup, whatever page is chosen; keys only.
        {.name = "openSetup",
         .label = tr("Open Setup"),
         .keys = {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Return)},
         .button = Button::none,
         .run = [](const OrgActionContext &c) { c.store.openSelected(c.target, c.privateWindow, u"setup"_s, false); }},
        {.name = "setDefault",
         .label = tr("Set Default"),
         .toolTip = tr("Make this org the CLI's default org"),
         .run = [](const OrgActionContext &c) { c.store.setSelectedAsDefault(); }},
        {.name = "copyTarget",
         .label = tr("Copy Target"),
         .toolTip = tr("Copy the alias or username to the clipboard"),
         .enabledWhen = Rule::org, // copying never waits for the CLI
         .run = [](const OrgActionContext &c) { c.store.copyTarget(); }},
        {.name = "delete",
         .label = tr("Delete Connection"),
         .keys = {QKeySequence(QKeySequence::Delete)}, // asks first; in a text field the key edits the text
         .button = Button::destructive,
         .question = deleteQuestion,
         .run = [](const OrgActionContext &c) { c.store.deleteOrg(c.org); }},
        {.name = "export",
         .label = tr("Export JSON"),
         .toolTip = tr("Save the connection as an SFDX auth URL file (connected orgs only)"),
         .enabledWhen = Rule::idleConnectedOrg,
         .question = exportQuestion,
         .run = exportToChosenFile},
    };
}
