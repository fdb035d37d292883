#pragma once

#include <QList>
#include <QString>

#include <optional>
#include <variant>

// A page of an org that an open starts on: `sf org open --path <path>`. Home passes no path.
struct OrgPage
{
    QString id; // "setup", ...: the command line's name for it
    QString label; // "Setup", ...: English, as the command line prints it and a user may type it
    QString path; // empty: the org's home page

    // The label in the language of the catalogue in use: the picker's text, and how the window's
    // messages name the page; a path as it is.
    QString shownLabel() const;

    // Home, Setup, Object Manager, Developer Console, Users, Deployment Status, Debug Logs, Flows.
    static const QList<OrgPage> &all();
    static const OrgPage &home() { return all().first(); }

    // A page by its id or label (letter case ignored), or a path of the org at `instanceUrl`:
    // one that begins with "/" but not "//" and holds no white space or control character, or a
    // full https address on the org's own host, reduced to what follows the host. Surrounding
    // white space is ignored; none at all is Home. Anything else gives the message that says why.
    static std::variant<OrgPage, QString> resolve(const QString &text, const QString &instanceUrl);
    // How a choice of `page` is kept: its id, a path of the org as it is, nothing for Home.
    static QString remembered(const OrgPage &page) { return page.path.isEmpty() ? QString() : page.id.isEmpty() ? page.path : page.id; }

    friend bool operator==(const OrgPage &, const OrgPage &) = default;
};
