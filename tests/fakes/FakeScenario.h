#pragma once

// Drives the fake `sf` (fake_sf.cpp) from a test: a temporary scenario folder, the answers in
// it, and the calls that the fake recorded.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

struct FakeCall
{
    QStringList args;
    QString path;
    bool pathSet = false;
    QString home;
    qint64 pid = 0;
};

class FakeScenario
{
public:
    FakeScenario()
    {
        QVERIFY2(m_dir.isValid(), "cannot create a scenario folder");
        qputenv("FAKE_SF_SCENARIO", QFile::encodeName(m_dir.path()));
    }
    ~FakeScenario()
    {
        // No grandchild of a test outlives it.
        QFile pids(m_dir.filePath(QStringLiteral("grandchild.pid")));
        if (pids.open(QIODevice::ReadOnly)) {
            for (const QByteArray &line : pids.readAll().split('\n')) {
                if (!line.trimmed().isEmpty())
                    ::kill(line.trimmed().toInt(), SIGKILL);
            }
        }
        qunsetenv("FAKE_SF_SCENARIO");
    }
    FakeScenario(const FakeScenario &) = delete;
    FakeScenario &operator=(const FakeScenario &) = delete;

    QString path() const { return m_dir.path(); }

    // Sets one file of the answer in `folder` ("" for the default answer, e.g. "org_list",
    // "org_list/2" for the second call).
    void set(const QString &folder, const QString &file, const QByteArray &content) const
    {
        const QString dir = folder.isEmpty() ? m_dir.path() : m_dir.filePath(folder);
        QVERIFY(QDir().mkpath(dir));
        QFile f(dir + u'/' + file);
        QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(f.fileName()));
        QCOMPARE(f.write(content), content.size());
    }
    void answer(const QString &folder, const QByteArray &out, int status = 0,
                const QByteArray &err = {}) const
    {
        set(folder, QStringLiteral("stdout"), out);
        set(folder, QStringLiteral("stderr"), err);
        set(folder, QStringLiteral("status"), QByteArray::number(status));
    }

    QList<FakeCall> calls() const
    {
        QList<FakeCall> result;
        QFile f(m_dir.filePath(QStringLiteral("calls.jsonl")));
        if (!f.open(QIODevice::ReadOnly))
            return result;
        for (const QByteArray &line : f.readAll().split('\n')) {
            if (line.isEmpty())
                continue;
            const QJsonObject o = QJsonDocument::fromJson(line).object();
            FakeCall call;
            for (const QJsonValue &a : o.value(QStringLiteral("args")).toArray())
                call.args.append(a.toString());
            call.path = o.value(QStringLiteral("path")).toString();
            call.pathSet = o.value(QStringLiteral("pathSet")).toBool();
            call.home = o.value(QStringLiteral("home")).toString();
            call.pid = o.value(QStringLiteral("pid")).toInteger();
            result.append(call);
        }
        return result;
    }

    QList<qint64> grandchildPids() const { return pidsIn(QStringLiteral("grandchild.pid")); }
    // The calls that ended on the termination request (one that ignores it never shows here).
    QList<qint64> terminatedPids() const { return pidsIn(QStringLiteral("terminated.pid")); }

private:
    QList<qint64> pidsIn(const QString &name) const
    {
        QList<qint64> pids;
        QFile f(m_dir.filePath(name));
        if (f.open(QIODevice::ReadOnly)) {
            for (const QByteArray &line : f.readAll().split('\n'))
                if (!line.trimmed().isEmpty())
                    pids.append(line.trimmed().toLongLong());
        }
        return pids;
    }

    QTemporaryDir m_dir;
};
