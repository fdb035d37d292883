#pragma once

// What the CLI adapter's tests share: the recorded outputs of the real CLI, and an SFCLI that
// notes what each command asked of the runner before running it for real.

#include "SFCLI.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

inline QByteArray fixture(const QString &name)
{
    QFile f(QStringLiteral(TARNWICK_FIXTURES_DIR "/sf-cli/") + name);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", qPrintable(f.fileName()));
    return f.readAll();
}

class WatchedCLI : public SFCLI
{
public:
    using SFCLI::SFCLI;
    mutable QList<std::pair<QStringList, double>> runs;

protected:
    QByteArray runForOutput(const QStringList &arguments, double timeout) const override
    {
        runs.append({arguments, timeout});
        return SFCLI::runForOutput(arguments, timeout);
    }
};
