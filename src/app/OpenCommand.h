#pragma once

#include <QString>

#include <optional>

class SFCLI;
class TargetMemory;
struct BrowserLocations;

// Opening an org from the command line (launchers, scripts, desktop actions) as the window would,
// without a window: the org by its alias or username, in one of the targets that --targets lists.
namespace OpenCommand {

struct Outcome
{
    int status; // 0 opened, 1 not
    QString line; // "OPENED <name> in <target label>." or "OPEN FAIL: <message>", no line feed
    QString note = {}; // what else the user should know (a remembered target gone), or nothing
};

// What the command line gave; each one not given is what `memory` holds for the org (where it was
// opened last), else the system browser, no private window, the org's home.
struct Choice
{
    std::optional<QString> targetID;
    std::optional<bool> privateWindow;
    std::optional<QString> page; // a page's id or label, or a path of the org (OrgPage::resolve)
};

// Opens the org and, with `memory`, remembers where.
Outcome open(const SFCLI &cli, const BrowserLocations &browsers, const QString &org, const Choice &given,
             TargetMemory *memory = nullptr);
// `page`: a page's id or label, or a path of the org (OrgPage::resolve); empty for its home.
Outcome open(const SFCLI &cli, const BrowserLocations &browsers, const QString &org, const QString &targetID,
             bool privateWindow, const QString &page = {});

// Every target on this machine, one per line: its id, a tab, its label.
QString targets(const BrowserLocations &browsers);

// `text` safe to print on a terminal on one line: control and format characters (a line break, an
// escape sequence, a bidirectional override) become "?", tabs and line breaks spaces.
QString printable(QString text);

} // namespace OpenCommand
