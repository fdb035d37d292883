// The real window under the offscreen platform, with the fake `sf` and a fake Chrome: what it
// shows, what each control does, shortcuts, dialogs, and screenshots for review.
#include "AppError.h"
#include "ContentView.h"
#include "DetailsPane.h"
#include "Dialogs.h"
#include "Enablement.h"
#include "FakeScenario.h"
#include "HeaderPanel.h"
#include "MainWindow.h"
#include "NewConnectionPanel.h"
#include "OrgListModel.h"
#include "OrgRowDelegate.h"
#include "OrgStore.h"
#include "SFCLI.h"
#include "Spinner.h"
#include "BrowserLocations.h"
#include "Theme.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QButtonGroup>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScrollArea>
#include <QListView>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyleFactory>
#include <QTest>
#include <QTextDocument>

#include <dlfcn.h>
#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

namespace {

QByteArray entry(const QString &alias, bool connected, bool isDefault = false)
{
    return "{\"username\":\""_ba + alias.toUtf8() + "@example.com\",\"instanceUrl\":\"https://"_ba
        + alias.toUtf8() + ".my.salesforce.com\",\"alias\":\""_ba + alias.toUtf8()
        + "\",\"orgId\":\"00D"_ba + alias.toUtf8().toUpper() + "\",\"loginUrl\":\"https://login.salesforce.com\","
          "\"clientId\":\"PlatformCLI\",\"isDefaultUsername\":"_ba + (isDefault ? "true"_ba : "false"_ba)
        + ",\"connectedStatus\":\""_ba + (connected ? "Connected"_ba : "RefreshTokenAuthError"_ba) + "\"}"_ba;
}

QByteArray orgList(const QByteArrayList &entries)
{
    return "{\"status\":0,\"result\":{\"other\":["_ba + entries.join(',') + "]}}"_ba;
}

const QByteArray kThreeOrgs = orgList({entry(u"acme-dev"_s, true, true), entry(u"beta-uat"_s, false),
                                       entry(u"zed-prod"_s, true)});

QTemporaryDir &home()
{
    static QTemporaryDir dir;
    return dir;
}

QString localStatePath() { return home().filePath(u"Local State"_s); }

void writeLocalState(const QStringList &profiles)
{
    QByteArrayList items;
    for (const QString &p : profiles)
        items.append("\""_ba + p.toUtf8() + "\":{\"name\":\""_ba + p.toUtf8() + " name\"}"_ba);
    QFile f(localStatePath());
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("{\"profile\":{\"info_cache\":{"_ba + items.join(',') + "}}}"_ba);
}

std::shared_ptr<const SFCLI> fakeCLI()
{
    return std::make_shared<const SFCLI>(QStringLiteral(FAKE_SF_PATH), QStringList());
}

std::shared_ptr<const BrowserLocations> targets()
{
    auto e = std::make_shared<BrowserLocations>();
    e->chromeCandidates = {QStringLiteral(FAKE_CHROME_PATH)};
    e->localStatePath = localStatePath();
    e->openInSystemBrowser = [](const QUrl &) {};
    return e;
}

void screenshot(QWidget *window, const QString &name)
{
    const QString dir = qEnvironmentVariable("TARNWICK_SCREENSHOTS");
    if (dir.isEmpty() || !QDir().mkpath(dir))
        return;
    QVERIFY(window->grab().save(dir + u'/' + name + ".png"_L1));
}

// Answers the window's dialogs and remembers what they asked.
struct ScriptedDialogs
{
    ScriptedDialogs()
    {
        responder.confirm = [this](const Dialogs::Confirmation &request) {
            confirmations.append(request);
            return confirmAnswers.isEmpty() ? false : confirmAnswers.takeFirst();
        };
        responder.saveFile = [this](const Dialogs::FileChoice &request) {
            fileRequests.append(request);
            return nextFile;
        };
        responder.openFile = responder.saveFile;
        Dialogs::setResponder(&responder);
    }
    ~ScriptedDialogs() { Dialogs::setResponder(nullptr); }

    Dialogs::Responder responder;
    QList<bool> confirmAnswers;
    std::optional<QString> nextFile;
    QList<Dialogs::Confirmation> confirmations;
    QList<Dialogs::FileChoice> fileRequests;
};

} // namespace

class TestWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<FakeScenario> m_fake;
    std::unique_ptr<MainWindow> m_window;

    ContentView &view() const { return *m_window->findChild<ContentView *>(); }
    OrgStore &store() const { return view().store(); }
    DetailsPane &details() const { return *m_window->findChild<DetailsPane *>(); }
    // The window's parts by the names they were given.
    template<class T = QWidget>
    T *part(const char *name) const
    {
        T *found = m_window->findChild<T *>(QLatin1StringView(name));
        if (!found)
            qFatal("no %s named %s", T::staticMetaObject.className(), name);
        return found;
    }
    QPushButton *button(const char *name) const { return part<QPushButton>(name); }
    QLabel *label(const char *name) const { return part<QLabel>(name); }
    QListView *listView() const { return part<QListView>("orgList"); }
    int rows() const { return listView()->model()->rowCount(); }

    QStringList callsSince(int first) const
    {
        QStringList out;
        for (const FakeCall &call : m_fake->calls().mid(first))
            out.append(call.args.join(u' '));
        return out;
    }

    void openWindow(const QByteArray &list = kThreeOrgs)
    {
        m_fake->answer(u"org_list"_s, list);
        m_window = std::make_unique<MainWindow>(fakeCLI(), targets());
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QTRY_VERIFY(!store().isBusy());
    }

private Q_SLOTS:
    void init()
    {
        m_fake = std::make_unique<FakeScenario>();
        writeLocalState({u"Profile 2"_s});
    }

    void cleanup()
    {
        if (m_window && store().isBusy())
            QTRY_VERIFY(!store().isBusy());
        m_window.reset();
        m_fake.reset();
    }

    void firstDisplay()
    {
        m_fake->answer(u"org_list"_s, kThreeOrgs);
        m_fake->set(u"org_list"_s, u"delay"_s, "0.4"_ba);
        m_window = std::make_unique<MainWindow>(fakeCLI(), targets());
        QCOMPARE(m_window->windowTitle(), u"Tarnwick"_s);
        QVERIFY(m_fake->calls().isEmpty()); // nothing runs before the window is shown
        QCOMPARE(label("statusLine")->text(), u"Loading Salesforce CLI connections..."_s);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QCOMPARE(rows(), 0);
        QVERIFY(part("spinner")->isVisible());
        QVERIFY(!button("refreshButton")->isEnabled());
        QCOMPARE(label("statusLine")->text(), u"Reading sf org list..."_s);
        QCOMPARE(part<QStackedWidget>("blocks")->currentIndex(), 0);
        screenshot(m_window.get(), u"first-display-busy"_s);

        QTRY_VERIFY(!store().isBusy());
        QCOMPARE(rows(), 3);
        QVERIFY(!part("spinner")->isVisible());
        QVERIFY(button("refreshButton")->isEnabled());
        // Connected first, then by name; the first connected org is selected and highlighted.
        QCOMPARE(store().selectedID(), u"acme-dev"_s);
        QCOMPARE(listView()->currentIndex().row(), 0);
        QCOMPARE(label("orgTitle")->text(), u"acme-dev"_s);
        QCOMPARE(label("statusLine")->text(), u"Loaded 3 CLI connections."_s);
        QCOMPARE(view().openTargets().size(), 3); // system, Chrome default, one profile
        QCOMPARE(view().selectedOpenTargetID(), u"system"_s);
        QCOMPARE(m_window->minimumSize(), QSize(980, 720)); // the screen has room for it
        screenshot(m_window.get(), u"loaded-with-selection"_s);
    }

    // The window, frame included, fits the screen; on a screen smaller than the content the
    // content scrolls, and every action can be brought into view within the screen.
    void everyActionWithinTheScreen()
    {
        openWindow();
        const QRect screen = m_window->screen()->availableGeometry();
        QTRY_VERIFY(screen.contains(m_window->frameGeometry()));
        auto *scroller = part<QScrollArea>("contentScroller");
        for (const char *name : {"refreshButton", "createButton", "importButton", "reloadTargetsButton",
                                 "openButton", "setDefaultButton", "copyTargetButton", "deleteButton",
                                 "exportButton"}) {
            QPushButton *b = button(name);
            scroller->ensureWidgetVisible(b, 0, 0);
            const QRect inViewport(b->mapTo(scroller->viewport(), QPoint(0, 0)), b->size());
            QVERIFY2(screen.contains(QRect(b->mapToGlobal(QPoint(0, 0)), b->size()))
                         && scroller->viewport()->rect().contains(inViewport)
                         && b->width() >= b->minimumSizeHint().width(),
                     name);
        }
        screenshot(m_window.get(), "screen-"_L1 + qEnvironmentVariable("TARNWICK_TEST_SCREEN", u"large"_s));
    }

    void detailsOfTheSelectedOrg()
    {
        openWindow(orgList({entry(u"acme-dev"_s, true),
                            "{\"username\":\"bare@x.com\",\"instanceUrl\":\"https://bare.my.salesforce.com\"}"_ba}));
        // Click the second row: the store's selection follows, and the details show it.
        QListView *list = listView();
        const QRect second = list->visualRect(list->model()->index(1, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
        QCOMPARE(store().selectedID(), u"bare@x.com"_s);
        QCOMPARE(label("orgTitle")->text(), u"bare@x.com"_s);
        QStringList values;
        for (const char *key : {"value:status", "value:username", "value:instanceUrl", "value:loginUrl",
                                "value:orgId", "value:clientId"})
            values.append(label(key)->text());
        QCOMPARE(values, (QStringList{u"Unknown"_s, u"bare@x.com"_s, u"https://bare.my.salesforce.com"_s,
                                      QString(), QString(), QString()}));
        QVERIFY(label("value:username")->textInteractionFlags() & Qt::TextSelectableByMouse);
        // Not connected: everything but the export may start.
        QVERIFY(button("openButton")->isEnabled());
        QVERIFY(button("deleteButton")->isEnabled());
        QVERIFY(!button("exportButton")->isEnabled());
    }

    // Two rows show "dup@x.com": a click picks exactly that org; the one the CLI cannot reach is
    // marked and opening it runs nothing, while the other opens.
    void aliasHidingAUsername()
    {
        openWindow(orgList({entry(u"alpha"_s, true),
                            R"({"username":"dup@x.com","instanceUrl":"https://b.example","connectedStatus":"Connected"})"_ba,
                            entry(u"dup@x.com"_s, true)}));
        QCOMPARE(listView()->model()->index(1, 0).data(OrgListModel::IsUnreachableRole), QVariant(true));
        QCOMPARE(listView()->model()->index(2, 0).data(OrgListModel::IsUnreachableRole), QVariant(false));
        const int before = static_cast<int>(m_fake->calls().size());
        for (int row : {1, 2}) {
            QTest::mouseClick(listView()->viewport(), Qt::LeftButton, {},
                              listView()->visualRect(listView()->model()->index(row, 0)).center());
            QCOMPARE(label("value:username")->text(), row == 1 ? u"dup@x.com"_s : u"dup@x.com@example.com"_s);
            QCOMPARE(label("unreachableNote")->isVisible(), row == 1);
            if (row == 1) {
                QTest::qWait(50); // let the layout settle before the picture
                screenshot(m_window.get(), u"unreachable-org"_s);
            }
            QTest::mouseClick(button("openButton"), Qt::LeftButton);
            QTRY_VERIFY(!store().isBusy());
        }
        QVERIFY(label("statusLine")->text().startsWith(u"Opened dup@x.com in"_s));
        QCOMPARE(callsSince(before), QStringList{u"org open --target-org dup@x.com"_s});
    }

    void filterByTyping()
    {
        openWindow();
        QCOMPARE(store().selectedID(), u"acme-dev"_s);
        QTest::keyClicks(part<QLineEdit>("filterField"), u"ZED"_s);
        QCOMPARE(store().search(), u"ZED"_s);
        QCOMPARE(rows(), 1);
        // The hidden selection stays selected and shown; filtering never writes it.
        QCOMPARE(store().selectedID(), u"acme-dev"_s);
        QCOMPARE(label("orgTitle")->text(), u"acme-dev"_s);
        QVERIFY(!listView()->selectionModel()->hasSelection());
        part<QLineEdit>("filterField")->clear();
        QTest::keyClicks(part<QLineEdit>("filterField"), u"   "_s);
        QCOMPARE(rows(), 3);
        QCOMPARE(listView()->currentIndex().row(), 0); // highlighted again
    }

    // Which controls may start an action: all of them for a connected org when idle; while busy
    // only what runs no CLI command; with nothing selected only what needs no org.
    void enablement()
    {
        const QList<const char *> needOrg{"openButton", "setDefaultButton", "copyTargetButton",
                                          "deleteButton", "exportButton"};
        const QList<const char *> needNoOrg{"refreshButton", "createButton", "importButton"};
        openWindow();
        for (const char *name : needOrg + needNoOrg)
            QVERIFY2(button(name)->isEnabled(), name);
        m_fake->set(u"org_list"_s, u"delay"_s, "0.5"_ba);
        QTest::mouseClick(button("refreshButton"), Qt::LeftButton);
        QVERIFY(store().isBusy());
        for (const char *name : needOrg + needNoOrg)
            QVERIFY2(button(name)->isEnabled() == (QByteArray(name) == "copyTargetButton"), name);
        QVERIFY(button("reloadTargetsButton")->isEnabled());
        QVERIFY(part<QLineEdit>("aliasField")->isEnabled());
        screenshot(m_window.get(), u"busy"_s);
        QTRY_VERIFY(!store().isBusy());

        m_fake->answer(u"org_list"_s, orgList({}));
        m_fake->set(u"org_list"_s, u"delay"_s, "0"_ba);
        store().refresh();
        QTRY_VERIFY(!store().isBusy());
        for (const char *name : needOrg)
            QVERIFY2(!button(name)->isEnabled(), name);
        for (const char *name : needNoOrg)
            QVERIFY2(button(name)->isEnabled(), name);
    }

    void shortcuts_data()
    {
        QTest::addColumn<QKeyCombination>("keys");
        QTest::addColumn<QString>("call");
        QTest::newRow("Ctrl+R refreshes") << (Qt::CTRL | Qt::Key_R) << u"org list --json"_s;
        QTest::newRow("Ctrl+Return opens") << (Qt::CTRL | Qt::Key_Return) << u"org open --target-org acme-dev"_s;
        QTest::newRow("Ctrl+Shift+N creates")
            << (Qt::CTRL | Qt::SHIFT | Qt::Key_N)
            << u"org login web --instance-url https://test.salesforce.com/ --alias new-one"_s;
    }

    void shortcuts()
    {
        QFETCH(QKeyCombination, keys);
        QFETCH(QString, call);
        openWindow();
        part<QLineEdit>("aliasField")->setText(u" new-one "_s);
        const int before = static_cast<int>(m_fake->calls().size());
        m_window->activateWindow();
        QTest::keyClick(m_window.get(), keys.key(), keys.keyboardModifiers());
        QTRY_VERIFY(!callsSince(before).isEmpty());
        QCOMPARE(callsSince(before).first(), call);
        QTRY_VERIFY(!store().isBusy());

        // While busy, the same keys do nothing.
        m_fake->set(u"org_list"_s, u"delay"_s, "0.5"_ba);
        const int during = static_cast<int>(m_fake->calls().size());
        store().refresh();
        QTest::keyClick(m_window.get(), keys.key(), keys.keyboardModifiers());
        QTRY_VERIFY(!store().isBusy());
        QCOMPARE(callsSince(during), QStringList{u"org list --json"_s});
        QCOMPARE(part<QLineEdit>("aliasField")->text(), u" new-one "_s); // the form keeps its values
    }

    void deleteFlow()
    {
        openWindow();
        ScriptedDialogs dialogs;
        dialogs.confirmAnswers = {false, true};
        const int before = static_cast<int>(m_fake->calls().size());
        QTest::mouseClick(button("deleteButton"), Qt::LeftButton);
        QCOMPARE(dialogs.confirmations.size(), 1);
        const Dialogs::Confirmation asked = dialogs.confirmations.first();
        QCOMPARE(asked.title, u"Delete selected Salesforce CLI connection?"_s);
        QCOMPARE(asked.message, u"This runs sf org logout for acme-dev. You can re-create it later with New Connection."_s);
        QCOMPARE(asked.confirmLabel, u"Delete Connection"_s);
        QVERIFY(asked.destructive);
        QVERIFY(!view().showDeleteConfirm());
        QCOMPARE(callsSince(before), QStringList()); // cancelled: nothing ran
        QCOMPARE(label("statusLine")->text(), u"Loaded 3 CLI connections."_s);

        m_fake->answer(u"org_list"_s, orgList({entry(u"beta-uat"_s, false), entry(u"zed-prod"_s, true)}));
        QTest::mouseClick(button("deleteButton"), Qt::LeftButton);
        QTRY_VERIFY(!store().isBusy());
        QCOMPARE(callsSince(before), (QStringList{u"org logout --target-org acme-dev --no-prompt"_s, u"org list --json"_s}));
        QCOMPARE(label("statusLine")->text(), u"Deleted connection acme-dev."_s);
        QCOMPARE(store().selectedID(), u"zed-prod"_s);
    }

    // Closing while an action runs asks first, naming it; "Keep Running" keeps both. After a
    // quit the web login is stopped at once.
    void closeWhileRunning()
    {
        openWindow();
        ScriptedDialogs dialogs;
        dialogs.confirmAnswers = {false, true};
        m_fake->set(u"org_login_web"_s, u"delay"_s, "30"_ba);
        QTest::mouseClick(button("createButton"), Qt::LeftButton);
        QTRY_COMPARE(m_fake->calls().size(), 2);
        QVERIFY(!m_window->close());
        const Dialogs::Confirmation asked = dialogs.confirmations.first();
        QCOMPARE(asked.title, u"Quit while an action is running?"_s);
        QVERIFY(asked.message.startsWith(
            u"Opening Salesforce login for Sandbox. Complete login and click Allow in the browser...\n"_s));
        QCOMPARE(asked.confirmLabel, u"Quit"_s);
        QCOMPARE(asked.cancelLabel, u"Keep Running"_s);
        QVERIFY(m_window->isVisible() && store().isBusy());
        const auto box = Dialogs::confirmationBox(m_window.get(), asked);
        QCOMPARE(box->escapeButton()->text(), u"Keep Running"_s);
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box.get()));
        screenshot(box.get(), u"quit-dialog"_s);

        QVERIFY(m_window->close());
        m_window->finishJobs();
        QVERIFY(!store().isBusy());
        QVERIFY(::kill(static_cast<pid_t>(m_fake->calls().last().pid), 0) != 0);
    }

    void exportFlow()
    {
        openWindow();
        ScriptedDialogs dialogs;
        QTemporaryDir dir;
        const QByteArray secret = "{\"status\":0,\"result\":{\"sfdxAuthUrl\":\"force://PlatformCLI::x@acme.my.salesforce.com\"}}\n"_ba;
        m_fake->answer(u"org_auth_show-sfdx-auth-url"_s, secret);

        // Confirmed, then the save panel cancelled: no file, no new status.
        dialogs.confirmAnswers = {true};
        QTest::mouseClick(button("exportButton"), Qt::LeftButton);
        QCOMPARE(dialogs.confirmations.first().title, u"Export selected connection auth JSON?"_s);
        QCOMPARE(dialogs.confirmations.first().confirmLabel, u"Export Auth JSON"_s);
        QVERIFY(dialogs.confirmations.first().message.startsWith(u"The exported JSON contains an OAuth refresh token."_s));
        QCOMPARE(dialogs.fileRequests.size(), 1);
        QCOMPARE(dialogs.fileRequests.first().proposedName, u"acme-dev-sfdx-auth.json"_s);
        QCOMPARE(dialogs.fileRequests.first().title, u"Export Salesforce Auth JSON"_s);
        QCOMPARE(dialogs.fileRequests.first().nameFilters, QStringList{u"JSON (*.json)"_s});
        QCOMPARE(label("statusLine")->text(), u"Loaded 3 CLI connections."_s);

        dialogs.confirmAnswers = {true};
        dialogs.nextFile = dir.filePath(u"acme-dev-sfdx-auth.json"_s);
        QTest::mouseClick(button("exportButton"), Qt::LeftButton);
        QTRY_COMPARE(label("statusLine")->text(), u"Exported auth JSON for acme-dev. Treat this file like a password."_s);
        QFile file(*dialogs.nextFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), secret);
        QCOMPARE(file.permissions() & ~(QFile::ReadUser | QFile::WriteUser), QFile::ReadOwner | QFile::WriteOwner);
    }

    void importFlow_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("alias");
        QTest::newRow("blank alias: from the file") << u"  "_s << u"carried-org"_s;
        QTest::newRow("typed alias") << u" mine "_s << u"mine"_s;
    }

    void importFlow()
    {
        QFETCH(QString, typed);
        QFETCH(QString, alias);
        openWindow();
        ScriptedDialogs dialogs;
        QTemporaryDir dir;
        const QString file = dir.filePath(u"carried-org-sfdx-auth.json"_s);
        QFile(file).open(QIODevice::WriteOnly);
        dialogs.nextFile = file;
        part<QLineEdit>("aliasField")->setText(typed);
        part<QCheckBox>("defaultBox")->setChecked(true);
        const int before = static_cast<int>(m_fake->calls().size());
        QTest::mouseClick(button("importButton"), Qt::LeftButton);
        QCOMPARE(dialogs.fileRequests.first().title, u"Import Salesforce Auth JSON"_s);
        QCOMPARE(dialogs.fileRequests.first().nameFilters, (QStringList{u"JSON (*.json)"_s, u"Plain text (*.txt)"_s}));
        QTRY_VERIFY(!store().isBusy());
        QCOMPARE(callsSince(before).first(),
                 "org login sfdx-url --sfdx-url-file "_L1 + file + " --alias "_L1 + alias + " --set-default"_L1);
        QCOMPARE(label("statusLine")->text(), "Imported auth JSON as "_L1 + alias + ". Treat imported files like passwords."_L1);
        QCOMPARE(part<QLineEdit>("aliasField")->text(), typed);
        QVERIFY(part<QCheckBox>("defaultBox")->isChecked());
    }

    void newConnectionForm()
    {
        openWindow();
        QCOMPARE(part<QLineEdit>("aliasField")->text(), QString());
        QCOMPARE(part<QLineEdit>("aliasField")->placeholderText(), u"e.g. quintellwharf-s-2026"_s);
        QVERIFY(button("kind:Sandbox")->isChecked());
        QCOMPARE(label("loginURL")->text(), u"https://test.salesforce.com/"_s);
        QCOMPARE(part<QComboBox>("browserPicker")->currentText(), u"System default"_s);
        QVERIFY(!part<QCheckBox>("defaultBox")->isChecked());
        QTest::mouseClick(button("kind:Production"), Qt::LeftButton);
        QCOMPARE(label("loginURL")->text(), u"https://login.salesforce.com/"_s);
        part<QComboBox>("browserPicker")->setCurrentIndex(part<QComboBox>("browserPicker")->findText(u"Edge"_s));
        const int before = static_cast<int>(m_fake->calls().size());
        QTest::mouseClick(button("createButton"), Qt::LeftButton);
        QTRY_VERIFY(!store().isBusy());
        QCOMPARE(callsSince(before).first(), u"org login web --instance-url https://login.salesforce.com/ --browser edge"_s);
        QCOMPARE(label("statusLine")->text(), u"Connection created. Loaded 3 CLI connections."_s);
    }

    void openInChosenProfile()
    {
        openWindow();
        QTemporaryDir dir;
        qputenv("FAKE_CHROME_LOG", QFile::encodeName(dir.filePath(u"chrome.jsonl"_s)));
        m_fake->answer(u"org_open"_s, "{\"result\":{\"url\":\"https://acme.my.salesforce.com/secur/frontdoor.jsp?otp=1\"}}"_ba);
        QComboBox *picker = part<QComboBox>("targetPicker");
        QCOMPARE(picker->count(), 3);
        picker->setCurrentIndex(2);
        Q_EMIT picker->activated(2);
        QCOMPARE(view().selectedOpenTargetID(), u"chrome-Profile 2"_s);
        QTest::mouseClick(button("openButton"), Qt::LeftButton);
        QTRY_COMPARE(label("statusLine")->text(), u"Opened acme-dev in Chrome - Profile 2 name."_s);
        QTRY_VERIFY(QFileInfo(dir.filePath(u"chrome.jsonl"_s)).size() > 0);
        qunsetenv("FAKE_CHROME_LOG");

        // The profile goes away: after Reload the choice falls back to the system browser.
        writeLocalState({});
        QTest::mouseClick(button("reloadTargetsButton"), Qt::LeftButton);
        QCOMPARE(view().selectedOpenTargetID(), u"system"_s);
        QCOMPARE(picker->currentText(), u"System default"_s);
        QCOMPARE(picker->count(), 2);
    }

    void statusColour_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("warning");
        QTest::newRow("expired in a sentence") << u"Error (X): the refresh token has Expired; log in again"_s << true;
        QTest::newRow("success message") << u"Loaded 3 CLI connections."_s << false;
        QTest::newRow("empty") << QString() << false;
    }

    void statusColour()
    {
        QFETCH(QString, message);
        QFETCH(bool, warning);
        QCOMPARE(DetailsPane::isWarning(message), warning);
        openWindow();
        m_fake->answer(u"org_list"_s, {}, 1, message.toUtf8());
        if (message.isEmpty() || !warning)
            return;
        store().refresh();
        QTRY_COMPARE(label("statusLine")->text(), message);
        QCOMPARE(label("statusLine")->palette().color(QPalette::WindowText),
                 Theme::warningOrange(label("statusLine")->palette()));
        screenshot(m_window.get(), u"status-warning"_s);
    }

    // What the CLI prints shows as what it is, and bounded: an error of 8.7 MB shows an excerpt
    // in a pane that keeps its height (the status keeps it whole, to copy); invalid UTF-8 is
    // named; names with bidirectional or control characters or line breaks show visible marks on
    // one line.
    void hostileOutputs()
    {
        openWindow();
        const QByteArray line = QByteArray(999, 'e') + '\n';
        m_fake->answer(u"org_list"_s, {}, 1, line.repeated(8700));
        const int height = details().height();
        store().refresh();
        QTRY_VERIFY(!store().isBusy());
        QCOMPARE(store().status().size(), 8700 * 1000 - 1);
        const QString shown = label("statusLine")->text();
        QVERIFY2(shown.size() < 17'000 && shown.endsWith(u"right-click to copy the whole message)"_s),
                 qPrintable(shown.right(100)));
        QVERIFY(part<QScrollArea>("statusArea")->height() <= part<QScrollArea>("statusArea")->maximumHeight());
        QCOMPARE(details().height(), height);
        part<QAction>("copyWholeMessage")->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), store().status());

        m_fake->answer(u"org_list"_s, "{\"status\":0,\"result\":{\"other\":[\xff]}}"_ba);
        store().refresh();
        QTRY_COMPARE(label("statusLine")->text(), u"Unexpected org list from sf: not valid UTF-8."_s);

        QByteArrayList named;
        for (const char *alias : {R"(\u202Egnp.xcod)", R"(a\u001b[31mred)", R"(two\nlines)"})
            named.append(R"({"username":"u@x.com","instanceUrl":"https://x.example","alias":")"_ba + alias
                         + "\",\"connectedStatus\":\"Connected\"}");
        m_fake->answer(u"org_list"_s, orgList(named));
        store().refresh();
        QTRY_VERIFY(!store().isBusy());
        QStringList names;
        for (int row = 0; row < rows(); ++row)
            names.append(listView()->model()->index(row, 0).data().toString());
        QCOMPARE(names, (QStringList{u"a\u241b[31mred"_s, u"two\u2026"_s, u"<U+202E>gnp.xcod"_s}));
        QCOMPARE(label("orgTitle")->text(), names.first());
    }

    void rowGeometry_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("nameWidth");
        QTest::addColumn<int>("badgeWidth");
        QTest::newRow("roomy, with badge") << 430 << 80 << 40;
        QTest::newRow("long name squeezed") << 300 << 2000 << 40;
        QTest::newRow("no badge") << 430 << 80 << 0;
        QTest::newRow("narrower than the padding") << 15 << 50 << 40;
    }

    void rowGeometry()
    {
        QFETCH(int, width);
        QFETCH(int, nameWidth);
        QFETCH(int, badgeWidth);
        const QRect row(0, 100, width, OrgRowGeometry::rowHeight(18, 14));
        const OrgRowGeometry g = OrgRowGeometry::layout(row, 18, 14, nameWidth, badgeWidth);
        QCOMPARE(g.dot.size(), QSize(9, 9));
        QVERIFY(g.name.width() >= 0 && g.name.width() <= nameWidth);
        QCOMPARE(g.subtitle.top(), g.name.bottom() + 1 + OrgRowGeometry::kLineSpacing);
        QVERIFY(g.subtitle.bottom() <= row.bottom());
        if (badgeWidth == 0) {
            QVERIFY(g.badge.isEmpty());
        } else if (width >= 100) {
            QVERIFY(g.badge.left() > g.name.right());
            QVERIFY(g.badge.right() < g.dot.left()); // the badge never runs into the dot
            QCOMPARE(g.badgeText.width(), badgeWidth);
        }
    }

    void modelIsSound()
    {
        openWindow();
        QAbstractItemModelTester tester(listView()->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QTest::keyClicks(part<QLineEdit>("filterField"), u"acme"_s);
        part<QLineEdit>("filterField")->clear();
        store().setSearch(QString());
        store().refresh();
        QTRY_VERIFY(!store().isBusy());
    }

    void manyOrgsAndDarkPalette()
    {
        QByteArrayList entries;
        for (int i = 0; i < 10'000; ++i)
            entries.append(entry(u"org-%1"_s.arg(i, 5, 10, QChar(u'0')), i % 3 == 0, i == 42));
        openWindow(orgList(entries));
        QCOMPARE(rows(), 10'000);
        listView()->scrollToBottom();
        screenshot(m_window.get(), u"ten-thousand-orgs"_s);

        const QPalette light = QApplication::palette();
        QPalette dark;
        dark.setColor(QPalette::Window, QColor(30, 30, 32));
        dark.setColor(QPalette::WindowText, QColor(235, 235, 240));
        dark.setColor(QPalette::Base, QColor(44, 44, 46));
        dark.setColor(QPalette::AlternateBase, QColor(54, 54, 56));
        dark.setColor(QPalette::Text, QColor(235, 235, 240));
        dark.setColor(QPalette::Button, QColor(58, 58, 60));
        dark.setColor(QPalette::ButtonText, QColor(235, 235, 240));
        dark.setColor(QPalette::Highlight, QColor(10, 132, 255));
        dark.setColor(QPalette::HighlightedText, Qt::white);
        dark.setColor(QPalette::PlaceholderText, QColor(150, 150, 155));
        QApplication::setPalette(dark);
        store().setSelectedID(u"org-00042"_s);
        QTRY_VERIFY(Theme::isDark(details().palette()));
        // Colours derived from the palette follow it: secondary text is light on dark now.
        QVERIFY(label("emptyHint")->palette().color(QPalette::WindowText).lightnessF() > 0.5);
        QVERIFY(label("statusLine")->palette().color(QPalette::WindowText).lightnessF() > 0.5);
        screenshot(m_window.get(), u"dark-palette"_s);
        QApplication::setPalette(light);
        QTRY_VERIFY(!Theme::isDark(details().palette()));
        QVERIFY(label("emptyHint")->palette().color(QPalette::WindowText).lightnessF() < 0.5);
    }

    void dialogScreenshots_data()
    {
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("plain") << kThreeOrgs << QString();
        // Data that looks like markup is shown as the literal text, with no live link.
        QTest::newRow("markup") << orgList({"{\"username\":\"<i>u</i>@x.com\",\"instanceUrl\":\"https://x.my.salesforce.com\","
                                            "\"alias\":\"<b>Bold</b> <a href=\\\"https://evil.example\\\">click</a>\","
                                            "\"connectedStatus\":\"Connected\"}"_ba})
                                << u"markup-"_s;
    }

    void dialogScreenshots()
    {
        QFETCH(QByteArray, list);
        QFETCH(QString, prefix);
        openWindow(list);
        const CLIOrg org = *store().selectedOrg();
        QTextDocument tip;
        tip.setHtml(listView()->model()->index(0, 0).data(Qt::ToolTipRole).toString());
        QCOMPARE(tip.toPlainText(), org.subtitle());
        // The real dialogs, drawn as the user sees them (shown, grabbed, closed; never run). The
        // texts are the ones the window asked for.
        ScriptedDialogs dialogs;
        QTest::mouseClick(button("deleteButton"), Qt::LeftButton);
        QTest::mouseClick(button("exportButton"), Qt::LeftButton);
        QCOMPARE(dialogs.confirmations.size(), 2);
        QVERIFY(dialogs.confirmations[0].message.contains(org.displayName()));
        const QStringList names{u"delete-dialog"_s, u"export-dialog"_s};
        for (int i = 0; i < 2; ++i) {
            QAbstractButton *confirming = nullptr;
            const auto box = Dialogs::confirmationBox(m_window.get(), dialogs.confirmations[i], &confirming);
            QCOMPARE(confirming->text(), dialogs.confirmations[i].confirmLabel);
            QCOMPARE(box->buttonRole(confirming),
                     i == 0 ? QMessageBox::DestructiveRole : QMessageBox::AcceptRole);
            QCOMPARE(box->escapeButton(), box->defaultButton());
            for (const QLabel *text : box->findChildren<QLabel *>())
                QVERIFY2(text->text().isEmpty() || text->textFormat() == Qt::PlainText, qPrintable(text->objectName()));
            box->show();
            QVERIFY(QTest::qWaitForWindowExposed(box.get()));
            screenshot(box.get(), prefix + names[i]);
        }
    }

    // Every symbol of the module resolves, and it has its entry point.
    void moduleLoads()
    {
        void *module = ::dlopen(TARNWICK_WINDOW_MODULE, RTLD_NOW | RTLD_LOCAL);
        QVERIFY2(module, ::dlerror());
        QVERIFY(::dlsym(module, "tarnwick_run_window"));
    }

private:
    static QByteArray fixtureError()
    {
        QFile f(QStringLiteral(TARNWICK_FIXTURES_DIR) + "/sf-cli/org-open-unknown-target.json"_L1);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

// Fixed style, font and screen, so that screenshots compare between machines. The screen is a
// large one unless TARNWICK_TEST_SCREEN names another in device pixels, with its scale factor
// ("1366x768", "1366x768@2": 683 by 384 in the app's own units).
int main(int argc, char **argv)
{
    QTemporaryDir screenDir;
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen") {
        const QStringList parts
            = qEnvironmentVariable("TARNWICK_TEST_SCREEN", u"1920x1200"_s).split(QRegularExpression(u"[x@]"_s));
        const int scale = parts.value(2, u"1"_s).toInt();
        QFile config(screenDir.filePath(u"screen.json"_s));
        if (parts.size() < 2 || scale < 1 || !config.open(QIODevice::WriteOnly))
            qFatal("unusable TARNWICK_TEST_SCREEN");
        config.write(u"{\"screens\": [{\"name\": \"test\", \"x\": 0, \"y\": 0, \"width\": %1, "
                     "\"height\": %2, \"logicalDpi\": 96, \"dpr\": %3}]}"_s
                         .arg(parts[0].toInt() / scale)
                         .arg(parts[1].toInt() / scale)
                         .arg(scale)
                         .toUtf8());
        config.close();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config.fileName()));
    }
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(u"Fusion"_s));
    QApplication::setFont(QFont(u"DejaVu Sans"_s, 10));
    TestWindow test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_window.moc"
