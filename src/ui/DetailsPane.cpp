#include "DetailsPane.h"

#include "DisplayText.h"
#include "Enablement.h"
#include "FlowLayout.h"
#include "OrgPage.h"
#include "ScratchExpiry.h"
#include "StatusLineAccessible.h"
#include "Theme.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

// The org's name as a title: one line, cut with an ellipsis to the width the pane gives it, so
// that no name, however long, widens the window; the whole of it is the tooltip and the
// accessible name.
class TitleLabel : public QLabel
{
public:
    using QLabel::QLabel;
    void setWholeText(const QString &text)
    {
        m_whole = text;
        setToolTip(text);
        setAccessibleName(text);
        fit();
    }
    QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }
    QSize sizeHint() const override { return {0, QLabel::sizeHint().height()}; }

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        QLabel::resizeEvent(event);
        fit();
    }

private:
    void fit() { setText(fontMetrics().elidedText(m_whole, Qt::ElideRight, contentsRect().width())); }
    QString m_whole;
};

namespace {

constexpr int kLabelWidth = 95;
constexpr int kScratchRowsFrom = 6;

QLabel *selectableValue(QWidget *parent)
{
    auto *value = new QLabel(parent);
    value->setTextFormat(Qt::PlainText);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    value->setWordWrap(true);
    value->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    return value;
}

QLabel *rowLabel(const QString &text, QWidget *parent, int width)
{
    auto *label = new QLabel(text, parent);
    label->setFixedWidth(width);
    Theme::makeSecondary(label);
    return label;
}

// A push button standing for `action`: its text, tooltip and enabled state, and a click triggers
// it. The action's keys press the button, as a button's own shortcut does, so that it shows them.
// (QToolButton::setDefaultAction would do the rest, but it looks like a tool button.)
class ActionButton : public QPushButton
{
public:
    ActionButton(QAction *action, QWidget *parent)
        : QPushButton(parent)
        , m_action(action)
    {
        setObjectName(action->objectName() + "Button"_L1);
        follow();
        connect(action, &QAction::changed, this, &ActionButton::follow);
        connect(this, &QPushButton::clicked, action, &QAction::trigger);
        action->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_action || event->type() != QEvent::Shortcut)
            return QPushButton::eventFilter(watched, event);
        animateClick();
        return true;
    }

private:
    void follow()
    {
        setText(m_action->text());
        // Without a tooltip of its own an action offers its text; the button then has none.
        setToolTip(m_action->toolTip() == m_action->iconText() ? QString() : m_action->toolTip());
        setEnabled(m_action->isEnabled());
    }

    QAction *m_action;
};

// The message as shown: a copy leaves out the wrapping points of long words.
class StatusLabel : public QLabel
{
public:
    using QLabel::QLabel;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->matches(QKeySequence::Copy) && hasSelectedText()) {
            QGuiApplication::clipboard()->setText(DisplayText::withoutWrapPoints(selectedText()));
            event->accept();
            return;
        }
        QLabel::keyPressEvent(event);
    }
};

} // namespace

DetailsPane::DetailsPane(QWidget *parent)
    : Panel(parent)
    , m_orgActions(OrgAction::all())
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(22, 22, 22, 22);
    column->setSpacing(18);
    m_blocks = new QStackedWidget(this);
    m_blocks->setObjectName(u"blocks"_s);
    column->addWidget(m_blocks);
    buildEmptyBlock();
    m_blocks->addWidget(buildOrgBlock());
    column->addStretch(1);
    auto *divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Plain);
    divider->setForegroundRole(QPalette::Mid);
    column->addWidget(divider);
    buildStatusLine(column);
    showOrg(std::nullopt, {});
}

void DetailsPane::buildEmptyBlock()
{
    auto *empty = new QWidget(m_blocks);
    auto *emptyLayout = new QVBoxLayout(empty);
    emptyLayout->setContentsMargins(0, 0, 0, 0);
    auto *emptyTitle = new QLabel(tr("Select a CLI connection"), empty);
    Theme::applyFont(emptyTitle, Theme::TextStyle::LargeTitle, Theme::Emphasis::Bold);
    auto *emptyHint = new QLabel(tr("Use Refresh if the list is empty."), empty);
    emptyHint->setObjectName(u"emptyHint"_s);
    Theme::makeSecondary(emptyHint);
    emptyLayout->addWidget(emptyTitle);
    emptyLayout->addWidget(emptyHint);
    emptyLayout->addStretch(1);
    m_blocks->addWidget(empty);
}

QWidget *DetailsPane::buildOrgBlock()
{
    auto *block = new QWidget(m_blocks);
    auto *column = new QVBoxLayout(block);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(18);
    m_orgTitle = new TitleLabel(block);
    m_orgTitle->setObjectName(u"orgTitle"_s);
    m_orgTitle->setTextFormat(Qt::PlainText);
    m_orgTitle->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Theme::applyFont(m_orgTitle, Theme::TextStyle::LargeTitle, Theme::Emphasis::Bold);
    column->addWidget(m_orgTitle);
    m_unreachableNote = new QLabel(block);
    m_unreachableNote->setObjectName(u"unreachableNote"_s);
    m_unreachableNote->setTextFormat(Qt::PlainText);
    m_unreachableNote->setWordWrap(true);
    column->addWidget(m_unreachableNote);
    buildDetailRows(block, column);
    buildOpenRows(block, column);
    buildActionRow(block, column);
    return block;
}

void DetailsPane::buildDetailRows(QWidget *block, QVBoxLayout *column)
{
    auto *rows = new QGridLayout;
    rows->setHorizontalSpacing(12);
    rows->setVerticalSpacing(8);
    rows->setColumnStretch(1, 1);
    // The last three only for a scratch org.
    const std::pair<const char *, QString> rowLabels[] = {
        {"status", tr("Status")},   {"username", tr("Username")}, {"instanceUrl", tr("Instance URL")},
        {"loginUrl", tr("Login URL")}, {"orgId", tr("Org ID")},    {"clientId", tr("Client")},
        {"devHub", tr("Dev Hub")},  {"edition", tr("Edition")},   {"expiry", tr("Expiry")}};
    // One width for every label: the longest one's, in whatever language they are.
    m_labelWidth = std::max({kLabelWidth, fontMetrics().horizontalAdvance(tr("Open in")) + 4,
                             fontMetrics().horizontalAdvance(tr("Page")) + 4});
    for (const auto &[key, text] : rowLabels)
        m_labelWidth = std::max(m_labelWidth, fontMetrics().horizontalAdvance(text) + 4);
    for (const auto &[key, text] : rowLabels) {
        QLabel *value = selectableValue(block);
        value->setObjectName("value:"_L1 + QLatin1StringView(key));
        const int row = static_cast<int>(m_rowValues.size());
        QLabel *label = rowLabel(text, block, m_labelWidth);
        label->setBuddy(value); // a screen reader reads the value with its label
        rows->addWidget(label, row, 0, Qt::AlignTop | Qt::AlignLeft);
        rows->addWidget(value, row, 1, Qt::AlignTop);
        m_rowValues.append(value);
        if (row >= kScratchRowsFrom) {
            m_scratchRows << label << value;
            label->hide();
            value->hide();
        }
    }
    column->addLayout(rows);
}

// A labelled row that starts with a picker; the rest of the row is the caller's.
QHBoxLayout *DetailsPane::pickerRow(QWidget *block, QVBoxLayout *column, const QString &label, const char *name,
                                    QComboBox *&picker)
{
    auto *row = new QHBoxLayout;
    row->setSpacing(12);
    QLabel *caption = rowLabel(label, block, m_labelWidth);
    row->addWidget(caption, 0, Qt::AlignVCenter);
    picker = new QComboBox(block);
    caption->setBuddy(picker); // on AT-SPI a combo box is named by its value; the label comes as its relation
    picker->setObjectName(QLatin1StringView(name));
    picker->setFixedWidth(250);
    picker->setAccessibleName(label);
    row->addWidget(picker, 0, Qt::AlignVCenter);
    column->addLayout(row);
    return row;
}

void DetailsPane::buildOpenRows(QWidget *block, QVBoxLayout *column)
{
    QHBoxLayout *openInRow = pickerRow(block, column, tr("Open in"), "targetPicker", m_targetPicker);
    // What follows the picker wraps under it on a narrow screen, the caption level with the picker.
    QWidget *caption = openInRow->itemAt(0)->widget();
    caption->setMinimumHeight(m_targetPicker->sizeHint().height());
    openInRow->setAlignment(caption, Qt::AlignTop);
    openInRow->removeWidget(m_targetPicker);
    auto *openIn = new FlowLayout(12, 8);
    openInRow->addLayout(openIn, 1);
    openIn->addWidget(m_targetPicker);
    auto *reload = new QAction(tr("Reload"), this);
    reload->setObjectName(u"reloadTargets"_s);
    reload->setToolTip(tr("Look for browsers and their profiles again"));
    connect(reload, &QAction::triggered, this, &DetailsPane::reloadTargetsRequested);
    block->addAction(reload);
    m_enabled.append({reload, Enablement::Rule::always});
    openIn->addWidget(new ActionButton(reload, block));
    m_privateBox = new QCheckBox(tr("Private window"), block);
    m_privateBox->setObjectName(u"privateBox"_s);
    openIn->addWidget(m_privateBox);
    // Each org opens where it was opened last; Forget goes back to the system browser.
    m_forget = new QAction(tr("Forget"), this);
    m_forget->setObjectName(u"forgetTarget"_s);
    m_forget->setToolTip(tr("Stop remembering where this org opens"));
    m_forget->setEnabled(false);
    connect(m_forget, &QAction::triggered, this, &DetailsPane::forgetRequested);
    m_forgetButton = new ActionButton(m_forget, block);
    m_forgetButton->hide(); // shown while there is a choice to forget
    openIn->addWidget(m_forgetButton);
    connect(m_targetPicker, &QComboBox::activated, this,
            [this](int index) { Q_EMIT targetChosen(m_targetPicker->itemData(index).toString()); });

    // The page of the org to start on; "Custom path..." shows a field for any path.
    QHBoxLayout *pageRow = pickerRow(block, column, tr("Page"), "pagePicker", m_pagePicker);
    for (const OrgPage &page : OrgPage::all())
        m_pagePicker->addItem(page.shownLabel(), page.path.isEmpty() ? QString() : page.id);
    m_pagePicker->addItem(tr("Custom path..."), u"custom"_s);
    pageRow->addWidget(m_pagePicker, 0, Qt::AlignVCenter);
    m_pathField = new QLineEdit(block);
    m_pathField->setObjectName(u"pathField"_s);
    m_pathField->setPlaceholderText(tr("/lightning/setup/SetupOneHome/home, or a pasted address of the org"));
    m_pathField->hide();
    pageRow->addWidget(m_pathField, 1, Qt::AlignVCenter);
    pageRow->addStretch(0);
    connect(m_pagePicker, &QComboBox::currentIndexChanged, this,
            [this] { m_pathField->setVisible(m_pagePicker->currentData() == "custom"_L1); });
}

// Each action of the table: its keys live while the org shows, its button (if it has one) in a
// row in the table's order.
void DetailsPane::buildActionRow(QWidget *block, QVBoxLayout *column)
{
    auto *row = new FlowLayout(10, 10);
    for (qsizetype i = 0; i < m_orgActions.size(); ++i) {
        const OrgAction &orgAction = m_orgActions.at(i);
        auto *action = new QAction(orgAction.label, this);
        action->setObjectName(QLatin1StringView(orgAction.name));
        action->setShortcuts(orgAction.keys);
        if (!orgAction.toolTip.isEmpty()) {
            action->setToolTip(orgAction.keys.isEmpty()
                                   ? orgAction.toolTip
                                   : orgAction.toolTip.arg(orgAction.keys.first().toString(QKeySequence::NativeText)));
        }
        connect(action, &QAction::triggered, this, [this, i] { Q_EMIT orgActionTriggered(m_orgActions.at(i)); });
        block->addAction(action);
        m_enabled.append({action, orgAction.enabledWhen});
        if (orgAction.button == OrgAction::Button::none)
            continue;
        auto *button = new ActionButton(action, block);
        if (orgAction.button == OrgAction::Button::prominent)
            Theme::makeProminent(button);
        else if (orgAction.button == OrgAction::Button::destructive)
            Theme::makeDestructive(button);
        button->setMinimumHeight(32);
        row->addWidget(button);
    }
    column->addLayout(row);
}

// A long CLI error stays within a few lines and scrolls instead of pushing the layout.
void DetailsPane::buildStatusLine(QVBoxLayout *column)
{
    StatusLineAccessible::install();
    m_statusLine = new StatusLabel(this);
    m_statusLine->setObjectName(u"statusLine"_s);
    m_announcer = StatusLineAccessible::announcer(m_statusLine);
    m_statusLine->setTextFormat(Qt::PlainText);
    m_statusLine->setWordWrap(true);
    m_statusLine->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_statusLine->setFocusPolicy(Qt::StrongFocus); // Tab reaches the message, to select and copy it
    m_statusLine->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Theme::applyFont(m_statusLine, Theme::TextStyle::Callout);
    // A long message shows cut; the whole of it is a right-click away.
    m_statusLine->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto *copySelection = new QAction(tr("Copy"), m_statusLine);
    connect(copySelection, &QAction::triggered, this,
            [this] { QGuiApplication::clipboard()->setText(DisplayText::withoutWrapPoints(m_statusLine->selectedText())); });
    auto *copyWhole = new QAction(tr("Copy Whole Message"), m_statusLine);
    copyWhole->setObjectName(u"copyWholeMessage"_s);
    connect(copyWhole, &QAction::triggered, this, [this] { QGuiApplication::clipboard()->setText(m_status.whole()); });
    m_statusLine->addActions({copySelection, copyWhole});
    auto *statusArea = new QScrollArea(this);
    statusArea->setObjectName(u"statusArea"_s);
    statusArea->setWidget(m_statusLine);
    statusArea->setWidgetResizable(true);
    statusArea->setFrameShape(QFrame::NoFrame);
    statusArea->setFocusPolicy(Qt::NoFocus); // the message itself takes the keyboard
    statusArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    statusArea->setMaximumHeight(QFontMetrics(m_statusLine->font()).lineSpacing() * 5 + 4);
    statusArea->viewport()->setAutoFillBackground(false);
    m_statusLine->setAutoFillBackground(false);
    // Severity by an icon as well as by colour.
    m_statusMark = new QLabel(this);
    m_statusMark->setObjectName(u"statusMark"_s);
    const int mark = QFontMetrics(m_statusLine->font()).height();
    m_statusMark->setFixedSize(mark, mark);
    auto *statusRow = new QHBoxLayout;
    statusRow->setSpacing(8);
    statusRow->addWidget(m_statusMark, 0, Qt::AlignTop);
    statusRow->addWidget(statusArea, 1);
    column->addLayout(statusRow);
}

void DetailsPane::triggerOrgAction(const char *name)
{
    for (const auto &[action, rule] : std::as_const(m_enabled)) {
        if (action->objectName() == QLatin1StringView(name))
            action->trigger();
    }
}

DetailsPane::OpenChoice DetailsPane::openChoice() const
{
    const QString page = m_pagePicker->currentData().toString();
    return {.privateWindow = m_privateBox->isChecked(), .page = page == "custom"_L1 ? m_pathField->text() : page};
}

void DetailsPane::setOpenChoice(const OpenChoice &choice, bool forgettable)
{
    m_privateBox->setChecked(choice.privateWindow);
    int page = choice.page.compare("home"_L1, Qt::CaseInsensitive) == 0 ? 0 : m_pagePicker->findData(choice.page);
    if (page < 0) { // a path of the org's own
        page = m_pagePicker->findData(u"custom"_s);
        m_pathField->setText(choice.page);
    }
    m_pagePicker->setCurrentIndex(page);
    m_forget->setEnabled(forgettable);
    m_forgetButton->setVisible(forgettable);
}

void DetailsPane::showOrg(const std::optional<CLIOrg> &org, OrgState state)
{
    m_blocks->setCurrentIndex(org ? 1 : 0);
    if (!org)
        return;
    m_orgTitle->setWholeText(DisplayText::line(org->displayName()));
    m_unreachableNote->setVisible(state.unreachable);
    if (state.unreachable) {
        m_unreachableNote->setText(tr("The Salesforce CLI cannot reach this org: another connection "
                                      "has %1 as its alias.\nRename or remove that alias to use it.")
                                       .arg(DisplayText::line(org->username)));
        QPalette p = m_unreachableNote->palette();
        p.setColor(QPalette::WindowText, Theme::warningOrange(palette()));
        m_unreachableNote->setPalette(p);
    }
    const std::optional<QDate> expires = ScratchExpiry::date(*org);
    // Ours in the user's language where we have a word for it; the CLI's own (an error code) as it is.
    const QString status = state.checking ? tr("Checking...")
        : !org->connectedStatus           ? tr("Unknown")
        : org->isConnected()              ? tr("Connected")
                                          : *org->connectedStatus;
    const QString values[] = {status,
                              org->username, org->instanceUrl,
                              org->loginUrl.value_or(QString()), org->orgId.value_or(QString()),
                              org->clientId.value_or(QString()), org->devHubUsername.value_or(QString()),
                              org->edition.value_or(QString()),
                              expires ? ScratchExpiry::text(*expires, QDate::currentDate()) : QString()};
    for (int i = 0; i < m_rowValues.size(); ++i)
        m_rowValues[i]->setText(DisplayText::line(values[i]));
    for (QLabel *part : std::as_const(m_scratchRows))
        part->setVisible(org->isScratch());
}

void DetailsPane::setTargets(const QList<OpenTarget> &targets, const QString &selectedID)
{
    m_targetPicker->clear();
    for (const OpenTarget &target : targets)
        m_targetPicker->addItem(DisplayText::line(target.label), target.id);
    m_targetPicker->setCurrentIndex(m_targetPicker->findData(selectedID));
}

void DetailsPane::setEnablement(const Enablement &enablement)
{
    for (const auto &[action, rule] : m_enabled)
        action->setEnabled(enablement.allows(rule));
}

void DetailsPane::setStatus(const StatusMessage &status)
{
    using Severity = StatusMessage::Severity;
    const bool changed = status.text != m_status.text;
    m_status = status;
    // How each severity shows: its colour, and the icon and word that say it without colour.
    struct Look
    {
        QColor colour;
        QStyle::StandardPixmap icon = QStyle::SP_CustomBase; // none
        QString word = {};
    };
    const Look look = status.severity == Severity::success ? Look{Theme::secondary(palette()), QStyle::SP_DialogApplyButton, tr("Done")}
        : status.severity == Severity::warning ? Look{Theme::warningOrange(palette()), QStyle::SP_MessageBoxWarning, tr("Warning")}
        : status.severity == Severity::error   ? Look{Theme::destructiveRed(palette()), QStyle::SP_MessageBoxCritical, tr("Error")}
                                               : Look{Theme::secondary(palette())};
    const QString shown = DisplayText::excerpt(DisplayText::lines(status.text));
    // What the CLI printed stays out of sight: a copy of the whole message holds it.
    m_statusLine->setText(shown + (status.details.isEmpty() ? QString()
                                                           : u'\n' + tr("(What the CLI printed: right-click, Copy Whole Message.)")));
    // Spoken wherever the keyboard is, errors and warnings as such; not the progress of an action,
    // which would chatter, nor to a reader on the status line, which reads it there.
    if (changed && !status.text.isEmpty() && status.severity != Severity::progress && !m_statusLine->hasFocus()) {
        const QString said = DisplayText::withoutWrapPoints(shown);
        const QString spoken = status.severity == Severity::success ? said : tr("%1: %2").arg(look.word, said);
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
        QAccessibleAnnouncementEvent announcement(m_statusLine, spoken);
        QAccessible::updateAccessibility(&announcement);
#else
        StatusLineAccessible::announce(m_announcer, spoken);
#endif
    }
    QPalette p = m_statusLine->palette();
    p.setColor(QPalette::WindowText, look.colour);
    m_statusLine->setPalette(p);
    // The word a screen reader says with the message; the icon says it to the eye.
    const bool marked = look.icon != QStyle::SP_CustomBase && !status.text.isEmpty();
    m_statusLine->setAccessibleDescription(marked ? look.word : QString());
    m_statusMark->setPixmap(marked ? style()->standardIcon(look.icon, nullptr, this).pixmap(m_statusMark->size()) : QPixmap());
    m_statusMark->setAccessibleName(marked ? look.word : QString());
    m_statusMark->setToolTip(marked ? look.word : QString());
}

void DetailsPane::changeEvent(QEvent *event)
{
    Panel::changeEvent(event);
    // The status colour follows a change of appearance.
    if (event->type() == QEvent::PaletteChange && m_statusLine)
        setStatus(m_status);
}
