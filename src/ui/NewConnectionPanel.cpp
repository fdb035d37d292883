#include "NewConnectionPanel.h"

#include "Theme.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel *caption(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    Theme::applyFont(label, Theme::TextStyle::Caption);
    Theme::makeSecondary(label);
    return label;
}

QVBoxLayout *column(QLabel *label, QWidget *control)
{
    auto *layout = new QVBoxLayout;
    layout->setSpacing(5);
    layout->addWidget(label);
    layout->addWidget(control);
    label->setBuddy(control);
    return layout;
}

} // namespace

NewConnectionPanel::NewConnectionPanel(QWidget *parent)
    : Panel(parent)
{
    auto *rows = new QVBoxLayout(this);
    rows->setContentsMargins(16, 16, 16, 16);
    rows->setSpacing(12);

    auto *titleRow = new QHBoxLayout;
    auto *title = new QLabel(tr("New Connection"), this);
    Theme::applyFont(title, Theme::TextStyle::Title3, false, true);
    titleRow->addWidget(title);
    titleRow->addStretch(1);
    loginURL = new QLabel(this);
    loginURL->setTextFormat(Qt::PlainText);
    loginURL->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Theme::applyFont(loginURL, Theme::TextStyle::Caption);
    Theme::makeSecondary(loginURL);
    titleRow->addWidget(loginURL);
    rows->addLayout(titleRow);

    auto *form = new QHBoxLayout;
    form->setSpacing(12);

    aliasField = new QLineEdit(this);
    aliasField->setPlaceholderText(tr("e.g. quintellwharf-s-2026"));
    form->addLayout(column(caption(tr("Alias"), this), aliasField), 1);

    // A segmented control: one checkable button per login kind, exactly one chosen.
    auto *segments = new QWidget(this);
    segments->setFixedWidth(220);
    segments->setAccessibleName(tr("Org Type"));
    auto *segmentLayout = new QHBoxLayout(segments);
    segmentLayout->setContentsMargins(0, 0, 0, 0);
    segmentLayout->setSpacing(0);
    kindGroup = new QButtonGroup(this);
    kindGroup->setExclusive(true);
    const QList<LoginKind> kinds = LoginKind::allCases();
    for (int i = 0; i < kinds.size(); ++i) {
        auto *segment = new QPushButton(kinds[i].rawValue(), segments);
        segment->setCheckable(true);
        segment->setAccessibleName(tr("Org Type: %1").arg(kinds[i].rawValue()));
        kindGroup->addButton(segment, i);
        segmentLayout->addWidget(segment, 1);
    }
    connect(kindGroup, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked) {
            loginURL->setText(kind().instanceUrl());
            Q_EMIT kindChanged();
        }
    });
    form->addLayout(column(caption(tr("Org Type"), this), segments));

    browserPicker = new QComboBox(this);
    browserPicker->setFixedWidth(165);
    browserPicker->setAccessibleName(tr("Browser"));
    for (const BrowserChoice &choice : BrowserChoice::allCases())
        browserPicker->addItem(choice.rawValue(), choice.id());
    form->addLayout(column(caption(tr("Browser"), this), browserPicker));

    defaultBox = new QCheckBox(tr("Default"), this);
    defaultBox->setToolTip(tr("Make the new connection the CLI's default org"));
    auto *boxColumn = new QVBoxLayout;
    boxColumn->addStretch(1);
    boxColumn->addWidget(defaultBox);
    boxColumn->addSpacing(6);
    form->addLayout(boxColumn);

    createButton = new QPushButton(tr("Create"), this);
    Theme::makeProminent(createButton);
    createButton->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
    createButton->setToolTip(tr("Log in through the CLI in a browser (%1)")
                                 .arg(createButton->shortcut().toString(QKeySequence::NativeText)));
    form->addWidget(createButton, 0, Qt::AlignBottom);
    importButton = new QPushButton(tr("Import JSON"), this);
    form->addWidget(importButton, 0, Qt::AlignBottom);
    rows->addLayout(form);

    note = new QLabel(tr("Import/export JSON uses Salesforce CLI SFDX auth URL files. These files "
                         "contain refresh tokens; treat them like passwords."),
                      this);
    note->setWordWrap(true);
    Theme::applyFont(note, Theme::TextStyle::Caption);
    Theme::makeSecondary(note);
    rows->addWidget(note);

    setKind(LoginKind::sandbox);
}

QString NewConnectionPanel::alias() const { return aliasField->text(); }

LoginKind NewConnectionPanel::kind() const
{
    const QList<LoginKind> kinds = LoginKind::allCases();
    const int id = kindGroup->checkedId();
    return id >= 0 && id < kinds.size() ? kinds[id] : LoginKind::sandbox;
}

void NewConnectionPanel::setKind(LoginKind kind)
{
    const QList<LoginKind> kinds = LoginKind::allCases();
    if (QAbstractButton *segment = kindGroup->button(static_cast<int>(kinds.indexOf(kind))))
        segment->setChecked(true);
    loginURL->setText(kind.instanceUrl());
}

BrowserChoice NewConnectionPanel::browser() const
{
    return BrowserChoice::fromRawValue(browserPicker->currentText()).value_or(BrowserChoice::systemDefault);
}

bool NewConnectionPanel::setDefault() const { return defaultBox->isChecked(); }
