#include "NewConnectionPanel.h"

#include "Enablement.h"
#include "FlowLayout.h"
#include "Theme.h"

#include <QAccessibleWidget>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

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

// A segment is one choice of several, as a radio button is: a screen reader says which is chosen
// (a checkable push button reads as a check box).
class SegmentInterface : public QAccessibleWidget
{
public:
    explicit SegmentInterface(QAbstractButton *button) : QAccessibleWidget(button, QAccessible::RadioButton) {}
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = static_cast<QAbstractButton *>(widget())->isChecked();
        return s;
    }
    QStringList actionNames() const override { return QStringList(pressAction()) + QAccessibleWidget::actionNames(); }
    void doAction(const QString &name) override
    {
        if (name != pressAction())
            QAccessibleWidget::doAction(name);
        else if (widget()->isEnabled())
            static_cast<QAbstractButton *>(widget())->click();
    }
};

QAccessibleInterface *forSegment(const QString &, QObject *object)
{
    auto *button = qobject_cast<QAbstractButton *>(object);
    // By its parent: the interface is made as the button is, before it has a name.
    const bool segment = button && button->parentWidget() && button->parentWidget()->objectName() == "kindSegments"_L1;
    return segment ? new SegmentInterface(button) : nullptr;
}

} // namespace

NewConnectionPanel::NewConnectionPanel(QWidget *parent)
    : Panel(parent)
{
    auto *rows = new QVBoxLayout(this);
    rows->setContentsMargins(16, 16, 16, 16);
    rows->setSpacing(12);
    rows->addLayout(buildTitleRow());
    rows->addLayout(buildForm());
    rows->addWidget(buildNote());
    connectControls();
    setKind(LoginKind::sandbox);
}

QHBoxLayout *NewConnectionPanel::buildTitleRow()
{
    auto *titleRow = new QHBoxLayout;
    auto *title = new QLabel(tr("New Connection"), this);
    Theme::applyFont(title, Theme::TextStyle::Title3, Theme::Emphasis::Semibold);
    titleRow->addWidget(title);
    titleRow->addStretch(1);
    m_loginURL = new QLabel(this);
    m_loginURL->setObjectName(u"loginURL"_s);
    m_loginURL->setTextFormat(Qt::PlainText);
    m_loginURL->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Theme::applyFont(m_loginURL, Theme::TextStyle::Caption);
    Theme::makeSecondary(m_loginURL);
    titleRow->addWidget(m_loginURL);
    return titleRow;
}

// Each control made before its caption: a screen reader lists them in the order they were made.
// On a narrow or scaled screen the form wraps, fields under their captions, buttons level with them.
FlowLayout *NewConnectionPanel::buildForm()
{
    auto *form = new FlowLayout(12, 12, Qt::AlignBottom);
    QLineEdit *alias = buildAliasField();
    form->addLayout(column(caption(tr("Alias"), this), alias));
    QWidget *segments = buildKindSegments();
    form->addLayout(column(caption(tr("Org Type"), this), segments));
    QComboBox *browsers = buildBrowserPicker();
    form->addLayout(column(caption(tr("Browser"), this), browsers));
    form->addLayout(buildDefaultColumn());
    buildButtons(form);
    return form;
}

QLineEdit *NewConnectionPanel::buildAliasField()
{
    m_aliasField = new QLineEdit(this);
    m_aliasField->setObjectName(u"aliasField"_s);
    m_aliasField->setPlaceholderText(tr("e.g. quintellwharf-s-2026"));
    m_aliasField->setMinimumWidth(m_aliasField->fontMetrics().horizontalAdvance(m_aliasField->placeholderText()) + 24);
    return m_aliasField;
}

// A segmented control: one checkable button per login kind, exactly one chosen.
QWidget *NewConnectionPanel::buildKindSegments()
{
    auto *segments = new QWidget(this);
    segments->setObjectName(u"kindSegments"_s);
    segments->setFixedWidth(220);
    segments->setAccessibleName(tr("Org Type"));
    auto *segmentLayout = new QHBoxLayout(segments);
    segmentLayout->setContentsMargins(0, 0, 0, 0);
    segmentLayout->setSpacing(0);
    static const bool spoken = (QAccessible::installFactory(forSegment), true);
    Q_UNUSED(spoken)
    m_kindGroup = new QButtonGroup(this);
    m_kindGroup->setExclusive(true);
    const QList<LoginKind> kinds = LoginKind::allCases();
    for (int i = 0; i < kinds.size(); ++i) {
        auto *segment = new QPushButton(kinds[i].label(), segments);
        segment->setObjectName("kind:"_L1 + kinds[i].rawValue());
        segment->setCheckable(true);
        Theme::makeSegment(segment);
        segment->setAccessibleName(tr("Org Type: %1").arg(kinds[i].label()));
        m_kindGroup->addButton(segment, i);
        segmentLayout->addWidget(segment, 1);
    }
    return segments;
}

QComboBox *NewConnectionPanel::buildBrowserPicker()
{
    m_browserPicker = new QComboBox(this);
    m_browserPicker->setObjectName(u"browserPicker"_s);
    m_browserPicker->setFixedWidth(165);
    m_browserPicker->setAccessibleName(tr("Browser"));
    for (const BrowserChoice &choice : BrowserChoice::allCases())
        m_browserPicker->addItem(choice.label(), choice.rawValue());
    return m_browserPicker;
}

QVBoxLayout *NewConnectionPanel::buildDefaultColumn()
{
    m_defaultBox = new QCheckBox(tr("Default"), this);
    m_defaultBox->setObjectName(u"defaultBox"_s);
    m_defaultBox->setToolTip(tr("Make the new connection the CLI's default org"));
    auto *boxColumn = new QVBoxLayout;
    boxColumn->addStretch(1);
    boxColumn->addWidget(m_defaultBox);
    boxColumn->addSpacing(6);
    return boxColumn;
}

void NewConnectionPanel::buildButtons(FlowLayout *form)
{
    m_createButton = new QPushButton(tr("Create"), this);
    m_createButton->setObjectName(u"createButton"_s);
    Theme::makeProminent(m_createButton);
    m_createButton->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
    m_createButton->setToolTip(tr("Log in through the CLI in a browser (%1)")
                                   .arg(m_createButton->shortcut().toString(QKeySequence::NativeText)));
    form->addWidget(m_createButton);
    m_cancelLoginButton = new QPushButton(tr("Cancel"), this);
    m_cancelLoginButton->setObjectName(u"cancelLoginButton"_s);
    m_cancelLoginButton->setToolTip(tr("Stop waiting for the browser login; nothing is created"));
    m_cancelLoginButton->setMinimumWidth(m_createButton->sizeHint().width());
    m_cancelLoginButton->hide();
    form->addWidget(m_cancelLoginButton);
    m_importButton = new QPushButton(tr("Import JSON"), this);
    m_importButton->setObjectName(u"importButton"_s);
    form->addWidget(m_importButton);
}

QLabel *NewConnectionPanel::buildNote()
{
    auto *note = new QLabel(tr("Import/export JSON uses Salesforce CLI SFDX auth URL files. These files "
                         "contain refresh tokens; treat them like passwords."),
                      this);
    note->setWordWrap(true);
    Theme::applyFont(note, Theme::TextStyle::Caption);
    Theme::makeSecondary(note);
    return note;
}

void NewConnectionPanel::connectControls()
{
    connect(m_kindGroup, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            m_loginURL->setText(kind().instanceUrl());
    });
    connect(m_createButton, &QPushButton::clicked, this, [this] {
        Q_EMIT createRequested(kind(), m_aliasField->text(), browser(), m_defaultBox->isChecked());
    });
    connect(m_cancelLoginButton, &QPushButton::clicked, this, &NewConnectionPanel::cancelLoginRequested);
    connect(m_importButton, &QPushButton::clicked, this,
            [this] { Q_EMIT importRequested(m_aliasField->text(), m_defaultBox->isChecked()); });
}

void NewConnectionPanel::setEnablement(const Enablement &enablement)
{
    m_createButton->setEnabled(enablement.allows(Enablement::Rule::idle));
    m_importButton->setEnabled(enablement.allows(Enablement::Rule::idle));
    // Cancel takes Create's place while the login waits: nothing else moves.
    const bool waiting = enablement.allows(Enablement::Rule::loginWaiting);
    m_createButton->setVisible(!waiting);
    m_cancelLoginButton->setVisible(waiting);
}

LoginKind NewConnectionPanel::kind() const
{
    const QList<LoginKind> kinds = LoginKind::allCases();
    const int id = m_kindGroup->checkedId();
    return id >= 0 && id < kinds.size() ? kinds[id] : LoginKind::sandbox;
}

void NewConnectionPanel::setKind(LoginKind kind)
{
    const QList<LoginKind> kinds = LoginKind::allCases();
    if (QAbstractButton *segment = m_kindGroup->button(static_cast<int>(kinds.indexOf(kind))))
        segment->setChecked(true);
    m_loginURL->setText(kind.instanceUrl());
}

BrowserChoice NewConnectionPanel::browser() const
{
    return BrowserChoice::fromRawValue(m_browserPicker->currentData().toString()).value_or(BrowserChoice::systemDefault);
}
