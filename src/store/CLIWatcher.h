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
// Our own commands change these files too (a login, a logout, the full list records which orgs
// are Dev Hubs): while they run and for a short while after, changes are taken as theirs.
class CLIWatcher : public QObject
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kSettle{500};
    static constexpr std::chrono::milliseconds kOwnGrace{1000};

    explicit CLIWatcher(QString home, QObject *parent = nullptr);

    void setOwnCommandsRunning(bool running);

Q_SIGNALS:
    void changed();

private:
    void watch();
    void settled();
    // Names, sizes, times and inodes of the files that hold the connections.
    QByteArray fingerprint() const;

    QString m_home, m_sfdx, m_sf;
    QFileSystemWatcher m_watcher;
    QTimer m_settle, m_grace;
    QByteArray m_baseline;
    bool m_own = false;
};
