// The desktop's search over D-Bus, a module of its own (WindowModule.h says why).
#include "BrowserLocations.h"
#include "SFCLI.h"
#include "SearchProvider.h"
#include "Translations.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QLocale>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

extern "C" __attribute__((visibility("default"))) int tarnwick_run_search_provider(int *argc, char **argv)
{
    QCoreApplication application(*argc, argv);
    Translations::use(QLocale::system().uiLanguages());
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "tarnwick: no D-Bus session bus to answer on: %s\n", qPrintable(bus.lastError().message()));
        return 1;
    }
    SearchService service(SFCLI::shared(), BrowserLocations::system(), QDir::homePath());
    new ShellSearchAdaptor(&service);
    new RunnerAdaptor(&service);
    // The object first: whoever started the service by its name calls it at once.
    if (!bus.registerObject(u"/app/tarnwick/Tarnwick/SearchProvider"_s, &service, QDBusConnection::ExportAdaptors)) {
        std::fprintf(stderr, "tarnwick: cannot serve the search object: %s\n", qPrintable(bus.lastError().message()));
        return 1;
    }
    if (!bus.registerService(u"app.tarnwick.Tarnwick.SearchProvider"_s)) {
        std::fprintf(stderr, "tarnwick: app.tarnwick.Tarnwick.SearchProvider is answered already, or cannot be: %s\n",
                     qPrintable(bus.lastError().message()));
        return 1;
    }
    QObject::connect(&service, &SearchService::idle, &application, &QCoreApplication::quit);
    // A session that ends takes its bus along: nothing is left to answer.
    bus.connect(QString(), u"/org/freedesktop/DBus/Local"_s, u"org.freedesktop.DBus.Local"_s, u"Disconnected"_s, &application,
                SLOT(quit()));
    return QCoreApplication::exec();
}
