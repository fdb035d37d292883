#include "OpenCommand.h"

#include "AppError.h"
#include "CLIFiles.h"
#include "OpenTarget.h"
#include "OrgPage.h"
#include "SFCLI.h"
#include "TargetMemory.h"

#include <QProcessEnvironment>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

// What the CLI's own files tell, when the name reaches an org there: no wait for the CLI's list
// (its `org open` still runs, and fails in its own words if the connection is gone); else the list.
SFCLI::Listing listingFor(const SFCLI &cli, const QString &org)
{
    if (cli.home()) {
        if (std::optional<CLIFiles::Listing> files = CLIFiles::read(*cli.home(), QProcessEnvironment::systemEnvironment(), QDate::currentDate())) {
            const std::optional<QString> reached = files->aliases.resolve(org);
            if (std::any_of(files->orgs.cbegin(), files->orgs.cend(), [&](const CLIOrg &o) { return o.username == reached; }))
                return {.orgs = std::move(files->orgs), .quick = true, .aliases = std::move(files->aliases)};
        }
    }
    return cli.listing();
}

} // namespace

OpenCommand::Outcome OpenCommand::open(const SFCLI &cli, const BrowserLocations &browsers, const QString &org,
                                       const QString &targetID, bool privateWindow, const QString &page)
{
    return open(cli, browsers, org, Choice{targetID, privateWindow, page});
}

OpenCommand::Outcome OpenCommand::open(const SFCLI &cli, const BrowserLocations &browsers, const QString &org, const Choice &given,
                                       TargetMemory *memory)
{
    const auto fail = [](const QString &message) { return Outcome{1, printable("OPEN FAIL: "_L1 + message)}; };
    try {
        const SFCLI::Listing listing = listingFor(cli, org);
        // As the CLI looks a name up: aliases first, then usernames.
        const std::optional<QString> reached = listing.aliases.resolve(org);
        if (!reached) // what a hand edit left in the table: the CLI reaches no org by it
            return fail(u"The CLI's alias %1 names no username."_s.arg(org));
        const QString &username = *reached;
        const auto named = [&](const QString &name) {
            return std::find_if(listing.orgs.cbegin(), listing.orgs.cend(), [&](const CLIOrg &o) { return o.username == name; });
        };
        // The window never lets one org stand for another; neither does a name that is both.
        if (username != org && named(org) != listing.orgs.cend())
            return fail(AppError::message(AppError::Kind::hiddenByAlias, org));
        const auto found = named(username);
        if (found == listing.orgs.cend())
            return fail(u"No Salesforce CLI connection has the alias or username %1."_s.arg(org));
        const QString orgTarget = listing.aliases.nameFor(*found).value_or(org);
        const std::optional<TargetMemory::Choice> remembered = memory ? memory->recall(*found) : std::nullopt;
        const QString targetID = given.targetID.value_or(remembered ? remembered->targetID : OpenTarget::systemDefault().id);
        const bool privateWindow = given.privateWindow.value_or(remembered && remembered->privateWindow);
        const QString page = given.page.value_or(remembered ? remembered->page : QString());
        const QList<OpenTarget> targets = OpenTarget::loadAvailable(browsers);
        auto target = std::find_if(targets.cbegin(), targets.cend(), [&](const OpenTarget &t) { return t.id == targetID; });
        QString note;
        if (target == targets.cend() && !given.targetID) { // the browser or profile went away since
            note = printable(u"tarnwick: %1 was last opened in %2, which is no longer offered; opening it in the system browser."_s.arg(
                found->displayName(), targetID));
            target = std::find_if(targets.cbegin(), targets.cend(), [](const OpenTarget &t) { return t.id == OpenTarget::systemDefault().id; });
        }
        if (target == targets.cend())
            return fail(u"No browser target has the id %1; tarnwick --targets lists them."_s.arg(targetID));
        const std::variant<OrgPage, QString> resolved = OrgPage::resolve(page, found->instanceUrl);
        if (const QString *refusal = std::get_if<QString>(&resolved))
            return fail(*refusal);
        const OrgPage &chosen = std::get<OrgPage>(resolved);
        // The list was read a moment ago; the name is checked again right before it is used.
        target->openOrg(cli, cli.checkedName(orgTarget, found->username, listing.aliases, SFCLI::IfUnreadable::byUsername),
                        found->instanceUrl, chosen.path, browsers, privateWindow);
        const QString name = chosen.path.isEmpty() ? found->displayName() : u"%1 (%2)"_s.arg(found->displayName(), chosen.label);
        if (memory) {
            memory->remember(*found, {target->id, privateWindow, OrgPage::remembered(chosen)}, QDate::currentDate());
            if (const QString problem = memory->takeProblem(); !problem.isEmpty())
                note += (note.isEmpty() ? u"tarnwick: "_s : u"\ntarnwick: "_s) + printable(problem);
        }
        return {0, printable(u"OPENED %1 in %2."_s.arg(name, target->label)), note};
    } catch (const DescribedError &error) {
        return fail(error.description());
    } catch (const std::exception &error) {
        return fail(QString::fromUtf8(error.what()));
    }
}

QString OpenCommand::targets(const BrowserLocations &browsers)
{
    QString out;
    for (const OpenTarget &target : OpenTarget::loadAvailable(browsers))
        out += printable(target.id) + u'\t' + printable(target.label) + u'\n';
    return out;
}

QString OpenCommand::printable(QString text)
{
    for (QChar &c : text) {
        if (c == u'\n' || c == u'\t' || c == u'\r')
            c = u' ';
        else if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            c = u'?';
    }
    return text;
}
