#include "MainWindow.h"

#include "AppName.h"
#include "ContentView.h"
#include "Dialogs.h"
#include "OrgStore.h"
#include "SFCLI.h"
#include "BrowserLocations.h"

#include <QCloseEvent>
#include <QCoreApplication>

MainWindow::MainWindow(QWidget *parent)
    : MainWindow(SFCLI::shared(), BrowserLocations::system(), parent)
{
}

MainWindow::MainWindow(std::shared_ptr<const SFCLI> cli,
                       std::shared_ptr<const BrowserLocations> browsers, QWidget *parent)
    : QMainWindow(parent)
    , m_content(new ContentView(std::move(cli), std::move(browsers), this))
{
    setWindowTitle(appName);
    setCentralWidget(m_content);
    resize(1120, 820);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    const QList<OrgStore::RunningJob> jobs = m_content->store().runningJobs();
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
    m_content->store().shutDown(std::chrono::seconds(10));
}
