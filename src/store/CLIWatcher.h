#pragma once

#include <QByteArray>
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>

// Notices when another program changes the CLI's connections: a file added, removed or rewritten
// in ~/.sfdx (one auth file per connection, alias.json, sfdx-config.json) or ~/.sf/config.json,
// which names the default org. The CLI's log files in ~/.sf never count. It reacts to the
// system's change notifications only, and reports once a burst of changes has settled.
//
// Our own commands change these files too. While an action (a login, a logout, an import, a new
// default) runs, no notice is acted on; when it ends, anything that changed since it began leads
// to one quiet reload, which shows nothing when the action's own reload already did. The
// connection check rewrites the auth files of the orgs it reaches (a new access token,
// whether the org is a Dev Hub): while it runs, and for a short while after, only a change
// beside those rewrites counts (an auth file added or removed, the alias table, the config).
class CLIWatcher : public QObject
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kSettle{250};
    static constexpr std::chrono::milliseconds kOwnGrace{1000};

    explicit CLIWatcher(QString home, QObject *parent = nullptr);

    enum class Own { none, checking, acting };
    void setOwnCommands(Own own);

Q_SIGNALS:
    void changed();

private:
    void watch();
    void settled();
    void graceEnded();
    // Names and inodes of the files that hold the connections (`shape`), and with them their
    // sizes and times (`whole`); the alias table's and the config's times are in both.
    struct Fingerprint
    {
        QByteArray shape, whole;
    };
    Fingerprint fingerprint() const;

    QString m_home, m_sfdx, m_sf;
    QStringList m_folderTargets; // where the two folders are, through links: watched anew when they move
    bool m_pending = false; // a change seen while an action ran
    QFileSystemWatcher m_watcher;
    QTimer m_settle, m_grace;
    Fingerprint m_baseline;
    Own m_own = Own::none;
};
