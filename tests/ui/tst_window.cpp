// The real window (offscreen) over the fake `sf` and a fake Chrome; screenshots for review.
#include "ContentView.h"
#include "DetailsPane.h"
#include "Dialogs.h"
#include "FakeScenario.h"
#include "MainWindow.h"
#include "OrgListModel.h"
#include "OrgStore.h"
#include "ScratchExpiry.h"
#include "TargetMemory.h"
#include "Theme.h"
#include "Translations.h"

#include <QAbstractItemModelTester>
#include <QtWidgets>

namespace {

const QStringList kThree{u"acme-dev+"_s, u"beta-uat"_s, u"zed-prod+"_s};

QTemporaryDir &home() { static QTemporaryDir dir; return dir; }

void writeLocalState(const QByteArray &profiles)
{
    QFile f(home().filePath(u"Local State"_s));
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write("{\"profile\":{\"info_cache\":{" + profiles + "}}}") > 0);
}

void screenshot(QWidget *window, const QString &name)
{
    const QString dir = qEnvironmentVariable("TARNWICK_SCREENSHOTS");
    if (dir.isEmpty() || !QDir().mkpath(dir))
        return;
    QTest::qWait(20); // pending layouts settle first, as they do before the user sees a paint
    QVERIFY(window->grab().save(dir + u'/' + name + ".png"_L1));
}

// Answers the window's dialogs and remembers what they asked.
struct ScriptedDialogs : Dialogs::Responder
{
    ScriptedDialogs()
    {
        confirm = [this](const Dialogs::Confirmation &request) {
            asked << request;
            std::exchange(whileAsking, [] {})();
            return !answers.isEmpty() && answers.takeFirst();
        };
        saveFile = openFile = [this](const Dialogs::FileChoice &request) {
            files << request;
            return nextFile;
        };
        Dialogs::setResponder(this);
    }
    ~ScriptedDialogs() { Dialogs::setResponder(nullptr); }
    QList<bool> answers;
    std::function<void()> whileAsking = [] {}; // what happens while the next question is open
    std::optional<QString> nextFile;
    QList<Dialogs::Confirmation> asked;
    QList<Dialogs::FileChoice> files;
};

} // namespace

class TestWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<FakeScenario> m_fake;
    std::unique_ptr<MainWindow> m_window;
    QUrl m_visited; // what reached the desktop's browser

    template<class T = QWidget>
    T *part(const char *name) const
    {
        if (T *found = m_window->findChild<T *>(QLatin1StringView(name)))
            return found;
        qFatal("no %s named %s", T::staticMetaObject.className(), name);
    }
    OrgStore &store() const { return *m_window->findChild<OrgStore *>(); }
    bool settled() const { return !store().isBusy() && store().connections() != OrgStore::Connections::checking; }
    QString text(const char *name) const // a label's or a button's
    {
        const auto *button = qobject_cast<QAbstractButton *>(part<QWidget>(name));
        return button ? button->text() : part<QLabel>(name)->text();
    }
    QString texts(std::initializer_list<const char *> labels) const
    {
        QStringList out;
        for (const char *label : labels)
            out << text(label);
        return out.join(u'|');
    }
    void click(const char *button) const { QTest::mouseClick(part<QPushButton>(button), Qt::LeftButton); }
    QListView *list() const { return part<QListView>("orgList"); }
    QString rows(int role = Qt::DisplayRole) const // each row's `role`, "|" between
    {
        QStringList out;
        for (int row = 0; row < list()->model()->rowCount(); ++row)
            out << list()->model()->index(row, 0).data(role).toString();
        return out.join(u'|');
    }
    void clickRow(int row) const
    {
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, list()->visualRect(list()->model()->index(row, 0)).center());
    }
    QString enabled() const
    {
        QStringList names;
        for (const char *name : {"refreshButton", "createButton", "importButton", "openButton", "setDefaultButton",
                                 "copyTargetButton", "deleteButton", "exportButton", "reloadTargetsButton", "aliasField"})
            if (part(name)->isEnabled())
                names << QString::fromLatin1(name).remove("Button"_L1);
        return names.join(u' ');
    }
    // The window over the fake, its list answered with `list`; shown, and the list loaded, when `show`.
    void openWindow(const QByteArray &list = orgListJson(kThree), bool show = true, const QString &settings = {})
    {
        m_fake->answer(u"org_list"_s, list);
        auto browsers = std::make_shared<BrowserLocations>();
        browsers->chromeCandidates = {QStringLiteral(FAKE_CHROME_PATH)};
        browsers->localStatePath = home().filePath(u"Local State"_s);
        auto *store = new OrgStore(std::make_shared<const SFCLI>(kFake, QStringList()), browsers);
        if (!settings.isEmpty())
            store->setTargetMemory(std::make_shared<TargetMemory>(settings));
        m_window = std::make_unique<MainWindow>(store, browsers);
        if (!show)
            return;
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QTRY_VERIFY(settled());
    }
    void refreshWith(const QByteArray &out, int status = 0)
    {
        m_fake->answer(u"org_list"_s, status ? ""_ba : out, status, status ? out : ""_ba);
        store().refresh();
        QTRY_VERIFY(settled());
    }
    // A confirmation as the user sees it, grabbed and closed (never run): the safe answer is the default
    // and Escape; only plain text, so names never render as markup.
    void checkBox(const Dialogs::Confirmation &asked, const QString &shot)
    {
        QAbstractButton *confirming = nullptr;
        const auto box = Dialogs::confirmationBox(m_window.get(), asked, &confirming);
        QCOMPARE(confirming->text(), asked.confirmLabel);
        QCOMPARE(box->buttonRole(confirming), asked.destructive ? QMessageBox::DestructiveRole : QMessageBox::AcceptRole);
        QVERIFY(box->escapeButton() != confirming && box->escapeButton() == box->defaultButton());
        for (const QLabel *label : box->findChildren<QLabel *>())
            QVERIFY2(label->text().isEmpty() || label->textFormat() == Qt::PlainText, qPrintable(label->text()));
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box.get()));
        screenshot(box.get(), shot);
    }

public:
    Q_INVOKABLE void visit(const QUrl &url) { m_visited = url; }

private Q_SLOTS:
    void init()
    {
        m_fake = std::make_unique<FakeScenario>();
        writeLocalState("\"Profile 2\":{\"name\":\"work\"}");
    }

    void cleanup()
    {
        QTRY_VERIFY(!m_window || settled());
        m_window.reset();
        m_fake.reset(); // before the next one names its folder
    }

    // Nothing runs before the window shows; busy until the first list, then the first connected org
    // selected. While busy only what runs no CLI command may start; with no org, what needs none.
    void firstDisplayAndEnablement()
    {
        openWindow(orgListJson(kThree), false);
        m_fake->set(u"org_list"_s, u"delay"_s, "0.4"_ba);
        QCOMPARE(m_window->windowTitle() + u'|' + text("statusLine"), u"Tarnwick|Loading Salesforce CLI connections..."_s);
        QVERIFY(m_fake->calls().isEmpty());
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QTRY_VERIFY(part("filterField")->hasFocus()); // where one starts: finding an org
        QVERIFY(part("spinner")->isVisible() && list()->model()->rowCount() == 0 && part<QStackedWidget>("blocks")->currentIndex() == 0);
        const QRect subtitle = part("subtitle")->geometry(); // the same with the spinner shown and hidden
        QCOMPARE(text("statusLine") + u'|' + enabled() + u'|' + part("spinner")->accessibleDescription(),
                 u"Reading sf org list...|reloadTargets aliasField|Reading sf org list..."_s); // what the spinner waits for

        QTRY_VERIFY(settled());
        QVERIFY(!part("spinner")->isVisible() && list()->model()->rowCount() == 3 && part("subtitle")->geometry() == subtitle);
        QCOMPARE(texts({"orgTitle", "statusLine"}) + u'|' + QString::number(list()->selectionModel()->selectedRows().value(0).row()),
                 u"acme-dev|Loaded 3 CLI connections.|0"_s);
        // Only what has the keyboard claims it: no row of a list without it says it has the focus.
        QVERIFY(!list()->hasFocus() && !QAccessible::queryAccessibleInterface(list())->child(0)->state().focused);
        QCOMPARE(enabled().count(u' '), 9);
        screenshot(m_window.get(), u"loaded-with-selection"_s);
        QDesktopServices::setUrlHandler(u"https"_s, this, "visit");
        click("siteButton");
        QDesktopServices::unsetUrlHandler(u"https"_s);
        QCOMPARE(m_visited, QUrl(u"https://developer.salesforce.com/tools/salesforcecli"_s));

        m_fake->answer(u"org_list"_s, orgListJson({}));
        m_fake->set(u"org_list"_s, u"delay"_s, "0.5"_ba);
        click("refreshButton");
        QCOMPARE(enabled(), u"copyTarget reloadTargets aliasField"_s);
        QTRY_VERIFY(settled());
        QCOMPARE(enabled(), u"refresh create import reloadTargets aliasField"_s);
        QCOMPARE(text("emptyNote"), u"No CLI connections yet.\nCreate one with New Connection above, or bring one in with Import JSON."_s);
        screenshot(m_window.get(), u"empty-list"_s);
    }

    // A CLI that could not list its connections: the empty list says why, as the status line does.
    void neverListed()
    {
        openWindow(orgListJson(kThree), false);
        m_fake->answer(u"org_list"_s, {}, 1, "Not listed.\n\nWhat else it printed");
        m_window->show();
        QTRY_VERIFY(settled() && text("emptyNote") == "Not listed."_L1 && part("emptyNote")->isVisible());
    }

    // The quick list can be acted on while the CLI checks: neutral dots, the header's note and
    // "Checking..." until the check ends; the first org chosen at once, then the one clicked stays.
    void actionableWhileChecking()
    {
        openWindow(orgListJson(kThree), false);
        m_fake->answer(u"org_list_--json_--skip-connection-status"_s, orgListJson({u"zed-prod?"_s, u"beta-uat?"_s, u"acme-dev?"_s}));
        m_fake->answer(u"org_list_--json"_s, orgListJson({u"acme-dev"_s, u"beta-uat+"_s, u"zed-prod+"_s}));
        m_fake->set(u"org_list_--json"_s, u"delay"_s, "3"_ba);
        m_window->show();
        QTRY_VERIFY(!store().isBusy() && list()->model()->rowCount() == 3);
        QVERIFY(part("checkingIndicator")->isVisible() && rows(OrgListModel::DotRole) == "2|2|2"_L1);
        QCOMPARE(texts({"orgTitle", "value:status"}), u"acme-dev|Checking..."_s); // chosen at once
        clickRow(0); // the row chosen already, picked all the same: the check no longer moves it
        screenshot(m_window.get(), u"checking-connections"_s);
        QVERIFY(part("openButton")->isEnabled() && store().connections() == OrgStore::Connections::checking);
        QTRY_VERIFY_WITH_TIMEOUT(settled(), 10'000);
        QCOMPARE(rows(OrgListModel::DotRole) + u' ' + QString::number(part("checkingIndicator")->isVisible()), u"0|0|1 0"_s);
        QTest::keyClick(m_window.get(), Qt::Key_Return, Qt::ControlModifier);
        QTRY_VERIFY(m_fake->commands().contains(u"org open --target-org acme-dev"_s));
        QCOMPARE(texts({"orgTitle", "value:status"}), u"acme-dev|expired"_s);
    }

    // The window, frame included, fits the screen; on a screen smaller than the content the
    // content scrolls up and down, never sideways (rows wrap), and every action can be brought
    // into view within the screen.
    void everyActionWithinTheScreen()
    {
        openWindow();
        const QRect screen = m_window->screen()->availableGeometry();
        QTRY_VERIFY(screen.contains(m_window->frameGeometry()));
        auto *scroller = part<QScrollArea>("contentScroller");
        screenshot(m_window.get(), "screen-"_L1 + qEnvironmentVariable("TARNWICK_TEST_SCREEN", u"large"_s));
        for (const char *name : {"refreshButton", "createButton", "importButton", "reloadTargetsButton", "privateBox", "targetPicker",
                                 "pagePicker", "openButton", "setDefaultButton", "copyTargetButton", "deleteButton", "exportButton"}) {
            auto *b = part<QWidget>(name);
            scroller->ensureWidgetVisible(b, 0, 0);
            bool whole = screen.contains(QRect(b->mapToGlobal(QPoint(0, 0)), b->size())) && b->width() >= b->minimumSizeHint().width();
            for (QWidget *holder = b->parentWidget(); holder != scroller; holder = holder->parentWidget())
                whole = whole && holder->rect().contains(QRect(b->mapTo(holder, QPoint(0, 0)), b->size())); // not cut off by a panel
            QVERIFY2(whole, name);
        }
        QCOMPARE(scroller->horizontalScrollBar()->maximum(), 0);
        m_window->resize(m_window->minimumSize());
        QTRY_COMPARE(scroller->horizontalScrollBar()->maximum(), 0);
    }

    // A click selects and shows exactly that org, also of two that show "dup@x.com": the one the CLI
    // cannot reach is marked and opening it is refused. Typing filters; a hidden selection stays.
    void detailsAndFilter()
    {
        openWindow(orgListJson({u"acme-dev+"_s, u"{\"username\":\"bare@x.com\",\"instanceUrl\":\"https://bare.example\","
                                "\"loginUrl\":\"https://l.example\",\"clientId\":\"C\",\"isDefaultUsername\":true}"_s,
                                u"{\"username\":\"dup@x.com\",\"instanceUrl\":\"https://b.example\",\"connectedStatus\":\"Connected\"}"_s,
                                u"dup@x.com+"_s, u"{\"username\":\"acme-dev\",\"alias\":\"own\",\"instanceUrl\":\"https://o.example\"}"_s}));
        QAbstractItemModelTester tester(list()->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(rows(OrgListModel::IsDefaultRole) + u' ' + rows(OrgListModel::IsUnreachableRole),
                 u"false|false|false|true|false false|true|false|false|false"_s); // the CLI's default, connected or not
        const auto spoken = [this](int row) { return list()->model()->index(row, 0).data(Qt::AccessibleTextRole).toString(); };
        QCOMPARE(spoken(1) + u'/' + spoken(3), u"dup@x.com, unreachable, Connected, dup@x.com | https://b.example/bare@x.com, default, "
                                               "Not connected, bare@x.com | https://bare.example"_s); // all a row shows, in words
        clickRow(1);
        QVERIFY(text("value:username") == "dup@x.com"_L1 && part("unreachableNote")->isVisible());
        const auto *scroller = part<QScrollArea>("contentScroller"); // a large screen: all of it in view
        QVERIFY(scroller->widget()->minimumSizeHint().height() <= scroller->viewport()->height());
        screenshot(m_window.get(), u"unreachable-org"_s);
        click("openButton");
        QVERIFY(text("statusLine").startsWith(u"The Salesforce CLI cannot reach dup@x.com"_s));
        clickRow(2);
        QVERIFY(text("value:username") == "dup@x.com@x.com"_L1 && !part("unreachableNote")->isVisible());
        clickRow(3);
        QCOMPARE(texts({"orgTitle", "value:status", "value:username", "value:instanceUrl", "value:loginUrl", "value:orgId", "value:clientId"}),
                 u"bare@x.com|Unknown|bare@x.com|https://bare.example|https://l.example||C"_s);
        QVERIFY(part<QLabel>("value:username")->textInteractionFlags() & Qt::TextSelectableByMouse);
        const auto labelled = QAccessible::queryAccessibleInterface(part("value:username"))->relations(QAccessible::Label);
        QVERIFY(!labelled.isEmpty() && labelled[0].first->text(QAccessible::Name) == "Username"_L1);
        const auto picker = QAccessible::queryAccessibleInterface(part("pagePicker"))->relations(QAccessible::Label);
        QVERIFY(!picker.isEmpty() && picker[0].first->text(QAccessible::Name) == "Page"_L1);
        QVERIFY(!enabled().contains(u"export"_s) && enabled().contains(u"open"_s)); // not connected
        QTest::keyClicks(part<QLineEdit>("filterField"), u"ACME"_s);
        QCOMPARE(list()->model()->rowCount(), 2);
        QVERIFY(text("orgTitle") == "bare@x.com"_L1 && !list()->selectionModel()->hasSelection());
        part<QLineEdit>("filterField")->clear();
        QTest::keyClicks(part<QLineEdit>("filterField"), u"   "_s);
        QVERIFY(list()->model()->rowCount() == 5 && list()->currentIndex().row() == 3); // all shown, highlighted again
        clickRow(0);
        QTest::keyClicks(part<QLineEdit>("filterField"), u"bare"_s);
        clickRow(0); // the row as shown, not the first of all
        QCOMPARE(text("orgTitle"), u"bare@x.com"_s);
        QTest::keyClicks(part<QLineEdit>("filterField"), u"zz"_s); // a filter that matches nothing says so, to a screen reader too
        QCOMPARE(text("emptyNote") + u'|' + list()->accessibleDescription(), u"No connections match \u201cbarezz\u201d.|No connections match \u201cbarezz\u201d."_s);
        part<QLineEdit>("filterField")->clear();
        QTest::keyClicks(part<QLineEdit>("filterField"), u"dup"_s); // the selection hidden; Down goes on to the first row shown
        QTest::keyClick(part<QLineEdit>("filterField"), Qt::Key_Down);
        QVERIFY(list()->hasFocus() && text("orgTitle") == "dup@x.com"_L1);
        part("filterField")->setFocus();
        QStringList order; // Tab: the list, the details, the new connection; each stop shows it has the keyboard
        for (QWidget *was = part("filterField"); order.size() < 19; order << was->objectName()) {
            const QImage focused = was->grab().toImage();
            QTest::keyClick(was, Qt::Key_Tab);
            QVERIFY2(was->grab().toImage() != focused, qPrintable(was->objectName()));
            was = QApplication::focusWidget();
        }
        QCOMPARE(order.join(u' '), u"orgList targetPicker reloadTargetsButton privateBox pagePicker openButton setDefaultButton copyTargetButton deleteButton "
                                   "exportButton statusLine aliasField kind:Production browserPicker defaultBox createButton importButton siteButton refreshButton"_s);
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, Qt::ControlModifier, list()->visualRect(list()->currentIndex()).center());
        QVERIFY(!store().selectedOrg() && !part("openButton")->isEnabled()); // Ctrl+click on the selected row: none
    }

    // Another program's change to the CLI's files: the list follows, and the filter, the selection,
    // the scroll position and the focus stay.
    void followsTheCLI()
    {
        QStringList orgs;
        for (int i = 10; i < 50; ++i)
            orgs << "org"_L1 + QString::number(i);
        openWindow(orgListJson(orgs));
        QTemporaryDir cli;
        store().followCLI(cli.path());
        QTest::keyClicks(part<QLineEdit>("filterField"), u"org"_s);
        clickRow(5);
        QScrollBar *bar = list()->verticalScrollBar();
        bar->setValue(bar->maximum());
        const int scrolled = bar->value();
        m_fake->answer(u"org_list"_s, orgListJson(orgs << u"org0"_s));
        QVERIFY(QDir(cli.path()).mkpath(u".sfdx"_s) && QFile(cli.filePath(u".sfdx/org0@x.com.json"_s)).open(QFile::WriteOnly));
        QTRY_COMPARE(list()->model()->rowCount(), 41);
        QTRY_VERIFY(settled());
        QCOMPARE(texts({"statusLine", "orgTitle"}) + part<QLineEdit>("filterField")->text(), u"The CLI's connections changed: 41 listed.|org15org"_s);
        QVERIFY(bar->value() == scrolled && list()->hasFocus() && !part("spinner")->isVisible());
    }

    // In Russian: the window's texts, and the status line's count in each plural form.
    void inRussian()
    {
        QCOMPARE(Translations::use({u"ru-RU"_s}), u"ru"_s);
        openWindow(orgListJson({u"a+"_s}));
        QStringList said{text("value:status") + u' ' + text("statusLine")}; // the status in words, as the row says it
        for (const int count : {3, 5, 21}) {
            QStringList orgs;
            for (int i = 0; i < count; ++i)
                orgs << "o"_L1 + QString::number(i);
            refreshWith(orgListJson(orgs));
            said << text("statusLine");
        }
        QCOMPARE(said.join(u'|'), u"Подключено Загружено 1 подключение CLI.|Загружено 3 подключения CLI.|Загружено 5 подключений CLI.|Загружено 21 подключение CLI."_s);
        QCOMPARE(texts({"refreshButton", "reloadTargetsButton", "setDefaultButton", "defaultBox", "kind:Production"}) + u'|'
                     + part<QComboBox>("targetPicker")->currentText() + u'|' + part<QComboBox>("pagePicker")->currentText() + u'|'
                     + QAccessible::queryAccessibleInterface(part("siteButton"))->text(QAccessible::Description),
                 u"Обновить|Найти снова|Назначить по умолчанию|По умолчанию|Рабочая|Системный браузер|Главная|"
                 "Открыть веб-страницу Salesforce CLI в браузере"_s); // distinct words for distinct actions; the site button described
        screenshot(m_window.get(), u"russian"_s);
        Translations::use({});
    }


    // A scratch org's Dev Hub, edition and expiry, and its row's mark; the scratch orgs the CLI hides,
    // and their clean-up: asked first (cancelled, nothing runs), then run, reloaded and reported.
    void scratchOrgs()
    {
        const QByteArray expires = QDate::currentDate().addDays(2).toString(Qt::ISODate).toLatin1();
        openWindow("{\"status\":0,\"result\":{\"scratchOrgs\":[{\"username\":\"s@x.com\",\"instanceUrl\":\"https://s.example\",\"devHubUsername\":"
                   "\"hub@x.com\",\"edition\":\"Developer\",\"expirationDate\":\"" + expires + "\"}]},\"warnings\":[\"You have 3 expired or "
                   "deleted local scratch org authorizations. To remove authorizations for inactive orgs, run \\\"sf org list --clean\\\".\"]}");
        QCOMPARE(texts({"value:devHub", "value:edition", "hiddenScratchNote"}) + u'|' + rows(OrgListModel::ExpiryMarkRole)
                     + u'|' + QAccessible::queryAccessibleInterface(part("cleanUpButton"))->text(QAccessible::Description),
                 u"hub@x.com|Developer|3 expired or deleted scratch orgs are hidden|expires in 2 days|3 expired or deleted scratch orgs are hidden"_s);
        QVERIFY(text("value:expiry").endsWith("(in 2 days)"_L1));
        screenshot(m_window.get(), u"scratch-orgs"_s);
        ScriptedDialogs dialogs;
        dialogs.answers = {false, true, true, true};
        click("cleanUpButton");
        QVERIFY(m_fake->calls().size() == 2 && dialogs.asked[0].destructive && dialogs.asked[0].message.contains("the 3 expired"_L1));
        const auto failed = [](const char *u) -> QByteArray { return "Unable to clean org with username "_ba + u + ". You can run \\\"sf org delete scratch -o " + u + "\\\" to remove it."; };
        m_fake->answer(u"org_list_--clean"_s, "{\"status\":0,\"result\":{},\"warnings\":[\"" + failed("x") + "\",\"" + failed("y") + "\",\"Other.\"]}");
        m_fake->answer(u"org_logout"_s, {}, 1);
        m_fake->answer(kAliasRead.join(u'_'), R"({"status":0,"result":[{"alias":"y","value":"o@x.com"}]})");
        click("cleanUpButton"); // exits 0, but could not remove two: x's logout fails, y is also an alias (no advice that reaches it)
        QTRY_VERIFY(settled() && text("statusLine").endsWith(QString::fromUtf8(QByteArray("2 of the 3 expired scratch orgs:\n" + failed("x")).replace('\\', ""))
                                                                 + "\ny was left: it is also an alias of another connection, which a command naming it "
                                                                   "would reach. Remove that alias first (sf alias unset y)."_L1));
        QCOMPARE(m_fake->commands(2).mid(0, 3), (QStringList{u"org list --clean --no-prompt --skip-connection-status --json"_s,
                                                             u"org logout --target-org x --no-prompt"_s, u"org list --json --skip-connection-status"_s}));
        // A warning, drawn orange; our own success mentions "expired" too, and is none.
        const auto orange = [this] { return part<QLabel>("statusLine")->palette().color(QPalette::WindowText) == Theme::warningOrange(part<QLabel>("statusLine")->palette()); };
        m_fake->answer(u"org_list_--clean"_s, {});
        click("cleanUpButton"); // exits 0 and says nothing, and the list still hides them (a Dev Hub that failed)
        QTRY_VERIFY(settled() && text("statusLine") == "The Salesforce CLI removed none of the 3 expired scratch orgs' connections."_L1 && orange());
        m_fake->answer(u"org_list"_s, orgListJson({u"a+"_s}));
        click("cleanUpButton");
        QTRY_VERIFY(settled() && text("statusLine") == "Removed the connections of 3 expired scratch orgs."_L1 && !orange());
        QVERIFY(!part("hiddenScratchNote")->isVisible() && part("value:devHub")->isHidden());
    }

    // The expiry as the details and the row say it.
    void scratchExpiry()
    {
        const QDate today(2026, 12, 6);
        QStringList said;
        for (const int days : {0, 1, 3, 4, -1, -5}) {
            CLIOrg org;
            org.expirationDate = today.addDays(days).toString(Qt::ISODate) + "T00:00:00.000+0000"_L1;
            said << ScratchExpiry::text(*ScratchExpiry::date(org), today, QLocale(u"en_GB"_s)) + u'/' + ScratchExpiry::mark(org, today);
        }
        said << ScratchExpiry::text(today.addDays(1), today, QLocale(u"de_DE"_s)); // the year in full
        Translations::use({u"de-DE"_s, u"ru-RU"_s}); // no German catalogue: the Russian one, and its format
        said << ScratchExpiry::text(today.addDays(1), today).section(u' ', 1, 1);
        Translations::use({qEnvironmentVariable("TARNWICK_TEST_LANGUAGE")});
        QCOMPARE(said.join(u'|'), u"Expires today/expires today|Expires 07/12/2026 (tomorrow)/expires tomorrow|Expires 09/12/2026 (in 3 days)/"
                                  "expires in 3 days|Expires 10/12/2026 (in 4 days)/|Expired 05/12/2026 (yesterday)/|Expired 01/12/2026 (5 days ago)/"
                                  "|Expires 07.12.2026 (tomorrow)|07.12.2026"_s);
    }

    // Each starts its action, and does nothing while busy (Ctrl+Return: while the CLI checks).
    void shortcuts()
    {
        openWindow();
        const std::pair<QKeyCombination, QString> keys[] = {
            {Qt::CTRL | Qt::Key_R, u"org list --json --skip-connection-status"_s},
            {Qt::CTRL | Qt::SHIFT | Qt::Key_Return, u"org open --target-org acme-dev --path /lightning/setup/SetupOneHome/home"_s},
            {Qt::CTRL | Qt::SHIFT | Qt::Key_N, u"org login web --instance-url https://test.salesforce.com/"_s}};
        QTest::keyClick(m_window.get(), Qt::Key_F, Qt::ControlModifier); // Find: the filter, from anywhere
        QVERIFY(part("filterField")->hasFocus());
        m_fake->set(u"org_list"_s, u"delay"_s, "0.5"_ba);
        store().refresh();
        for (const auto &[combination, call] : keys)
            QTest::keyClick(m_window.get(), combination.key(), combination.keyboardModifiers());
        QTRY_VERIFY(settled());
        QCOMPARE(m_fake->commands(2), (QStringList{u"org list --json --skip-connection-status"_s, u"org list --json"_s}));
        for (const auto &[combination, call] : keys) {
            const qsizetype before = m_fake->calls().size();
            QTest::keyClick(m_window.get(), combination.key(), combination.keyboardModifiers());
            QTRY_VERIFY(m_fake->calls().size() > before && settled());
            QCOMPARE(m_fake->commands().at(before), call);
        }
        QTest::keyClick(list(), Qt::Key_Return); // Return, or a double-click, on a row opens its org
        QTRY_VERIFY(m_fake->commands().constLast() == "org open --target-org acme-dev"_L1 && settled());
        const QPoint second = list()->visualRect(list()->model()->index(1, 0)).center();
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, second);
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, second);
        QTRY_COMPARE(m_fake->commands().constLast(), u"org open --target-org zed-prod"_s);
        QTRY_VERIFY(settled());
        ScriptedDialogs dialogs;
        dialogs.answers = {true};
        dialogs.nextFile = home().filePath(u"focus.json"_s);
        m_fake->answer(u"org_auth_show-sfdx-auth-url"_s, "{\"result\":{\"sfdxAuthUrl\":\"force://P::x@a.example\"}}");
        m_fake->set(u"org_auth_show-sfdx-auth-url"_s, u"delay"_s, "0.3"_ba);
        part("exportButton")->setFocus(); // the row's last, disabled while it runs: the keyboard goes to the list, not the status text, and back
        QTest::keyClick(part("exportButton"), Qt::Key_Space);
        QVERIFY(store().isBusy() && list()->hasFocus());
        QTRY_VERIFY(settled() && part("exportButton")->hasFocus());
        part("filterField")->setFocus(); // Delete edits the filter's text, and in the list asks first (declined here)
        QTest::keyClick(part("filterField"), Qt::Key_Delete);
        QTest::qWait(300); // longer than a button's animated click
        QCOMPARE(dialogs.asked.size(), 1);
        list()->setFocus();
        QTest::keyClick(list(), Qt::Key_Delete);
        QTRY_COMPARE(dialogs.asked.size(), 2);
        QCOMPARE(dialogs.asked.constLast().confirmLabel, u"Delete Connection"_s);
    }

    // The form's values reach the import and the login, and stay in the form; Cancel in Create's place
    // stops a waiting login; closing while one runs asks first, naming it, and a quit stops it.
    void newConnectionFlows()
    {
        openWindow();
        ScriptedDialogs dialogs;
        dialogs.nextFile = home().filePath(u"carried-sfdx-auth.json"_s);
        part<QLineEdit>("aliasField")->setText(u" mine "_s);
        part<QCheckBox>("defaultBox")->setChecked(true);
        click("importButton");
        QCOMPARE(dialogs.files[0].title + u'|' + dialogs.files[0].nameFilters.join(u';'),
                 u"Import Salesforce Auth JSON|JSON (*.json);Plain text (*.txt)"_s);
        QTRY_VERIFY(settled());
        QTest::mouseClick(part<QPushButton>("kind:Production"), Qt::LeftButton);
        QCOMPARE(text("loginURL"), u"https://login.salesforce.com/"_s);
        const auto filled = [this](const char *name) { return part(name)->palette().button().color() == Theme::prominentFill(part(name)->palette()); };
        QVERIFY(filled("kind:Production") && !filled("kind:Sandbox")); // the chosen segment stands out
        const auto segment = [this](const char *name) { // spoken as a choice of several, the chosen one said
            QAccessibleInterface *spoken = QAccessible::queryAccessibleInterface(part(name));
            return u"%1:%2"_s.arg(spoken->role() == QAccessible::RadioButton).arg(spoken->state().checked);
        };
        QCOMPARE(segment("kind:Production") + u' ' + segment("kind:Sandbox"), u"1:1 1:0"_s);
        QAccessible::queryAccessibleInterface(part("kind:Sandbox"))->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(segment("kind:Sandbox") + u' ' + text("loginURL"), u"1:1 https://test.salesforce.com/"_s);
        QTest::mouseClick(part<QPushButton>("kind:Production"), Qt::LeftButton);
        part<QComboBox>("browserPicker")->setCurrentIndex(3); // Edge
        click("createButton");
        QTRY_VERIFY(settled());
        QCOMPARE(m_fake->commands().filter(u"org login"_s),
                 QStringList({"org login sfdx-url --sfdx-url-file "_L1 + *dialogs.nextFile + " --alias mine --set-default"_L1,
                              u"org login web --instance-url https://login.salesforce.com/ --alias mine --browser edge --set-default"_s}));
        QVERIFY(part<QLineEdit>("aliasField")->text() == " mine "_L1 && part<QCheckBox>("defaultBox")->isChecked());
        dialogs.answers = {false, true};
        m_fake->set(u"org_login_web"_s, u"delay"_s, "30"_ba);
        const qsizetype before = m_fake->calls().size();
        click("createButton");
        QTRY_COMPARE(m_fake->calls().size(), before + 1);
        QVERIFY(part("createButton")->isHidden() && part("cancelLoginButton")->isVisible()); // Cancel in its place
        click("cancelLoginButton");
        QTRY_VERIFY(text("statusLine") == "Login cancelled."_L1 && m_fake->allEnded() && !part("createButton")->isHidden());
        click("createButton");
        QTRY_COMPARE(m_fake->calls().size(), before + 2);
        QVERIFY(!m_window->close());
        const Dialogs::Confirmation asked = dialogs.asked.first();
        QCOMPARE(QStringList({asked.title, asked.message.section(u'\n', 0, 0), asked.confirmLabel, asked.cancelLabel}),
                 QStringList({u"Quit while an action is running?"_s,
                              u"Opening Salesforce login for mine. Complete login and click Allow in the browser..."_s,
                              u"Quit"_s, u"Keep Running"_s}));
        QVERIFY(m_window->isVisible() && store().isBusy());
        checkBox(asked, u"quit-dialog"_s);
        QVERIFY(m_window->close());
        m_window->finishJobs();
        QVERIFY(!store().isBusy() && m_fake->allEnded());
    }

    // A chosen profile opens; when it goes away, Reload falls back to the system browser.
    void openInChosenProfile()
    {
        openWindow();
        m_fake->answer(u"org_open"_s, "{\"result\":{\"url\":\"https://acme.example/secur/frontdoor.jsp?otp=1\"}}");
        auto *picker = part<QComboBox>("targetPicker");
        picker->setCurrentIndex(2);
        Q_EMIT picker->activated(2);
        click("openButton");
        QTRY_COMPARE(text("statusLine"), u"Opened acme-dev in Chrome - work."_s);
        click("reloadTargetsButton");
        QCOMPARE(picker->currentText(), u"Chrome - work"_s);
        writeLocalState({});
        click("reloadTargetsButton");
        QVERIFY(picker->currentText() == "System default"_L1 && picker->count() == 2);
        part<QCheckBox>("privateBox")->setChecked(true);
        part<QComboBox>("pagePicker")->setCurrentIndex(part<QComboBox>("pagePicker")->count() - 1); // a custom path
        QTest::keyClicks(part<QLineEdit>("pathField"), u"https://acme-dev.example/lightning/o/Account/home"_s);
        click("openButton");
        QTRY_COMPARE(m_fake->commands().constLast(), u"org open --target-org acme-dev --path /lightning/o/Account/home --private"_s);
    }

    // Each org opens where it was opened last, after a restart too; the window comes back as it was
    // left, on a screen there is. A target gone is said; Forget goes back to the system browser.
    void remembersWhereEachOrgOpens()
    {
        QTemporaryDir settings;
        const QString file = settings.filePath(u"Tarnwick.conf"_s);
        openWindow(orgListJson(kThree), true, file);
        m_fake->answer(u"org_open"_s, "{\"result\":{\"url\":\"https://acme.example/secur/frontdoor.jsp?otp=1\"}}");
        QVERIFY(!part("forgetTargetButton")->isVisible());
        Q_EMIT part<QComboBox>("targetPicker")->activated(2);
        part<QCheckBox>("privateBox")->setChecked(true);
        part<QComboBox>("pagePicker")->setCurrentIndex(1);
        m_window->setGeometry(120, 80, 1200, 900);
        QWidget *handle = part("splitHandle");
        const int listWidth = list()->parentWidget()->width() + 130;
        QTest::mousePress(handle, Qt::LeftButton, {}, {8, 100});
        QTest::mouseMove(handle, {138, 100});
        QTest::mouseRelease(handle, Qt::LeftButton, {}, {138, 100});
        QTRY_COMPARE(list()->parentWidget()->width(), listWidth);
        click("openButton");
        QTRY_COMPARE(text("statusLine"), u"Opened acme-dev (Setup) in Chrome - work."_s);
        QVERIFY(part("forgetTargetButton")->isVisible());
        const auto shown = [this]() -> QString {
            return part<QComboBox>("targetPicker")->currentText() + (part<QCheckBox>("privateBox")->isChecked() ? u"|private|"_s : u"|-|"_s)
                + part<QComboBox>("pagePicker")->currentText();
        };
        const QRect placed = m_window->geometry();
        m_window->close();
        cleanup();
        init();
        openWindow(orgListJson(kThree), true, file);
        QCOMPARE(shown() + u'|' + texts({"orgTitle"}), u"Chrome - work|private|Setup|acme-dev"_s);
        screenshot(m_window.get(), u"remembered-target"_s);
        QCOMPARE(m_window->geometry(), placed);
        QCOMPARE(list()->parentWidget()->width(), listWidth);
        QTest::keyClick(m_window.get(), Qt::Key_Return, Qt::ControlModifier);
        QTRY_COMPARE(m_fake->commands().constLast(), u"org open --target-org acme-dev --url-only --json --path /lightning/setup/SetupOneHome/home"_s);
        clickRow(1); // beta-uat, never opened
        QCOMPARE(shown(), u"System default|-|Home"_s);
        QVERIFY(!part("forgetTargetButton")->isVisible());
        QTest::keyClick(m_window.get(), Qt::Key_Return, Qt::ControlModifier); // opened on its home, remembered so
        QTRY_VERIFY(part("forgetTargetButton")->isVisible());
        writeLocalState({});
        click("reloadTargetsButton");
        clickRow(0);
        QCOMPARE(shown() + u'|' + text("statusLine"), u"System default|private|Setup|acme-dev was last opened in chrome-Profile 2, "
                                                        "which is no longer offered: the system browser is chosen instead."_s);
        click("forgetTargetButton");
        QCOMPARE(shown() + u'|' + text("statusLine"), u"System default|-|Home|Where acme-dev opens is forgotten: the system browser again."_s);
        QVERIFY(!TargetMemory(file).recall(store().orgs().constFirst()));
        clickRow(1);
        QCOMPARE(shown(), u"System default|-|Home"_s);
        // Left on a monitor that is gone: it comes back whole on the screen there is.
        m_window->move(4000, 3000);
        m_window->close();
        cleanup();
        init();
        openWindow(orgListJson(kThree), true, file);
        QVERIFY(m_window->screen()->availableGeometry().contains(m_window->frameGeometry()));
    }

    // What the CLI prints shows bounded and as it is: an 8.7 MB error as an excerpt in a pane that keeps its
    // height (all of it a right-click away), invalid UTF-8 named, invisible characters marked; expiry warns in orange.
    void hostileOutputs()
    {
        openWindow();
        const auto colour = [this] { return part<QLabel>("statusLine")->palette().color(QPalette::WindowText); };
        const QColor orange = Theme::warningOrange(part<QLabel>("statusLine")->palette());
        refreshWith("Error (X): the refresh token has Expired; log in again", 1);
        QCOMPARE(colour(), orange);
        // The CLI's document read: its message and name, the next step; the document a copy away.
        const QByteArray expired = "{\"name\":\"RefreshTokenAuthError\",\"message\":\"Error authenticating with the refresh token due to: "
                                   "expired access/refresh token\",\"stack\":\"RefreshTokenAuthError: at x\"}";
        refreshWith(expired, 1);
        QCOMPARE(text("statusLine"), u"Error authenticating with the refresh token due to: expired access/refresh token (RefreshTokenAuthError)\n"
                                     "Log in to the org again: New Connection, with the same alias.\n"
                                     "(What the CLI printed: right-click, Copy Whole Message.)"_s);
        part<QAction>("copyWholeMessage")->trigger();
        QVERIFY(QGuiApplication::clipboard()->text().endsWith("\n\n"_L1 + QString::fromUtf8(expired)) && colour() == orange);
        // Said as a notification inside the status bar, which a screen reader speaks wherever the keyboard is.
        QAccessibleInterface *said = QAccessible::queryAccessibleInterface(part("statusLine")->findChild<QWidget *>(u"statusAnnouncer"_s));
        QVERIFY(said->role() == QAccessible::Notification && said->parent()->role() == QAccessible::StatusBar);
        QVERIFY2(said->text(QAccessible::Name).startsWith("Warning: Error authenticating with the refresh token"_L1), qPrintable(said->text(QAccessible::Name)));
        const QString address = "https://acme.example/"_L1 + QString(99, u'x'); // wrapped where it is shown, copied whole
        refreshWith("Error (X): acme\u200Bprod cannot reach "_ba + address.toLatin1(), 1);
        QVERIFY(colour() != orange);
        part<QLabel>("statusLine")->setSelection(0, int(text("statusLine").size()));
        QTest::keyClick(part("statusLine"), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), "Error (X): acme<U+200B>prod cannot reach "_L1 + address);
        const int height = m_window->findChild<DetailsPane *>()->height();
        refreshWith(QByteArray(QByteArray(999, 'e') + '\n').repeated(8700), 1);
        const QString shown = text("statusLine");
        QVERIFY2(shown.size() < 17'000 && shown.endsWith(u"right-click to copy the whole message)"_s), qPrintable(shown.right(100)));
        QCOMPARE(m_window->findChild<DetailsPane *>()->height(), height);
        part<QAction>("copyWholeMessage")->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text().size(), 2 * 1024 * 1024 + "\n[... 6.30 MiB left out ...]\n"_L1.size());
        QVERIFY(colour() != orange);
        refreshWith("{\"status\":0,\"result\":{\"other\":[\xff]}}");
        QCOMPARE(text("statusLine"), u"Unexpected org list from sf: not valid UTF-8."_s);
        QStringList named;
        for (const char *alias : {"\\u202Egnp.xcod\\u2069", "a\\u001b[31mred", "two\\nlines", "acme\\u200Bprod"})
            named << u"{\"username\":\"u@x.com\",\"instanceUrl\":\"https://x.example\",\"alias\":\"%1\",\"connectedStatus\":\"Connected\"}"_s.arg(QLatin1StringView(alias));
        refreshWith(orgListJson(named));
        QCOMPARE(rows() + u'|' + text("orgTitle"), u"a\u241b[31mred|acme<U+200B>prod|two\u2026|<U+202E>gnp.xcod<U+2069>|a\u241b[31mred"_s);
        refreshWith(orgListJson({u"{\"username\":\"u@x.com\",\"instanceUrl\":\"https://x.example\",\"alias\":\"%1\"}"_s.arg(QString(5000, u'w'))}));
        QCOMPARE(part<QLabel>("orgTitle")->toolTip().size(), 5000); // a name cut, never a wider window
        QCOMPARE(part<QScrollArea>("contentScroller")->horizontalScrollBar()->maximum(), 0);
        const QPalette light = QApplication::palette();
        QApplication::setPalette(QPalette(QColor(58, 58, 60), QColor(30, 30, 32)));
        QTRY_VERIFY(part<QLabel>("emptyHint")->palette().color(QPalette::WindowText).lightnessF() > 0.5);
        screenshot(m_window.get(), u"dark-palette"_s);
        QApplication::setPalette(light);
    }

    // WCAG AA on the pixels drawn, in the light look, Adwaita dark (as Qt 6.4's gtk3 theme gives it) and
    // a high-contrast palette: text 4.5:1 (the status line at every severity, the selected row, filled
    // buttons), edges 3:1 (check box, text field, the dot on the selection), a focus cue that changes
    // 3:1; and each severity told by an icon and a word as well as by colour.
    void contrast()
    {
        openWindow();
        const auto luminance = [](const QColor &c) {
            const auto linear = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
            return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
        };
        const auto ratio = [&](const QColor &x, const QColor &y) {
            const double a = luminance(x), b = luminance(y);
            return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
        };
        const auto over = [](const QColor &top, const QColor &under) {
            const double a = top.alphaF();
            return QColor::fromRgbF(float(top.redF() * a + under.redF() * (1 - a)), float(top.greenF() * a + under.greenF() * (1 - a)),
                                    float(top.blueF() * a + under.blueF() * (1 - a)));
        };
        const auto best = [&](const QImage &image, QRect area, const QColor &against) { // the strongest edge in `area`
            double most = 1;
            area &= image.rect();
            for (int y = area.top(); y <= area.bottom(); ++y)
                for (int x = area.left(); x <= area.right(); ++x)
                    most = std::max(most, ratio(image.pixelColor(x, y), against));
            return most;
        };
        const QPalette light = QApplication::palette();
        QPalette dark(QColor(0x32, 0x32, 0x32), QColor(0x32, 0x32, 0x32));
        QPalette high(Qt::black, Qt::black);
        for (const auto &[palette, colours] : {std::pair{&dark, "f0f0f0 242424 308cc6 f0f0f0"}, std::pair{&high, "ffffff 000000 1aebff 000000"}}) {
            const QStringList c = QString::fromLatin1(colours).split(u' ');
            palette->setColor(QPalette::WindowText, QColor(u'#' + c[0]));
            palette->setColor(QPalette::Text, QColor(u'#' + c[0]));
            palette->setColor(QPalette::ButtonText, QColor(u'#' + c[0]));
            palette->setColor(QPalette::Base, QColor(u'#' + c[1]));
            palette->setColor(QPalette::Highlight, QColor(u'#' + c[2]));
            palette->setColor(QPalette::HighlightedText, QColor(u'#' + c[3]));
        }
        QStringList said;
        for (const QPalette *palette : {&light, static_cast<const QPalette *>(&dark), static_cast<const QPalette *>(&high)}) {
            QApplication::setPalette(*palette);
            QTRY_COMPARE(m_window->findChild<DetailsPane *>()->palette().color(QPalette::WindowText), palette->color(QPalette::WindowText));
            const QColor panel = over(Theme::panelFill(*palette), palette->color(QPalette::Window));
            for (const auto severity : {StatusMessage::Severity::progress, StatusMessage::Severity::success,
                                        StatusMessage::Severity::warning, StatusMessage::Severity::error}) {
                m_window->findChild<DetailsPane *>()->setStatus({u"Something happened."_s, severity});
                const double text = ratio(over(part<QLabel>("statusLine")->palette().color(QPalette::WindowText), panel), panel);
                QVERIFY2(text >= 4.5, qPrintable(QString::number(text)));
                said << part<QLabel>("statusLine")->accessibleDescription() + u'/' + QString::number(!part<QLabel>("statusMark")->pixmap().isNull());
            }
            const QRect row = list()->visualRect(list()->selectionModel()->selectedRows().value(0));
            const QImage rows = list()->viewport()->grab().toImage();
            const QColor highlight = rows.pixelColor(4, row.center().y());
            QVERIFY2(ratio(list()->palette().color(QPalette::HighlightedText), highlight) >= 4.5, qPrintable(highlight.name())); // the selected row's text
            QVERIFY(best(rows, QRect(row.right() - 30, row.top(), 30, 26), highlight) >= 3); // its dot
            for (const char *name : {"openButton", "createButton", "kind:Sandbox"}) { // a filled button's text, as drawn
                const QImage drawn = part(name)->grab().toImage();
                for (const int y : {4, drawn.height() - 5})
                    QVERIFY2(ratio(part(name)->palette().color(QPalette::ButtonText), drawn.pixelColor(4, y)) >= 4.5, name);
            }
            const QImage box = part("defaultBox")->grab().toImage(), field = part("filterField")->grab().toImage();
            QVERIFY2(best(box, QRect(0, 0, 6, box.height()), panel) >= 3, qPrintable(panel.name())); // the box's left edge
            QVERIFY2(best(field, QRect(0, field.height() / 2, 2, 1), panel) >= 3, qPrintable(panel.name())); // the field's frame
            const QPalette typed = part("filterField")->palette(); // and its placeholder, the one label it shows
            QVERIFY(ratio(over(typed.color(QPalette::PlaceholderText), typed.color(QPalette::Base)), typed.color(QPalette::Base)) >= 4.5);
            for (const char *name : {"openButton", "reloadTargetsButton"}) { // focused, enough pixels change 3:1: a ring, not a hairline
                part(name)->clearFocus();
                const QImage before = part(name)->grab().toImage();
                part(name)->setFocus();
                QVERIFY2(part(name)->hasFocus(), name);
                const QImage after = part(name)->grab().toImage();
                int changed = 0;
                for (int y = 0; y < after.height(); ++y)
                    for (int x = 0; x < after.width(); ++x)
                        changed += ratio(before.pixelColor(x, y), after.pixelColor(x, y)) >= 3;
                QVERIFY2(changed >= after.width() + after.height(), name);
            }
        }
        QApplication::setPalette(high);
        screenshot(m_window.get(), u"high-contrast"_s);
        QCOMPARE(said.join(u' '), u"/0 Done/1 Warning/1 Error/1 /0 Done/1 Warning/1 Error/1 /0 Done/1 Warning/1 Error/1"_s);
        QApplication::setPalette(light);
    }

    void dialogs_data()
    {
        QTest::addColumn<QString>("org");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("plain") << u"acme-dev+"_s << QString();
        // Data that looks like markup is shown as the literal text, with no live link.
        QTest::newRow("markup") << u"{\"username\":\"<i>u</i>@x.com\",\"instanceUrl\":\"https://x.example\",\"alias\":"
                                   "\"<b>Bold</b> <a href=\\\"https://evil.example\\\">click</a>\",\"connectedStatus\":\"Connected\"}"_s
                                << u"markup-"_s;
    }

    // Delete and export each ask first, naming the org; cancelled, or without a file, nothing runs;
    // confirmed with a file, the export writes it.
    void dialogs()
    {
        QFETCH(QString, org);
        QFETCH(QString, prefix);
        openWindow(orgListJson({org}));
        const CLIOrg selected = *store().selectedOrg();
        QCOMPARE(QTextDocumentFragment::fromHtml(list()->model()->index(0, 0).data(Qt::ToolTipRole).toString()).toPlainText(),
                 selected.subtitle() + "\nConnected"_L1); // the status in words, not by colour alone
        ScriptedDialogs dialogs;
        dialogs.answers = {false, true};
        click("deleteButton");
        click("exportButton"); // confirmed, but no file chosen
        QCOMPARE(m_fake->calls().size(), 2);
        const QString name = selected.displayName();
        QCOMPARE(QStringList({dialogs.asked[1].message.section(u'.', 0, 0), dialogs.asked[0].title, dialogs.asked[0].message, dialogs.asked[0].confirmLabel,
                              dialogs.asked[1].title, dialogs.asked[1].confirmLabel, dialogs.files[0].title,
                              QFileInfo(dialogs.files[0].proposedName).fileName(), dialogs.files[0].nameFilters.join(u';')}),
                 QStringList({u"The exported JSON contains an OAuth refresh token"_s, u"Delete selected Salesforce CLI connection?"_s,
                              u"This runs sf org logout for %1. You can re-create it later with New Connection."_s.arg(name),
                              u"Delete Connection"_s, u"Export selected connection auth JSON?"_s, u"Export Auth JSON"_s,
                              u"Export Salesforce Auth JSON"_s, QString(name).replace(u'/', u'_') + "-sfdx-auth.json"_L1, u"JSON (*.json)"_s}));
        QVERIFY(dialogs.asked[0].destructive && !dialogs.asked[1].destructive);
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation); // else home
        QCOMPARE(QFileInfo(dialogs.files[0].proposedName).absolutePath(), QFileInfo(documents).isDir() ? documents : QDir::homePath());
        checkBox(dialogs.asked[0], prefix + "delete-dialog"_L1);
        checkBox(dialogs.asked[1], prefix + "export-dialog"_L1);
        dialogs.answers = {true, true, true};
        dialogs.nextFile = home().filePath(u"x.json"_s);
        m_fake->answer(u"org_auth_show-sfdx-auth-url"_s, "{\"result\":{\"sfdxAuthUrl\":\"force://P::x@a.example\"}}");
        click("exportButton");
        QTRY_COMPARE(text("statusLine"), "Exported auth JSON for %1. Treat this file like a password."_L1.arg(name));
        QVERIFY(QFile::remove(*dialogs.nextFile));
        click("deleteButton");
        QTRY_COMPARE(text("statusLine"), "Deleted connection %1."_L1.arg(name));
        // The list changes while the question is open: the confirmation still means that org.
        dialogs.whileAsking = [this] { refreshWith(orgListJson({u"other+"_s})); };
        click("deleteButton");
        QCOMPARE(text("statusLine"), "%1 changed while you confirmed; nothing was deleted. Refresh and try again."_L1.arg(name));
        QCOMPARE(m_fake->commands().filter(u"logout"_s).size(), 1);
    }
};

// Fixed style and font, so that screenshots compare between machines; CTest picks the screen.
int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(u"Fusion"_s));
    QApplication::setFont(QFont(u"DejaVu Sans"_s, 10));
    Translations::use({qEnvironmentVariable("TARNWICK_TEST_LANGUAGE")});
    TestWindow test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_window.moc"
