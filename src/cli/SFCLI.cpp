// Locating and running `sf`: every command goes through runForOutput().
#include "SFCLI.h"

#include <QCoreApplication>

#include "AppError.h"
#include "PosixFiles.h"
#include "ProcessRunner.h"
#include "StopSignal.h"

#include <QDir>
#include <QFile>
#include <QLocale>

#include <cstring>

#include <unistd.h>

#if defined(__APPLE__)
#include <crt_externs.h>
#define TARNWICK_ENVIRON (*_NSGetEnviron())
#else
extern char **environ;
#define TARNWICK_ENVIRON environ
#endif

using namespace Qt::Literals::StringLiterals;

namespace {

// What a failure text keeps of its beginning and of its end, each: the whole of any real message,
// while a runaway one costs little memory and stays readable.
constexpr qsizetype kFailurePart = 1024 * 1024;

// The CLI colours its messages whenever it believes a terminal or a CI system is watching (CI=true
// or FORCE_COLOR suffice). The length of the control sequence at `s`, an ESC: CSI, OSC ended by
// BEL or ESC \, ESC and one byte of @-Z or \-_, else the lone ESC.
qsizetype escapeLength(const char *s, qsizetype n)
{
    const auto within = [](char c, char low, char high) { return c >= low && c <= high; };
    qsizetype i = 2;
    if (n >= 2 && s[1] == '[') {
        while (i < n && within(s[i], '0', '?'))
            ++i;
        while (i < n && within(s[i], ' ', '/'))
            ++i;
        return i < n && within(s[i], '@', '~') ? i + 1 : 1;
    }
    if (n >= 2 && s[1] == ']') {
        while (i < n && s[i] != '\x07' && s[i] != '\x1b')
            ++i;
        if (i < n && s[i] == '\x07')
            return i + 1;
        return i + 1 < n && s[i + 1] == '\\' ? i + 2 : 2;
    }
    return n >= 2 && (within(s[1], '@', 'Z') || within(s[1], '\\', '_')) ? 2 : 1;
}

// Removed in place: the text may be hundreds of megabytes.
void removeEscapes(QByteArray &text)
{
    qsizetype in = text.indexOf('\x1b');
    if (in < 0)
        return;
    char *data = text.data();
    const qsizetype size = text.size();
    qsizetype out = in;
    while (in < size) {
        if (data[in] == '\x1b')
            in += escapeLength(data + in, size - in);
        else
            data[out++] = data[in++];
    }
    text.truncate(out);
}

// A failure output as the user should read it: nothing unless valid UTF-8, without control
// sequences, trimmed, and past 2 MiB only its first and last MiB with a line saying what was
// left out. Only those parts become a QString; the bytes are freed on return.
QString failureText(QByteArray bytes)
{
    if (!bytes.isValidUtf8())
        return {};
    removeEscapes(bytes);
    const QByteArrayView all(bytes);
    const auto space = [&](qsizetype i) { return all[i] == ' ' || (all[i] >= '\t' && all[i] <= '\r'); };
    const auto continuation = [&](qsizetype i) { return (static_cast<unsigned char>(all[i]) & 0xC0) == 0x80; };
    qsizetype begin = 0, end = all.size();
    while (begin < end && space(begin))
        ++begin;
    while (end > begin && space(end - 1))
        --end;
    if (end - begin <= 2 * kFailurePart)
        return QString::fromUtf8(all.sliced(begin, end - begin)).trimmed();
    qsizetype headEnd = begin + kFailurePart, tailBegin = end - kFailurePart;
    while (continuation(headEnd))
        --headEnd;
    while (continuation(tailBegin))
        ++tailBegin;
    const QString text = QString::fromUtf8(all.sliced(begin, headEnd - begin))
        + QCoreApplication::translate("SFCLI", "\n[... %1 left out ...]\n").arg(QLocale::c().formattedDataSize(tailBegin - headEnd))
        + QString::fromUtf8(all.sliced(tailBegin, end - tailBegin));
    return text.trimmed();
}

// The system's description of the signal, as a shell reports it ("Killed", "Segmentation fault").
QString signalName(int number)
{
#if defined(__GLIBC__) && (__GLIBC__ > 2 || __GLIBC_MINOR__ >= 32)
    const char *name = ::sigdescr_np(number); // unlike strsignal(), neither translated nor shared
#else
    const char *name = ::strsignal(number);
#endif
    return name ? u" ("_s + QString::fromLocal8Bit(name) + u')' : QString();
}

} // namespace

std::shared_ptr<const SFCLI> SFCLI::shared()
{
    // Jobs hold their own reference: one may still run while static objects are destroyed.
    // TARNWICK_SF names the sf to run ahead of the usual places: one of several installs, a wrapper.
    static const std::shared_ptr<const SFCLI> instance = [] {
        const QString chosen = qEnvironmentVariable("TARNWICK_SF");
        auto cli = std::make_shared<SFCLI>(chosen.isEmpty() ? locate() : Location{chosen, {}});
        cli->setHome(QDir::homePath()); // the CLI's children inherit HOME
        return std::shared_ptr<const SFCLI>(std::move(cli));
    }();
    return instance;
}

QStringList SFCLI::defaultFixedPaths()
{
    return {u"/opt/homebrew/bin/sf"_s, u"/usr/local/bin/sf"_s};
}

SFCLI::Location SFCLI::locate(const QStringList &fixedPaths)
{
    for (const QString &path : fixedPaths) {
        if (PosixFiles::isExecutableFile(path))
            return {path, {}};
    }
    return {u"/usr/bin/env"_s, {u"sf"_s}};
}

QByteArray SFCLI::fixedSearchPath()
{
    return "/opt/homebrew/bin:/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin"_ba;
}

QByteArrayList SFCLI::childEnvironment(const QByteArrayList &parentEnvironment)
{
    QByteArrayList environment;
    environment.reserve(parentEnvironment.size() + 1);
    bool pathSeen = false;
    for (const QByteArray &entry : parentEnvironment) {
        if (!entry.startsWith("PATH=")) {
            environment.append(entry);
            continue;
        }
        if (pathSeen) // getenv() would never see a second PATH; neither should the child
            continue;
        pathSeen = true;
        const QByteArray old = entry.sliced(5);
        environment.append("PATH="_ba + fixedSearchPath() + (old.isEmpty() ? ""_ba : ':' + old));
    }
    if (!pathSeen)
        environment.append("PATH="_ba + fixedSearchPath());
    return environment;
}

QByteArrayList SFCLI::processEnvironment()
{
    QByteArrayList environment;
    for (char **entry = TARNWICK_ENVIRON; entry && *entry; ++entry)
        environment.append(QByteArray(*entry));
    return environment;
}

SFCLI::SFCLI(Location location)
    : m_location(std::move(location))
{
}

SFCLI::SFCLI(QString executableURL, QStringList baseArguments)
    : SFCLI(Location{std::move(executableURL), std::move(baseArguments)})
{
}

QString SFCLI::run(const QStringList &arguments, double timeout) const
{
    return QString::fromUtf8(textOnly(runForOutput(arguments, timeout)));
}

QByteArray SFCLI::textOnly(QByteArray output)
{
    // A stream that is not valid UTF-8 counts as empty text.
    if (!output.isValidUtf8())
        output.clear();
    return output;
}

QByteArray SFCLI::runForOutput(const QStringList &arguments, double timeout) const
{
    ProcessRequest request;
    request.program = QFile::encodeName(m_location.executableURL);
    for (const QStringList *list : {&m_location.baseArguments, &arguments}) {
        for (const QString &argument : *list) {
            // A C argument ends at the first NUL: the CLI would act on a shortened name, perhaps
            // on another org. Refuse instead.
            if (argument.contains(QChar(u'\0')))
                throw AppError::commandFailed(QCoreApplication::translate(
                    "SFCLI", "A Salesforce CLI argument contains a NUL character and was not passed on."));
            request.arguments.append(argument.toUtf8());
        }
    }
    request.environment = childEnvironment(processEnvironment(), m_location);
    request.timeout = std::chrono::duration<double>(timeout);
    request.killGrace = m_killGrace;
    request.stop = StopSignal::current();
    if (request.stop && request.stop->finishesOnly())
        throw Stopped();
    request.outputCap = m_outputCap;

    ProcessResult result = runProcess(request);
    switch (result.state) {
    case ProcessResult::State::FailedToStart:
        throw AppError::sfNotFound();
    case ProcessResult::State::TimedOut:
        throw AppError::commandFailed(QCoreApplication::translate("SFCLI", "Salesforce CLI command timed out."));
    case ProcessResult::State::Stopped:
        throw Stopped();
    case ProcessResult::State::OutputTooLarge: {
        const qsizetype mib = m_outputCap / (1024 * 1024);
        throw AppError::commandFailed(
            QCoreApplication::translate("SFCLI", "Salesforce CLI printed more than %1; the command was stopped.")
                .arg(mib > 0 ? QCoreApplication::translate("SFCLI", "%1 MiB").arg(mib)
                             : QCoreApplication::translate("SFCLI", "%n bytes", nullptr, int(m_outputCap))));
    }
    case ProcessResult::State::Exited:
        break;
    }

    // The output as printed: the org list tells invalid UTF-8 apart from nothing at all.
    if (result.succeeded())
        return std::move(result.standardOutput);

    QString text = failureText(std::move(result.standardError));
    if (text.isEmpty())
        text = failureText(std::move(result.standardOutput));
    // env found no sf on the search path (its own words stay below ours): where we looked, and how to
    // install it.
    if (result.exitCode == 127 && m_location.executableURL == "/usr/bin/env"_L1 && text.startsWith("/usr/bin/env:"_L1)) {
        throw AppError::commandFailed(
            QCoreApplication::translate("SFCLI", "The Salesforce CLI (sf) is not installed: it is not at %1, nor on the search path. "
                                                 "Install it with npm (npm install --global @salesforce/cli) or with the installer "
                                                 "from https://developer.salesforce.com/tools/salesforcecli, then Refresh.")
                .arg(defaultFixedPaths().join(QCoreApplication::translate("SFCLI", " or ")))
            + u"\n\n" + text);
    }
    if (result.signal != 0) {
        const QString name = signalName(result.signal);
        text = text.isEmpty()
            ? QCoreApplication::translate("SFCLI", "The Salesforce CLI was ended by signal %1%2 and printed nothing.").arg(result.signal).arg(name)
            : text + u'\n' + QCoreApplication::translate("SFCLI", "The Salesforce CLI was ended by signal %1%2.").arg(result.signal).arg(name);
    } else if (text.isEmpty()) { // a failure without a word is still one the user can read
        text = QCoreApplication::translate("SFCLI", "The Salesforce CLI exited with status %1 and printed nothing.").arg(result.exitCode);
    }
    throw AppError::commandFailed(text);
}

QStringList SFCLI::optionWithValue(const QString &option, const QString &value)
{
    if (value.startsWith(u'-'))
        return {option + u'=' + value};
    return {option, value};
}
