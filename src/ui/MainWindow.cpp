#include "MainWindow.h"

#include "AppName.h"
#include "ContentView.h"
#include "SFCLI.h"
#include "TargetEnvironment.h"

MainWindow::MainWindow(QWidget *parent)
    : MainWindow(SFCLI::shared(), TargetEnvironment::system(), parent)
{
}

MainWindow::MainWindow(const SFCLI &cli, const TargetEnvironment &targets, QWidget *parent)
    : QMainWindow(parent)
    , m_content(new ContentView(cli, targets, this))
{
    setWindowTitle(appName);
    setCentralWidget(m_content);
    resize(1120, 820);
}
