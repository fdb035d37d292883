#include "SelfTest.h"

#include "AppError.h"
#include "DisplayText.h"
#include "SFCLI.h"

#include <algorithm>
#include <cstdio>
#include <limits>

using namespace Qt::Literals::StringLiterals;

SelfTest::Outcome SelfTest::evaluate(const SFCLI &cli)
{
    QList<CLIOrg> orgs;
    try {
        orgs = cli.orgs();
    } catch (const DescribedError &error) {
        // Bounded as the status line's excerpt, without its breaks for wrapping.
        constexpr qsizetype kNoBreaks = std::numeric_limits<qsizetype>::max();
        return {1, "SELFTEST FAIL: "_L1 + DisplayText::excerpt(error.description(), 200, 16 * 1024, kNoBreaks, DisplayText::WholeText::gone)};
    } catch (const std::exception &error) {
        return {1, "SELFTEST FAIL: "_L1 + QString::fromUtf8(error.what())};
    }
    if (orgs.isEmpty())
        return {1, u"SELFTEST FAIL: sf org list returned no orgs."_s};

    const auto connected
        = std::count_if(orgs.cbegin(), orgs.cend(), [](const CLIOrg &o) { return o.isConnected(); });
    return {0, "SELFTEST OK: loaded "_L1 % QString::number(orgs.size()) % " orgs, "_L1
                   % QString::number(connected) % " connected."_L1};
}

int SelfTest::run()
{
    const Outcome outcome = evaluate(*SFCLI::shared());
    const QByteArray line = outcome.line.toUtf8() + '\n';
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
    std::fflush(stdout);
    return outcome.status;
}
