#pragma once

// What the test programs share: the fake `sf` (fake-sf) driven through a temporary scenario
// folder, the CLI's recorded outputs, an org list builder, and the failure a call throws.

#include "AppError.h"
#include "SFCLI.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <optional>

using namespace Qt::Literals::StringLiterals;

inline const QString kFake = QStringLiteral(FAKE_SF_PATH);
inline const QStringList kAliasRead{QStringLiteral("alias"), QStringLiteral("list"), QStringLiteral("--json")};

struct FakeCall
{
    QStringList args;
    QString path, home;
    qint64 pid = 0;
};

class FakeScenario
{
public:
    FakeScenario() { qputenv("FAKE_SF_SCENARIO", QFile::encodeName(m_dir.path())); }
    ~FakeScenario()
    {
        for (qint64 pid : pids(u"grandchild.pid"_s)) // none outlives its test
            ::kill(static_cast<pid_t>(pid), SIGKILL);
        qunsetenv("FAKE_SF_SCENARIO");
    }

    // One file of the answer in `folder`: "" for every call, "org_list", "org_list/2" for the
    // second call of `org list`.
    void set(const QString &folder, const QString &file, const QByteArray &content) const
    {
        const QString dir = m_dir.path() + u'/' + folder;
        QVERIFY(QDir().mkpath(dir));
        QFile f(dir + u'/' + file);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(content) == content.size());
    }
    void answer(const QString &folder, const QByteArray &out, int status = 0, const QByteArray &err = {}) const
    {
        set(folder, u"stdout"_s, out);
        set(folder, u"stderr"_s, err);
        set(folder, u"status"_s, QByteArray::number(status));
    }

    // Every call but the alias table's reads, which run beside the list's in no fixed order.
    QList<FakeCall> calls() const
    {
        QList<FakeCall> all = allCalls();
        all.removeIf([](const FakeCall &c) { return c.args == kAliasRead; });
        return all;
    }
    QList<FakeCall> allCalls() const
    {
        QList<FakeCall> result;
        const QByteArrayList fields = read(u"calls"_s).split('\0');
        for (qsizetype i = 0; i + 3 < fields.size(); i += 4) {
            FakeCall call{{}, QString::fromUtf8(fields[i + 1]), QString::fromUtf8(fields[i + 2]), fields[i].toLongLong()};
            for (const qsizetype end = i + fields[i + 3].toInt(); i < end; ++i)
                call.args.append(QString::fromUtf8(fields[i + 4]));
            result.append(call);
        }
        return result;
    }
    // Each call's arguments, joined by spaces.
    QStringList commands(qsizetype from = 0) const
    {
        QStringList out;
        for (const FakeCall &call : calls().mid(from))
            out << call.args.join(u' ');
        return out;
    }
    // Every call has ended and been reaped.
    bool allEnded() const
    {
        const QList<FakeCall> all = allCalls();
        return std::all_of(all.cbegin(), all.cend(), [](const FakeCall &c) { return ::kill(pid_t(c.pid), 0) != 0; });
    }
    // Ends the `delay` of the call with this pid now.
    void release(qint64 pid) const { QVERIFY(QFile(m_dir.filePath(u".go."_s + QString::number(pid))).open(QIODevice::WriteOnly)); }
    // "grandchild.pid", or "terminated.pid": the calls that ended on the termination request (one
    // that ignores it never shows there).
    QList<qint64> pids(const QString &name) const
    {
        QList<qint64> out;
        for (const QByteArray &line : read(name).split('\n'))
            if (!line.isEmpty())
                out.append(line.toLongLong());
        return out;
    }

private:
    QByteArray read(const QString &name) const
    {
        QFile f(m_dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QTemporaryDir m_dir;
};

// A recorded output of the real CLI.
inline QByteArray fixture(const QString &name)
{
    QFile f(QStringLiteral(TARNWICK_FIXTURES_DIR "/sf-cli/") + name);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", qPrintable(f.fileName()));
    return f.readAll();
}

// An org list as `sf org list --json` prints it. "acme" has the alias acme, the username
// acme@x.com and the address https://acme.example; "+" at the end makes it connected, "?" leaves
// out its status (as the quick list does), "~" in front leaves out the alias and the username's
// domain; an entry starting with "{" is taken as written.
inline QByteArray orgListJson(const QStringList &names)
{
    QByteArrayList entries;
    for (const QString &name : names) {
        const QByteArray bare = name.toUtf8().replace('+', "").replace('~', "").replace('?', "");
        QByteArray entry = "{\"username\":\"" + bare + "@x.com\",\"alias\":\"" + bare + "\",\"orgId\":\"00D"
            + bare.toUpper() + "\",\"instanceUrl\":\"https://" + bare + ".example\",\"connectedStatus\":\""
            + (name.endsWith(u'+') ? "Connected" : "expired") + "\"}";
        if (name.endsWith(u'?'))
            entry.replace(",\"connectedStatus\":\"expired\"", "");
        if (name.startsWith(u'~'))
            entry.replace("@x.com", "").replace(QByteArray("\"alias\":\"" + bare + "\","), "");
        entries << (name.startsWith(u'{') ? name.toUtf8() : entry);
    }
    return "{\"status\":0,\"result\":{\"other\":[" + entries.join(',') + "]}}";
}

template<typename Error = AppError, typename Call>
std::optional<Error> failureOf(Call &&call)
{
    try {
        call();
    } catch (const Error &error) {
        return error;
    }
    return std::nullopt;
}
