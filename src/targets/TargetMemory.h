#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDate>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

class QSettings;
struct CLIOrg;

// Where each org was opened last (the target as --targets names it, a private window or not, the
// page), and the window's size, place and split: the user's settings in Qt's place for them
// (~/.config/Tarnwick/Tarnwick.conf; macOS: the preferences). An org is known by its org id and
// username together, so a reused alias or a connection re-created for another user starts afresh;
// nothing else about an org is kept. The file is the user's alone and replaced whole on each
// write, never left half written. One that cannot be read is set aside and the choices start
// afresh; one that cannot be written leaves everything working, without remembering. Either is
// said once by problem().
class TargetMemory
{
    Q_DECLARE_TR_FUNCTIONS(TargetMemory)

public:
    struct Choice
    {
        QString targetID;
        bool privateWindow = false;
        QString page; // a page's id or a path of the org; empty for its home
        friend bool operator==(const Choice &, const Choice &) = default;
    };
    // An org the lists have not shown for this long is forgotten.
    static constexpr int kUnlistedDays = 90;
    static constexpr qint64 kFileLimit = 4 * 1024 * 1024;

    // The user's settings; `file`, an INI file of its own (the tests').
    TargetMemory();
    explicit TargetMemory(const QString &file);
    ~TargetMemory();
    TargetMemory(const TargetMemory &) = delete;
    TargetMemory &operator=(const TargetMemory &) = delete;

    std::optional<Choice> recall(const CLIOrg &org) const;
    void remember(const CLIOrg &org, const Choice &choice, QDate today);
    void forget(const CLIOrg &org);
    // The orgs listed now are seen today; those unlisted for more than kUnlistedDays are forgotten.
    void noteListed(const QList<CLIOrg> &orgs, QDate today);

    QByteArray windowValue(const QString &key) const;
    void setWindowValue(const QString &key, const QByteArray &value);

    // Why choices are not remembered, or were set aside; empty when all is well. Said once: it is
    // empty after it has been taken.
    QString takeProblem();

    QString fileName() const { return m_file; }

private:
    void open();
    bool writable();
    void write();

    QString m_file;
    std::unique_ptr<QSettings> m_settings;
    QString m_problem;
    bool m_cannotWrite = false;
};
