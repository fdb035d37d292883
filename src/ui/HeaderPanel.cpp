#include "HeaderPanel.h"

#include "AppName.h"
#include "Enablement.h"
#include "Spinner.h"
#include "Theme.h"
#include "WebAddress.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
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
    auto *title = new QLabel(appName, this);
    title->setObjectName(u"title"_s);
    title->setTextFormat(Qt::PlainText);
    Theme::applyFont(title, Theme::TextStyle::LargeTitle, Theme::Emphasis::Bold);
    auto *subtitle = new QLabel(
        tr("Opens your orgs the way an IDE plug-in does: the Salesforce CLI turns the refresh token "
           "it already holds into a browser session (sf org open), so no new login is needed."),
        this);
    subtitle->setObjectName(u"subtitle"_s);
    subtitle->setWordWrap(true);
    Theme::makeSecondary(subtitle);
    names->addWidget(title);
    names->addWidget(subtitle);
    firstRow->addLayout(names, 1);
    firstRow->addSpacing(12);

    m_spinner = new Spinner(this);
    m_spinner->setObjectName(u"spinner"_s);
    m_spinner->setAccessibleName(tr("Working"));
    QSizePolicy keepsItsPlace = m_spinner->sizePolicy(); // so that the text beside it never re-wraps
    keepsItsPlace.setRetainSizeWhenHidden(true);
    m_spinner->setSizePolicy(keepsItsPlace);
    m_spinner->hide();
    firstRow->addWidget(m_spinner, 0, Qt::AlignVCenter);

    auto *siteButton = new QPushButton(tr("На сайт"), this);
    siteButton->setObjectName(u"siteButton"_s);
    siteButton->setToolTip(linkAddress());
    // The label stays as it is in every language; what it does is said in the user's.
    siteButton->setAccessibleDescription(tr("Open the Salesforce CLI's web page in the browser"));
    connect(siteButton, &QPushButton::clicked, this, [] {
        if (const std::optional<QUrl> url = WebAddress::parse(linkAddress()))
            QDesktopServices::openUrl(*url);
    });
    firstRow->addWidget(siteButton, 0, Qt::AlignVCenter);

    m_refreshButton = new QPushButton(tr("Refresh"), this);
    m_refreshButton->setObjectName(u"refreshButton"_s);
    m_refreshButton->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    m_refreshButton->setToolTip(tr("Read the CLI's connections again (%1)")
                                    .arg(m_refreshButton->shortcut().toString(QKeySequence::NativeText)));
    connect(m_refreshButton, &QPushButton::clicked, this, &HeaderPanel::refreshRequested);
    firstRow->addWidget(m_refreshButton, 0, Qt::AlignVCenter);
    column->addLayout(firstRow);

    m_filterField = new QLineEdit(this);
    m_filterField->setObjectName(u"filterField"_s);
    m_filterField->setPlaceholderText(tr("Filter by alias, username, org id, or URL"));
    m_filterField->setAccessibleName(tr("Filter connections"));
    m_filterField->setClearButtonEnabled(true);
    connect(m_filterField, &QLineEdit::textEdited, this, &HeaderPanel::searchEdited);
    m_filterField->installEventFilter(this);
    column->addWidget(m_filterField);
    // Find reaches the filter from anywhere in the window, its text selected to be typed over.
    auto *find = new QShortcut(QKeySequence::Find, this);
    find->setContext(Qt::WindowShortcut);
    connect(find, &QShortcut::activated, m_filterField, [this] {
        m_filterField->setFocus(Qt::ShortcutFocusReason);
        m_filterField->selectAll();
    });
}

void HeaderPanel::focusFilter() { m_filterField->setFocus(Qt::OtherFocusReason); }

void HeaderPanel::setBusy(bool busy, const QString &waitingFor)
{
    m_spinner->setAccessibleDescription(busy ? waitingFor : QString());
    m_spinner->setVisible(busy);
}

void HeaderPanel::setEnablement(const Enablement &enablement)
{
    m_refreshButton->setEnabled(enablement.allows(Enablement::Rule::idle));
}

void HeaderPanel::setSearch(const QString &text)
{
    if (m_filterField->text() != text)
        m_filterField->setText(text);
}

bool HeaderPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_filterField && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Down) {
        Q_EMIT downFromFilter();
        return true;
    }
    return Panel::eventFilter(watched, event);
}
