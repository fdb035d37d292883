#include "HeaderPanel.h"

#include "AppName.h"
#include "Spinner.h"
#include "Theme.h"
#include "WebAddress.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

QString HeaderPanel::linkAddress() { return u"https://developer.salesforce.com/tools/salesforcecli"_s; }

HeaderPanel::HeaderPanel(QWidget *parent)
    : Panel(parent)
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(16, 16, 16, 16);
    column->setSpacing(10);

    auto *firstRow = new QHBoxLayout;
    auto *names = new QVBoxLayout;
    names->setSpacing(4);
    title = new QLabel(appName, this);
    title->setTextFormat(Qt::PlainText);
    Theme::applyFont(title, Theme::TextStyle::LargeTitle, true);
    subtitle = new QLabel(
        tr("Opens your orgs the way an IDE plug-in does: the Salesforce CLI turns the refresh token "
           "it already holds into a browser session (sf org open), so no new login is needed."),
        this);
    subtitle->setWordWrap(true);
    Theme::makeSecondary(subtitle);
    names->addWidget(title);
    names->addWidget(subtitle);
    firstRow->addLayout(names, 1);
    firstRow->addSpacing(12);

    spinner = new Spinner(this);
    spinner->setAccessibleName(tr("Working"));
    spinner->hide();
    firstRow->addWidget(spinner, 0, Qt::AlignVCenter);

    siteButton = new QPushButton(u"На сайт"_s, this);
    siteButton->setToolTip(linkAddress());
    connect(siteButton, &QPushButton::clicked, this, [] {
        if (const std::optional<QUrl> url = WebAddress::parse(linkAddress()))
            QDesktopServices::openUrl(*url);
    });
    firstRow->addWidget(siteButton, 0, Qt::AlignVCenter);

    refreshButton = new QPushButton(tr("Refresh"), this);
    refreshButton->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    refreshButton->setToolTip(tr("Read the CLI's connections again (%1)")
                                  .arg(refreshButton->shortcut().toString(QKeySequence::NativeText)));
    firstRow->addWidget(refreshButton, 0, Qt::AlignVCenter);
    column->addLayout(firstRow);

    filterField = new QLineEdit(this);
    filterField->setPlaceholderText(tr("Filter by alias, username, org id, or URL"));
    filterField->setClearButtonEnabled(true);
    column->addWidget(filterField);
}
