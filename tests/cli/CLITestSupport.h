#pragma once

// What the CLI adapter's tests share: the recorded outputs of the real CLI, the failure a call
// throws, and an SFCLI that notes what each command asked of the runner before running it.

#include "AppError.h"
#include "FakeScenario.h"
#include "SFCLI.h"

#include <optional>
#include <utility>

using namespace Qt::Literals::StringLiterals;

inline const QString kFake = QStringLiteral(FAKE_SF_PATH);

inline QByteArray fixture(const QString &name)
{
    QFile f(QStringLiteral(TARNWICK_FIXTURES_DIR "/sf-cli/") + name);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", qPrintable(f.fileName()));
    return f.readAll();
}

template<typename Call>
std::optional<AppError> failureOf(Call &&call)
{
    try {
        call();
    } catch (const AppError &error) {
        return error;
    }
    return std::nullopt;
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
