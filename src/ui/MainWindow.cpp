#include "MainWindow.h"

#include "AppName.h"

#include <QLabel>
#include <QVBoxLayout>

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    setWindowTitle(appName);

    auto *content = new QWidget(this);
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(18, 18, 18, 18);
    auto *title = new QLabel(appName, content);
    title->setTextFormat(Qt::PlainText);
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 2);
    titleFont.setBold(true);
    title->setFont(titleFont);
    layout->addWidget(title, 0, Qt::AlignHCenter | Qt::AlignBottom);
    auto *note = new QLabel(tr("Org connections of the Salesforce CLI"), content);
    note->setForegroundRole(QPalette::PlaceholderText);
    layout->addWidget(note, 1, Qt::AlignHCenter | Qt::AlignTop);
    content->setMinimumSize(980, 720);
    setCentralWidget(content);
}
