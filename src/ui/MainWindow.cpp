#include "MainWindow.h"

#include "AppName.h"
#include "ContentView.h"
#include "SFCLI.h"
#include "BrowserLocations.h"

MainWindow::MainWindow(QWidget *parent)
    : MainWindow(SFCLI::shared(), BrowserLocations::system(), parent)
{
}

MainWindow::MainWindow(std::shared_ptr<const SFCLI> cli,
                       std::shared_ptr<const BrowserLocations> browsers, QWidget *parent)
    : QMainWindow(parent)
{
    setWindowTitle(appName);
    setCentralWidget(new ContentView(std::move(cli), std::move(browsers), this));
    resize(1120, 820);
}
