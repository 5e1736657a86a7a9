#include "gui/CLeftView.h"

#include "core/CZentakDoc.h"
#include "core/files/COutputTarget.h"
#include "core/protocol/CImpactRun.h"
#include "core/protocol/COperatorPrompt.h"
#include "core/protocol/CRunOutcome.h"
#include "core/quality/CQualityCheck.h"
#include "core/record/CDesiredValueRules.h"
#include "core/record/CImpactMeasures.h"
#include "core/record/CRunStamp.h"
#include "core/record/CRunSubject.h"
#include "core/record/CSerialSettings.h"

#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QVBoxLayout>
#include <QValidator>

#include <algorithm>
#include <optional>

// One integer field of the form, its record member and its allowed range.
struct CLeftView::IntegerField {
    QLineEdit* edit;
    int CImpactRecord::*member;
    std::optional<CDesiredValueRules::Range> range;
};

namespace {

constexpr int kEditWidthPx = 46;

QLineEdit* MakeDesiredEdit(QWidget* parent, const char* name)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setAlignment(Qt::AlignRight);
    edit->setFixedWidth(kEditWidthPx);
    // Digits only, as typed; a value shown from a file may still carry a sign.
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    return edit;
}

QLineEdit* MakeActualEdit(QWidget* parent, const char* name)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setAlignment(Qt::AlignRight);
    edit->setFixedWidth(kEditWidthPx);
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::ClickFocus);
    return edit;
}

// Keystrokes and pastes that a subject could not keep never reach the field.
class CSubjectValidator : public QValidator
{
public:
    using QValidator::QValidator;

    State validate(QString& input, int&) const override
    {
        const bool storable = std::all_of(input.cbegin(), input.cend(), CRunSubject::IsStorable);
        return storable ? Acceptable : Invalid;
    }
};

QLabel* MakeHeading(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignBottom);
    return label;
}

// The record keeps CR LF between comment lines; the edit box shows LF.
QString CommentsForEdit(const QString& comments)
{
    QString text = comments;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text;
}

QString CommentsForRecord(const QString& editText)
{
    QString text = editText;
    text.replace(QLatin1String("\n"), QLatin1String("\r\n"));
    return text;
}

}  // namespace

CLeftView::CLeftView(CZentakDoc& doc, CImpactRun& run, COperatorPrompt& prompt,
                     const CSerialSettings& settings, QWidget* parent)
    : QWidget(parent), m_rDoc(doc), m_rRun(run), m_rPrompt(prompt), m_rSettings(settings)
{
    setObjectName(QStringLiteral("controlPanel"));
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("controlScroll"));
    scroll->setWidget(BuildForm());
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Its fields take the focus; the area itself has nothing to type into.
    scroll->setFocusPolicy(Qt::NoFocus);
    m_buttonStart = new QPushButton(QStringLiteral("Start Experiment"), this);
    m_buttonStart->setObjectName(QStringLiteral("startExperiment"));
    m_buttonStart->setMinimumSize(130, 28);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 6);
    column->setSpacing(4);
    column->addWidget(scroll, 1);
    column->addWidget(m_buttonStart, 0, Qt::AlignHCenter);
    SetTabOrder();
    TrackEdits();
    connect(m_buttonStart, &QPushButton::clicked, this, &CLeftView::OnStartExperiment);
    connect(m_radioForce, &QRadioButton::clicked, this, &CLeftView::OnModeForce);
    connect(m_radioDisp, &QRadioButton::clicked, this, &CLeftView::OnModeDisplacement);
}

QWidget* CLeftView::BuildForm()
{
    auto* form = new QWidget(this);
    auto* column = new QVBoxLayout(form);
    column->setContentsMargins(8, 6, 8, 6);
    column->setSpacing(10);
    column->addWidget(BuildModeGroup());
    column->addWidget(BuildSettingsGroup());
    column->addWidget(BuildSubjectRow());
    // The comments take the room there is, so the button sits below them.
    column->addWidget(BuildCommentsGroup(), 1);
    return form;
}

// Editing a field of the record marks it modified; showing one does not.
void CLeftView::TrackEdits()
{
    const auto markModified = [this] { m_rDoc.SetModifiedFlag(true); };
    for (QLineEdit* edit : {m_editForce, m_editDisp, m_editVelocity, m_editDwell})
        connect(edit, &QLineEdit::textEdited, this, markModified);
    connect(m_editComments, &QPlainTextEdit::textChanged, this, markModified);
}

QGroupBox* CLeftView::BuildModeGroup()
{
    auto* group = new QGroupBox(QStringLiteral("Experiment Mode"));
    m_radioForce = new QRadioButton(QStringLiteral("Force"), group);
    m_radioForce->setObjectName(QStringLiteral("modeForce"));
    m_radioDisp = new QRadioButton(QStringLiteral("Displacement"), group);
    m_radioDisp->setObjectName(QStringLiteral("modeDisplacement"));
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(m_radioForce);
    layout->addWidget(m_radioDisp);
    return group;
}

QGroupBox* CLeftView::BuildSettingsGroup()
{
    auto* group = new QGroupBox(QStringLiteral("Experiment Settings"));
    m_editForce = MakeDesiredEdit(group, "forceDesired");
    m_editDisp = MakeDesiredEdit(group, "dispDesired");
    m_editVelocity = MakeDesiredEdit(group, "velocityDesired");
    m_editDwell = MakeDesiredEdit(group, "dwellDesired");
    m_editForceActual = MakeActualEdit(group, "forceActual");
    m_editDispActual = MakeActualEdit(group, "dispActual");
    m_editVelocityActual = MakeActualEdit(group, "velocityActual");
    m_editDwellActual = MakeActualEdit(group, "dwellActual");

    auto* grid = new QGridLayout(group);
    grid->setHorizontalSpacing(6);
    grid->addWidget(MakeHeading(QStringLiteral("Desired"), group), 0, 1);
    grid->addWidget(MakeHeading(QStringLiteral("Actual"), group), 0, 2);
    const QList<std::tuple<QString, QLineEdit*, QLineEdit*>> rows = {
        {QStringLiteral("Force (K dynes):"), m_editForce, m_editForceActual},
        {QStringLiteral("Displacement (u):"), m_editDisp, m_editDispActual},
        {QStringLiteral("Velocity (mm/s):"), m_editVelocity, m_editVelocityActual},
        {QStringLiteral("Dwell Time (s):"), m_editDwell, m_editDwellActual},
    };
    for (int row = 0; row < rows.size(); ++row) {
        const auto& [label, desired, actual] = rows[row];
        grid->addWidget(new QLabel(label, group), row + 1, 0);
        grid->addWidget(desired, row + 1, 1);
        grid->addWidget(actual, row + 1, 2);
        m_fieldLabels.insert(desired, label);
        // Otherwise every field would be announced by its group's title.
        const QString name = label.chopped(1);
        desired->setAccessibleName(name + QStringLiteral(", desired"));
        actual->setAccessibleName(name + QStringLiteral(", actual"));
    }
    m_labelQuality = new QLabel(group);
    m_labelQuality->setObjectName(QStringLiteral("qualityVerdict"));
    m_labelQuality->setWordWrap(true);
    m_labelQuality->setAlignment(Qt::AlignCenter);
    m_labelQuality->setToolTip(
        QStringLiteral("Quality check of the impact shown (View > Quality Check Settings...)"));
    KeepPlaceWhenHidden(m_labelQuality, 2, 10);
    grid->addWidget(m_labelQuality, rows.size() + 1, 0, 1, 3);
    m_labelMeasures = new QLabel(group);
    m_labelMeasures->setObjectName(QStringLiteral("impactMeasures"));
    m_labelMeasures->setToolTip(QStringLiteral("Measured from the traces of the impact shown"));
    // Wraps rather than widen the form past the panel.
    m_labelMeasures->setWordWrap(true);
    KeepPlaceWhenHidden(m_labelMeasures, 4, 0);
    grid->addWidget(m_labelMeasures, rows.size() + 2, 0, 1, 3);
    grid->setColumnStretch(0, 1);
    return group;
}

// The text carries the verdict; the colours only repeat it.
void CLeftView::ShowQualityVerdict()
{
    const std::optional<CQualityVerdict> verdict =
        CQualityCheck::Judge(m_rDoc.Record(), m_qualityThresholds);
    m_labelQuality->setVisible(verdict.has_value());
    m_labelMeasures->setVisible(verdict.has_value());
    m_labelMeasures->setText(verdict ? MeasuresText(CImpactMeasures::Of(m_rDoc.Record()))
                                     : QString());
    if (!verdict) {
        m_labelQuality->clear();
        return;
    }
    m_labelQuality->setText(verdict->Text());
    m_labelQuality->setStyleSheet(
        verdict->Passed()
            ? QStringLiteral("QLabel { color: #14532d; background: #dcfce7; "
                             "border: 1px solid #15803d; padding: 2px; }")
            : QStringLiteral("QLabel { color: #7f1d1d; background: #fee2e2; "
                             "border: 2px solid #b91c1c; padding: 2px; font-weight: bold; }"));
}

void CLeftView::KeepPlaceWhenHidden(QLabel* label, int lines, int paddingPx)
{
    label->setMinimumHeight(lines * label->fontMetrics().lineSpacing() + paddingPx);
    QSizePolicy policy = label->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    label->setSizePolicy(policy);
    label->hide();
}

QString CLeftView::MeasuresText(const CImpactMeasures& measures)
{
    const auto shown = [](const auto& value, int decimals, const QString& unit) {
        return value ? QString::number(double(*value), 'f', decimals) + unit
                     : QStringLiteral("none");
    };
    return QStringLiteral("Peak force: %1\nContact to peak: %2, %3\nForce-time integral: %4")
        .arg(shown(measures.m_nPeakForceKdyn, 1, QStringLiteral(" K dynes")),
             shown(measures.m_nTimeToPeakMs, 2, QStringLiteral(" ms")),
             shown(measures.m_nDispAtPeakMicrons, 0, QStringLiteral(" µm")),
             shown(measures.m_nForceTimeIntegralKdynMs, 1, QStringLiteral(" K dynes·ms")));
}

void CLeftView::SetQualityThresholds(const CQualityThresholds& thresholds)
{
    m_qualityThresholds = thresholds;
    ShowQualityVerdict();
}

QGroupBox* CLeftView::BuildCommentsGroup()
{
    auto* group = new QGroupBox(QStringLiteral("Experiment Comments"));
    m_editComments = new QPlainTextEdit(group);
    m_editComments->setObjectName(QStringLiteral("comments"));
    // Long lines scroll sideways as they are typed, without a bar of their own.
    m_editComments->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_editComments->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_editComments->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_editComments->setTabChangesFocus(true);
    // At least four lines; more only where the pane has room for them.
    m_editComments->setMinimumHeight(70);
    m_editComments->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
    connect(m_editComments, &QPlainTextEdit::textChanged, this, &CLeftView::KeepCommentsStorable);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(m_editComments);
    return group;
}

QWidget* CLeftView::BuildSubjectRow()
{
    auto* row = new QWidget;
    auto* label = new QLabel(QStringLiteral("Subject:"), row);
    m_editSubject = new QLineEdit(row);
    m_editSubject->setObjectName(QStringLiteral("subject"));
    m_editSubject->setMaxLength(CRunSubject::kMaxCharacters);
    m_editSubject->setValidator(new CSubjectValidator(m_editSubject));
    m_editSubject->setToolTip(
        QStringLiteral("Optional: the animal's ID, written after the date and time of the next "
                       "impact (one line, up to %1 characters).")
            .arg(CRunSubject::kMaxCharacters));
    label->setBuddy(m_editSubject);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(6, 0, 0, 0);
    layout->addWidget(label);
    layout->addWidget(m_editSubject, 1);
    return row;
}

// Experiment files hold 8-bit text: a character beyond Latin-1 would be
// saved as "?". Refuse it as typed or pasted, as the value fields refuse
// letters, so the comments shown are the comments kept.
void CLeftView::KeepCommentsStorable()
{
    const QString text = m_editComments->toPlainText();
    const auto storable = [](QChar c) { return c.unicode() <= 0xFF; };
    if (std::all_of(text.cbegin(), text.cend(), storable))
        return;
    QTextCursor cursor = m_editComments->textCursor();
    const int position = cursor.position();
    QString kept;
    int removedBeforeCursor = 0;
    for (int i = 0; i < text.size(); ++i) {
        if (storable(text[i]))
            kept += text[i];
        else if (i < position)
            ++removedBeforeCursor;
    }
    const QSignalBlocker blocker(m_editComments);
    m_editComments->setPlainText(kept);
    cursor = m_editComments->textCursor();
    cursor.setPosition(position - removedBeforeCursor);
    m_editComments->setTextCursor(cursor);
}

void CLeftView::SetTabOrder()
{
    const QList<QWidget*> order = {m_editForce,   m_editDisp,    m_editVelocity,
                                   m_editDwell,   m_editSubject, m_editComments,
                                   m_buttonStart, m_radioForce,  m_radioDisp};
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

bool CLeftView::StoreIntegerField(const IntegerField& field)
{
    int value = 0;
    const QString refusal = CDesiredValueRules::Check(field.edit->text(), field.range, value);
    if (refusal.isEmpty()) {
        m_rDoc.EditRecord().*field.member = value;
        return true;
    }
    // The field the mode disables could not be corrected: the record keeps its value.
    if (!field.edit->isEnabled())
        return true;
    m_rPrompt.ShowMessage(m_fieldLabels.value(field.edit) + QLatin1Char(' ') + refusal,
                          COperatorPrompt::Icon::Exclamation);
    field.edit->setFocus();
    field.edit->selectAll();
    return false;
}

QList<CLeftView::IntegerField> CLeftView::DesiredFields() const
{
    return {
        {m_editForce, &CImpactRecord::m_nDesiredForce, CDesiredValueRules::kForceRange},
        {m_editVelocity, &CImpactRecord::m_nDesiredVelocity, CDesiredValueRules::kVelocityRange},
        {m_editDisp, &CImpactRecord::m_nDesiredDisp, std::nullopt},
        {m_editDwell, &CImpactRecord::m_nDesiredDwell, CDesiredValueRules::kDwellRange},
    };
}

// The actual values are the record's alone: read-only here, they are shown
// and never stored back, so a record never takes another run's values.
bool CLeftView::UpdateData(bool saveAndValidate)
{
    if (!saveAndValidate) {
        ShowRecord();
        return true;
    }
    for (const IntegerField& field : DesiredFields()) {
        if (!StoreIntegerField(field))
            return false;
    }
    m_rDoc.EditRecord().m_strComments = CommentsForRecord(m_editComments->toPlainText());
    return true;
}

void CLeftView::ShowRecord()
{
    for (const IntegerField& field : DesiredFields())
        field.edit->setText(QString::number(m_rDoc.Record().*field.member));
    ShowActualValues();
    {
        const QSignalBlocker blocker(m_editComments);
        m_editComments->setPlainText(CommentsForEdit(m_rDoc.Record().m_strComments));
    }
    ShowQualityVerdict();
}

// A record that holds no run has no actual values to show.
void CLeftView::ShowActualValues()
{
    const CImpactRecord& record = m_rDoc.Record();
    const QList<std::pair<QLineEdit*, int>> values = {
        {m_editForceActual, record.m_nActualForce},
        {m_editDispActual, record.m_nActualDisp},
        {m_editVelocityActual, record.m_nActualVelocity},
        {m_editDwellActual, record.m_nActualDwell},
    };
    const bool none =
        !record.m_bDataPresent && std::all_of(values.cbegin(), values.cend(),
                                              [](const auto& value) { return value.second == 0; });
    for (const auto& [edit, value] : values)
        edit->setText(none ? QString() : QString::number(value));
}

// A run's data, or the stamp a run left in the comments.
bool CLeftView::HoldsRun() const
{
    return m_rDoc.DataPresent() || CRunStamp::TimeOf(m_rDoc.Record().m_strComments).isValid();
}

// No impact was made: the record keeps what the operator entered and
// nothing of the box or of an earlier run.
void CLeftView::KeepOnlyTheEntries()
{
    CImpactRecord& record = m_rDoc.EditRecord();
    record.m_nFirmwareRelease = 0;
    record.m_strFirmwareVersion.clear();
}

// Force mode comes before the store-back, so a loaded record's force is
// checked even when Displacement was chosen before.
void CLeftView::OnInitialUpdate()
{
    UpdateData(false);
    m_radioForce->setChecked(true);
    OnModeForce();
    UpdateData(true);
}

void CLeftView::FocusFirstField()
{
    (m_nMode == 0 ? m_editForce : m_editDisp)->setFocus(Qt::TabFocusReason);
}

void CLeftView::OnUpdate(int hint)
{
    if (hint == 0)
        UpdateData(true);
}

void CLeftView::OnModeForce()
{
    m_nMode = 0;
    m_editForce->setEnabled(true);
    m_editDisp->setEnabled(false);
}

void CLeftView::OnModeDisplacement()
{
    m_nMode = 1;
    m_editForce->setEnabled(false);
    m_editDisp->setEnabled(true);
}

void CLeftView::OnStartExperiment()
{
    const bool replacesRun = HoldsRun();
    if (replacesRun && m_fnMayReplaceRecord && !m_fnMayReplaceRecord())
        return;
    // Entries not yet saved stay so until an impact takes them into a run.
    const bool entriesModified = m_rDoc.IsModified();
    m_rDoc.OnNewDocument();
    KeepOnlyTheEntries();
    // The earlier run's stamp and notes are that run's, never the next one's.
    if (replacesRun) {
        const QSignalBlocker blocker(m_editComments);
        m_editComments->clear();
    }
    ShowActualValues();
    ShowQualityVerdict();
    Q_EMIT busyTextChanged(kBusy);
    std::optional<QString> subject;
    if (!UpdateData(true) || !(subject = StoreSubject()) || !RunLogUsable()) {
        m_rDoc.SetModifiedFlag(entriesModified);
        Q_EMIT busyTextChanged(QString());
        Q_EMIT experimentEnded();
        return;
    }
    const CRunOutcome::Kind outcome =
        m_rRun.Run(m_rSettings, m_nMode, m_rDoc.EditRecord(), *subject).outcome;
    if (!CRunOutcome::ImpactMade(outcome))
        m_rDoc.SetModifiedFlag(entriesModified);
    HandleRunOutcome(outcome, *subject);
    Q_EMIT experimentEnded();
}

std::optional<QString> CLeftView::StoreSubject()
{
    const QString subject = CRunSubject::Normalized(m_editSubject->text());
    const QString refusal = CRunSubject::Refusal(subject);
    if (refusal.isEmpty())
        return subject;
    m_rPrompt.ShowMessage(refusal, COperatorPrompt::Icon::Exclamation);
    m_editSubject->setFocus();
    m_editSubject->selectAll();
    return std::nullopt;
}

// Checked before the box is woken: a pipe or a device as the run log would
// never take the run.
bool CLeftView::RunLogUsable()
{
    const COutputTarget::Result log = COutputTarget::CheckRunLog(m_rDoc.RunLogPath());
    if (!log.Usable())
        m_rPrompt.ShowMessage(log.message, COperatorPrompt::Icon::Exclamation);
    return log.Usable();
}

void CLeftView::HandleRunOutcome(CRunOutcome::Kind outcome, const QString& subject)
{
    const QString message = CRunOutcome::Message(outcome, m_rSettings.m_strPort);
    if (!message.isEmpty())
        m_rPrompt.ShowMessage(message, COperatorPrompt::Icon::Exclamation);
    Q_EMIT busyTextChanged(QString());
    switch (outcome) {
    case CRunOutcome::Kind::Completed:
    case CRunOutcome::Kind::CutShort:
        if (!m_rDoc.CompleteRun(QDateTime::currentDateTime(), subject))
            m_rPrompt.ShowMessage(m_rDoc.FileErrorString(), COperatorPrompt::Icon::Exclamation);
        // The animal has been struck: the next impact is another's.
        m_editSubject->clear();
        UpdateData(false);
        if (outcome == CRunOutcome::Kind::CutShort)
            m_rPrompt.ShowMessage(CRunOutcome::CutShortMessage(m_rDoc.Record()),
                                  COperatorPrompt::Icon::Exclamation);
        break;
    case CRunOutcome::Kind::FirmwareUnusable:
        ResetAndShow();
        break;
    // A declined impact is retried with the same entries.
    case CRunOutcome::Kind::Aborted:
    case CRunOutcome::Kind::ModeRefused:
    case CRunOutcome::Kind::NotResponding:
        KeepOnlyTheEntries();
        break;
    }
}

void CLeftView::ResetAndShow()
{
    m_rDoc.OnNewDocument();
    UpdateData(false);
}
