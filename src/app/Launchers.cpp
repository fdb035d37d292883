#include "Launchers.h"

#include "CLIFiles.h"
#include "OpenCommand.h"
#include "OrgList.h"
#include "OrgPage.h"
#include "SFCLI.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcessEnvironment>
#include <QSet>
#include <QStringMatcher>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

// An org that is both a sandbox and a Dev Hub is listed under each: a launcher offers it once.
Launchers::Orgs once(QList<CLIOrg> orgs, AliasTable aliases)
{
    QSet<QString> seen;
    orgs.removeIf([&seen](const CLIOrg &org) {
        const qsizetype before = seen.size();
        seen.insert(org.username);
        return seen.size() == before;
    });
    OrgList::sortForDisplay(orgs);
    return {std::move(orgs), std::move(aliases)};
}

} // namespace

QString Launchers::Orgs::nameOf(const CLIOrg &org) const
{
    return aliases.nameFor(org).value_or(org.displayName());
}

std::optional<Launchers::Orgs> Launchers::fromFiles(const QString &home)
{
    std::optional<CLIFiles::Listing> files = CLIFiles::read(home, QProcessEnvironment::systemEnvironment(), QDate::currentDate());
    if (!files || files->orgs.isEmpty()) // none there: the CLI may still know some
        return std::nullopt;
    return once(std::move(files->orgs), std::move(files->aliases));
}

Launchers::Orgs Launchers::listed(const SFCLI &cli)
{
    if (cli.home()) {
        if (std::optional<Orgs> files = fromFiles(*cli.home()))
            return std::move(*files);
    }
    SFCLI::Listing listing = cli.listing();
    return once(std::move(listing.orgs), std::move(listing.aliases));
}

QList<CLIOrg> Launchers::matching(const QList<CLIOrg> &orgs, const QStringList &terms)
{
    std::vector<QStringMatcher> matchers;
    for (const QString &term : terms) {
        if (!term.trimmed().isEmpty())
            matchers.emplace_back(term.trimmed(), Qt::CaseInsensitive);
    }
    QList<CLIOrg> found;
    for (const CLIOrg &org : orgs) {
        if (std::all_of(matchers.cbegin(), matchers.cend(), [&org](const QStringMatcher &m) { return org.matches(m); }))
            found.append(org);
    }
    std::stable_partition(found.begin(), found.end(), [](const CLIOrg &org) { return org.isDefaultUsername.value_or(false); });
    return found;
}

QByteArray Launchers::listText(const Orgs &orgs)
{
    QString out;
    for (const CLIOrg &org : orgs.orgs) {
        for (const QString &field : {orgs.nameOf(org), org.username, org.instanceUrl})
            out += OpenCommand::printable(field) + u'\t';
        out += OpenCommand::printable(org.category) + u'\n';
    }
    return out.toUtf8();
}

QByteArray Launchers::listJson(const Orgs &orgs)
{
    QJsonArray array;
    for (const CLIOrg &org : orgs.orgs) {
        array.append(QJsonObject{{u"name"_s, OpenCommand::printable(orgs.nameOf(org))},
                                 {u"username"_s, OpenCommand::printable(org.username)},
                                 {u"instanceUrl"_s, OpenCommand::printable(org.instanceUrl)},
                                 {u"category"_s, OpenCommand::printable(org.category)}});
    }
    return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

std::optional<QByteArray> Launchers::completion(const QString &shell)
{
    static const QHash<QString, QString> files{{u"bash"_s, u":/completions/tarnwick.bash"_s},
                                               {u"zsh"_s, u":/completions/_tarnwick"_s},
                                               {u"fish"_s, u":/completions/tarnwick.fish"_s}};
    QFile file(files.value(shell));
    if (!files.contains(shell) || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // The pages are the program's own: the script offers exactly those --page takes.
    QByteArray pages;
    for (const OrgPage &page : OrgPage::all())
        pages += (pages.isEmpty() ? "" : " ") + page.id.toUtf8();
    return file.readAll().replace("@PAGES@", pages);
}
