#include "SearchProvider.h"

#include "OpenCommand.h"
#include "SFCLI.h"
#include "TargetMemory.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QProcess>
#include <QSet>
#include <QThread>
#include <QUrl>

#include <algorithm>
#include <cstdio>

using namespace Qt::Literals::StringLiterals;

QDBusArgument &operator<<(QDBusArgument &argument, const RunnerMatch &match)
{
    argument.beginStructure();
    argument << match.id << match.text << match.iconName << match.type << match.relevance << match.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, RunnerMatch &match)
{
    argument.beginStructure();
    argument >> match.id >> match.text >> match.iconName >> match.type >> match.relevance >> match.properties;
    argument.endStructure();
    return argument;
}

QDBusArgument &operator<<(QDBusArgument &argument, const RunnerAction &action)
{
    argument.beginStructure();
    argument << action.id << action.text << action.iconName;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, RunnerAction &action)
{
    argument.beginStructure();
    argument >> action.id >> action.text >> action.iconName;
    argument.endStructure();
    return argument;
}

namespace {

constexpr QLatin1StringView kPrivateAction{"private"};

QString description(const CLIOrg &org)
{
    const QString host = QUrl(org.instanceUrl).host();
    return OpenCommand::printable(org.username + u" \u00b7 "_s + (host.isEmpty() ? org.instanceUrl : host));
}

} // namespace

SearchService::SearchService(std::shared_ptr<const SFCLI> cli, std::shared_ptr<const BrowserLocations> browsers,
                             QString home, QObject *parent)
    : QObject(parent)
    , m_cli(std::move(cli))
    , m_browsers(std::move(browsers))
    , m_home(std::move(home))
{
    qDBusRegisterMetaType<QList<QVariantMap>>();
    qDBusRegisterMetaType<RunnerMatch>();
    qDBusRegisterMetaType<QList<RunnerMatch>>();
    qDBusRegisterMetaType<RunnerAction>();
    qDBusRegisterMetaType<QList<RunnerAction>>();
    m_idle.setSingleShot(true);
    m_idle.setInterval(kIdleMilliseconds);
    connect(&m_idle, &QTimer::timeout, this, [this] {
        if (m_opening == 0)
            Q_EMIT idle();
    });
    m_idle.start();
}

void SearchService::touch() { m_idle.start(); }

// Read again for every question: another program may have changed them since the last.
Launchers::Orgs SearchService::current() const { return Launchers::fromFiles(m_home).value_or(Launchers::Orgs{}); }

QStringList SearchService::find(const QStringList &terms, const QStringList *within)
{
    touch();
    // A set: a refined search asks again on every key, with up to every org as the previous results.
    const QSet<QString> previous = within ? QSet<QString>(within->cbegin(), within->cend()) : QSet<QString>();
    QStringList ids;
    for (const CLIOrg &org : Launchers::matching(current().orgs, terms)) {
        if (!within || previous.contains(org.username))
            ids.append(org.username);
    }
    return ids;
}

QList<QVariantMap> SearchService::metas(const QStringList &ids)
{
    touch();
    const Launchers::Orgs orgs = current();
    QList<QVariantMap> found;
    for (const QString &id : ids) {
        const auto org = std::find_if(orgs.orgs.cbegin(), orgs.orgs.cend(), [&id](const CLIOrg &o) { return o.username == id; });
        if (org == orgs.orgs.cend())
            continue;
        found.append({{u"id"_s, id},
                      {u"name"_s, OpenCommand::printable(org->displayName())},
                      {u"description"_s, description(*org)},
                      {u"gicon"_s, QString::fromLatin1(kIcon)}});
    }
    return found;
}

QList<RunnerMatch> SearchService::runnerMatches(const QString &query)
{
    touch();
    const QList<CLIOrg> orgs = Launchers::matching(current().orgs, query.split(u' ', Qt::SkipEmptyParts));
    QList<RunnerMatch> matches;
    for (qsizetype i = 0; i < orgs.size(); ++i) {
        const CLIOrg &org = orgs[i];
        const bool exact = org.displayName().compare(query.trimmed(), Qt::CaseInsensitive) == 0
                           || org.username.compare(query.trimmed(), Qt::CaseInsensitive) == 0;
        // KRunner orders by type, then relevance: the orgs keep the order they are found in.
        matches.append({.id = org.username,
                        .text = OpenCommand::printable(org.displayName()),
                        .iconName = QString::fromLatin1(kIcon),
                        .type = exact ? 100 : 30, // an exact match, or a possible one
                        .relevance = 1.0 - 0.5 * double(i) / double(orgs.size()),
                        .properties = {{u"subtext"_s, description(org)}, {u"actions"_s, QStringList{kPrivateAction}}}});
    }
    return matches;
}

void SearchService::open(const QString &id, bool privateWindow)
{
    touch();
    const Launchers::Orgs orgs = current();
    const auto org = std::find_if(orgs.orgs.cbegin(), orgs.orgs.cend(), [&id](const CLIOrg &o) { return o.username == id; });
    if (org == orgs.orgs.cend()) {
        notifyFailure(id, tr("The Salesforce CLI no longer holds this connection."));
        return;
    }
    // `sf org open` takes seconds; the bus is answered meanwhile.
    ++m_opening;
    const QString name = org->displayName();
    QThread *opener = QThread::create([this, id, name, privateWindow] {
        // Where the org was opened last, as the window would; each thread its own view of the settings.
        TargetMemory memory;
        const OpenCommand::Outcome outcome = OpenCommand::open(
            *m_cli, *m_browsers, id, {.targetID = std::nullopt, .privateWindow = privateWindow ? std::optional(true) : std::nullopt, .page = std::nullopt}, &memory);
        QMetaObject::invokeMethod(this, [this, outcome, name] {
            --m_opening;
            if (outcome.status != 0)
                notifyFailure(name, outcome.line.mid(outcome.line.indexOf(u':') + 1).trimmed());
            touch();
        });
    });
    connect(opener, &QThread::finished, opener, &QObject::deleteLater);
    opener->start();
}

void SearchService::showWindow(const QStringList &terms)
{
    touch();
    // One argument, never through a shell: the terms are whatever was typed.
    if (!QProcess::startDetached(QCoreApplication::applicationFilePath(), {u"--filter="_s + terms.join(u' ')}))
        std::fputs("tarnwick: cannot start the window.\n", stderr);
}

void SearchService::notifyFailure(const QString &name, const QString &message)
{
    const QString summary = tr("Could not open %1").arg(OpenCommand::printable(name));
    std::fprintf(stderr, "tarnwick: %s: %s\n", qPrintable(summary), qPrintable(message));
    QDBusMessage notify = QDBusMessage::createMethodCall(u"org.freedesktop.Notifications"_s, u"/org/freedesktop/Notifications"_s,
                                                         u"org.freedesktop.Notifications"_s, u"Notify"_s);
    // The body may be read as markup: the CLI's words are text.
    notify << u"Tarnwick"_s << 0u << QString::fromLatin1(kIcon) << summary << message.toHtmlEscaped() << QStringList()
           << QVariantMap{{u"desktop-entry"_s, QString::fromLatin1(kIcon)}} << -1;
    QDBusConnection::sessionBus().call(notify, QDBus::NoBlock);
}

ShellSearchAdaptor::ShellSearchAdaptor(SearchService *service)
    : QDBusAbstractAdaptor(service)
    , m_service(service)
{
}

QStringList ShellSearchAdaptor::GetInitialResultSet(const QStringList &terms) { return m_service->find(terms); }

QStringList ShellSearchAdaptor::GetSubsearchResultSet(const QStringList &previousResults, const QStringList &terms)
{
    return m_service->find(terms, &previousResults);
}

QList<QVariantMap> ShellSearchAdaptor::GetResultMetas(const QStringList &identifiers) { return m_service->metas(identifiers); }

void ShellSearchAdaptor::ActivateResult(const QString &identifier, const QStringList &, uint) { m_service->open(identifier, false); }

void ShellSearchAdaptor::LaunchSearch(const QStringList &terms, uint) { m_service->showWindow(terms); }

RunnerAdaptor::RunnerAdaptor(SearchService *service)
    : QDBusAbstractAdaptor(service)
    , m_service(service)
{
}

QList<RunnerAction> RunnerAdaptor::Actions()
{
    m_service->touch();
    return {{kPrivateAction, SearchService::tr("Open in private window"), u"view-private"_s}};
}

QList<RunnerMatch> RunnerAdaptor::Match(const QString &query) { return m_service->runnerMatches(query); }

void RunnerAdaptor::Run(const QString &matchId, const QString &actionId)
{
    if (actionId.isEmpty() || actionId == kPrivateAction)
        m_service->open(matchId, actionId == kPrivateAction);
    else
        m_service->touch();
}

QVariantMap RunnerAdaptor::Config()
{
    m_service->touch();
    return {};
}

void RunnerAdaptor::Teardown() { m_service->touch(); }
