#include "MainWindow.h"

#include "AppName.h"
#include "ContentView.h"
#include "ContrastStyle.h"
#include "Dialogs.h"
#include "OrgStore.h"
#include "TargetMemory.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QWindow>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr QSize kMinimumSize(980, 720);
}

MainWindow::MainWindow(OrgStore *store, std::shared_ptr<const BrowserLocations> browsers, QWidget *parent)
    : QMainWindow(parent)
    , m_store(store)
    , m_content((ContrastStyle::install(), new ContentView(store, std::move(browsers)))) // styled from the start
{
    setWindowTitle(appName);
    auto *scroller = new QScrollArea(this);
    scroller->setObjectName(u"contentScroller"_s);
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setFocusPolicy(Qt::NoFocus); // a stop with nothing to show; it scrolls to the focused part
    scroller->setWidgetResizable(true);
    scroller->setWidget(m_content);
    setCentralWidget(scroller);
    // Room for an org's details with the page row and the unreachable note, and for a vertical
    // scroll bar beside the content on a short screen, so that no horizontal one is needed;
    // fitToScreen bounds it by the screen.
    const int bar = scroller->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroller);
    resize(std::max(1120, m_content->minimumSizeHint().width() + bar), 880);
    // As the user left it; fitToScreen keeps it on the screens there are now.
    if (const TargetMemory *memory = m_store->targetMemory()) {
        restoreGeometry(memory->windowValue(u"geometry"_s));
        m_content->setListWidth(memory->windowValue(u"listWidth"_s).toInt());
    }
}

void MainWindow::rememberGeometry()
{
    if (TargetMemory *memory = m_store->targetMemory(); memory && !m_geometryKept) {
        m_geometryKept = true;
        memory->setWindowValue(u"geometry"_s, saveGeometry());
        memory->setWindowValue(u"listWidth"_s, QByteArray::number(m_content->listWidth()));
    }
}

bool MainWindow::event(QEvent *event)
{
    const bool handled = QMainWindow::event(event);
    // The window manager tells the frame's size only after the window is shown.
    const QEvent::Type type = event->type();
    const bool frameChanged = (type == QEvent::Show || type == QEvent::Move) && windowHandle()
        && m_fittedFrame != windowHandle()->frameMargins();
    if (frameChanged || type == QEvent::ScreenChangeInternal)
        fitToScreen();
    return handled;
}

void MainWindow::fitToScreen()
{
    const QScreen *screen = this->screen();
    if (!screen || !windowHandle())
        return;
    const QMargins frame = windowHandle()->frameMargins();
    m_fittedFrame = frame;
    const QRect available = screen->availableGeometry();
    const QSize room = available.size().shrunkBy(frame);
    // The content's own minimum is what its layout needs; past that it scrolls, never squeezes.
    // As wide as that beside a vertical scroll bar, so that no horizontal one hides the ends of
    // its rows (Refresh, Import JSON), in any language; never wider than the screen.
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, centralWidget());
    const QSize wanted(std::max(kMinimumSize.width(), m_content->minimumSizeHint().width() + bar), kMinimumSize.height());
    setMinimumSize(wanted.boundedTo(room));
    if (width() > room.width() || height() > room.height())
        resize(size().boundedTo(room));
    const QRect outer = frameGeometry();
    if (!available.contains(outer)) {
        const auto within = [](int at, int from, int length, int space) {
            return std::max(from, std::min(at, from + space - length));
        };
        move(within(outer.left(), available.left(), outer.width(), available.width()),
             within(outer.top(), available.top(), outer.height(), available.height()));
    }
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    const QList<OrgStore::RunningJob> jobs = m_store->runningJobs();
    if (!m_quitting && !jobs.isEmpty()) {
        QStringList running;
        for (const OrgStore::RunningJob &job : jobs)
            running.append(job.startMessage);
        Dialogs::Confirmation request;
        request.title = tr("Quit while an action is running?");
        request.message = running.join(u'\n') + u"\n\n"
            + tr("A login in progress is cancelled; any other command gets up to ten seconds to finish.");
        request.confirmLabel = tr("Quit");
        request.cancelLabel = tr("Keep Running");
        if (!Dialogs::confirm(this, request)) {
            event->ignore();
            return;
        }
    }
    rememberGeometry();
    event->accept();
}

void MainWindow::quitWithoutAsking()
{
    m_quitting = true;
    close();
    QCoreApplication::quit(); // also ends a dialog's own event loop
}

void MainWindow::finishJobs()
{
    hide();
    m_store->shutDown(std::chrono::seconds(10));
}
