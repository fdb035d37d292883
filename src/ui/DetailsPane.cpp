#include "DetailsPane.h"

#include "Theme.h"

#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QStackedWidget>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kLabelWidth = 95;

QLabel *selectableValue(QWidget *parent)
{
    auto *value = new QLabel(parent);
    value->setTextFormat(Qt::PlainText);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    value->setWordWrap(true);
    value->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    return value;
}

QLabel *rowLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setFixedWidth(kLabelWidth);
    Theme::makeSecondary(label);
    return label;
}

} // namespace

DetailsPane::DetailsPane(QWidget *parent)
    : Panel(parent)
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(22, 22, 22, 22);
    column->setSpacing(18);

    blocks = new QStackedWidget(this);
    column->addWidget(blocks);

    auto *empty = new QWidget(blocks);
    auto *emptyLayout = new QVBoxLayout(empty);
    emptyLayout->setContentsMargins(0, 0, 0, 0);
    emptyTitle = new QLabel(tr("Select a CLI connection"), empty);
    Theme::applyFont(emptyTitle, Theme::TextStyle::LargeTitle, true);
    emptyHint = new QLabel(tr("Use Refresh if the list is empty."), empty);
    Theme::makeSecondary(emptyHint);
    emptyLayout->addWidget(emptyTitle);
    emptyLayout->addWidget(emptyHint);
    emptyLayout->addStretch(1);
    blocks->addWidget(empty);

    auto *orgBlock = new QWidget(blocks);
    auto *orgLayout = new QVBoxLayout(orgBlock);
    orgLayout->setContentsMargins(0, 0, 0, 0);
    orgLayout->setSpacing(18);
    orgTitle = new QLabel(orgBlock);
    orgTitle->setTextFormat(Qt::PlainText);
    orgTitle->setTextInteractionFlags(Qt::TextSelectableByMouse);
    orgTitle->setWordWrap(true);
    Theme::applyFont(orgTitle, Theme::TextStyle::LargeTitle, true);
    orgLayout->addWidget(orgTitle);

    auto *rows = new QGridLayout;
    rows->setHorizontalSpacing(12);
    rows->setVerticalSpacing(8);
    rows->setColumnStretch(1, 1);
    for (int i = 0; i < kRowLabels.size(); ++i) {
        QLabel *value = selectableValue(orgBlock);
        rows->addWidget(rowLabel(kRowLabels[i], orgBlock), i, 0, Qt::AlignTop | Qt::AlignLeft);
        rows->addWidget(value, i, 1, Qt::AlignTop);
        rowValues.append(value);
    }
    orgLayout->addLayout(rows);

    auto *openIn = new QHBoxLayout;
    openIn->setSpacing(12);
    openIn->addWidget(rowLabel(tr("Open in"), orgBlock), 0, Qt::AlignVCenter);
    targetPicker = new QComboBox(orgBlock);
    targetPicker->setFixedWidth(250);
    targetPicker->setAccessibleName(tr("Open in"));
    openIn->addWidget(targetPicker, 0, Qt::AlignVCenter);
    reloadTargetsButton = new QPushButton(tr("Reload"), orgBlock);
    reloadTargetsButton->setToolTip(tr("Look for Google Chrome and its profiles again"));
    openIn->addWidget(reloadTargetsButton, 0, Qt::AlignVCenter);
    openIn->addStretch(1);
    orgLayout->addLayout(openIn);
    connect(targetPicker, &QComboBox::activated, this,
            [this](int index) { Q_EMIT targetChosen(targetPicker->itemData(index).toString()); });

    auto *actions = new QHBoxLayout;
    actions->setSpacing(10);
    openButton = new QPushButton(tr("Open Connection"), orgBlock);
    Theme::makeProminent(openButton);
    // Ctrl+Return (Command-Return on macOS), and the same with the keypad's Enter.
    openButton->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return));
    auto *keypadEnter = new QShortcut(QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Enter)), this);
    connect(keypadEnter, &QShortcut::activated, this, [this] {
        if (openButton->isEnabled() && openButton->isVisible())
            openButton->animateClick();
    });
    openButton->setToolTip(tr("Open the org in a browser session (%1)")
                               .arg(openButton->shortcut().toString(QKeySequence::NativeText)));
    setDefaultButton = new QPushButton(tr("Set Default"), orgBlock);
    setDefaultButton->setToolTip(tr("Make this org the CLI's default org"));
    copyTargetButton = new QPushButton(tr("Copy Target"), orgBlock);
    copyTargetButton->setToolTip(tr("Copy the alias or username to the clipboard"));
    deleteButton = new QPushButton(tr("Delete Connection"), orgBlock);
    Theme::makeDestructive(deleteButton);
    exportButton = new QPushButton(tr("Export JSON"), orgBlock);
    exportButton->setToolTip(tr("Save the connection as an SFDX auth URL file (connected orgs only)"));
    for (QPushButton *button : {openButton, setDefaultButton, copyTargetButton, deleteButton, exportButton}) {
        button->setMinimumHeight(32);
        actions->addWidget(button);
    }
    actions->addStretch(1);
    orgLayout->addLayout(actions);
    blocks->addWidget(orgBlock);

    column->addStretch(1);
    auto *divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Plain);
    divider->setForegroundRole(QPalette::Mid);
    column->addWidget(divider);

    // A long CLI error stays within a few lines and scrolls instead of pushing the layout.
    statusLine = new QLabel(this);
    statusLine->setTextFormat(Qt::PlainText);
    statusLine->setWordWrap(true);
    statusLine->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    statusLine->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Theme::applyFont(statusLine, Theme::TextStyle::Callout);
    statusArea = new QScrollArea(this);
    statusArea->setWidget(statusLine);
    statusArea->setWidgetResizable(true);
    statusArea->setFrameShape(QFrame::NoFrame);
    statusArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    statusArea->setMaximumHeight(QFontMetrics(statusLine->font()).lineSpacing() * 5 + 4);
    statusArea->viewport()->setAutoFillBackground(false);
    statusLine->setAutoFillBackground(false);
    column->addWidget(statusArea);

    showOrg(std::nullopt);
}

void DetailsPane::showOrg(const std::optional<CLIOrg> &org)
{
    blocks->setCurrentIndex(org ? 1 : 0);
    if (!org)
        return;
    orgTitle->setText(org->displayName());
    const QString values[] = {org->connectedStatus.value_or(u"Unknown"_s), org->username, org->instanceUrl,
                              org->loginUrl.value_or(QString()), org->orgId.value_or(QString()),
                              org->clientId.value_or(QString())};
    for (int i = 0; i < rowValues.size(); ++i)
        rowValues[i]->setText(values[i]);
}

void DetailsPane::setTargets(const QList<OpenTarget> &targets, const QString &selectedID)
{
    targetPicker->clear();
    for (const OpenTarget &target : targets)
        targetPicker->addItem(target.label, target.id);
    targetPicker->setCurrentIndex(targetPicker->findData(selectedID));
}

bool DetailsPane::isWarning(const QString &status)
{
    return status.contains(u"expired"_s, Qt::CaseInsensitive);
}

void DetailsPane::setStatus(const QString &status)
{
    statusLine->setText(status);
    QPalette p = statusLine->palette();
    p.setColor(QPalette::WindowText,
               isWarning(status) ? Theme::warningOrange(p) : Theme::secondary(palette()));
    statusLine->setPalette(p);
}

void DetailsPane::changeEvent(QEvent *event)
{
    Panel::changeEvent(event);
    // The status colour follows a change of appearance.
    if (event->type() == QEvent::PaletteChange && statusLine)
        setStatus(statusLine->text());
}
