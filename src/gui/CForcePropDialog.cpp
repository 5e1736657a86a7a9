#include "gui/CForcePropDialog.h"

#include "core/protocol/COperatorPrompt.h"
#include "core/record/CFieldRules.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <optional>

namespace {

QLabel* NoteLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

}  // namespace

CForcePropDialog::CForcePropDialog(CPortFactory& ports, CClock& clock, COperatorPrompt& prompt,
                                   const CSerialSettings& settings, QWidget* parent)
    : QDialog(parent), m_editSensitivity(new QLineEdit(this)), m_sensitivity(ports, clock, prompt),
      m_rPrompt(prompt), m_rSettings(settings)
{
    setWindowTitle(kCaption);

    auto* field = new QHBoxLayout;
    auto* label = new QLabel(kLabel, this);
    label->setBuddy(m_editSensitivity);
    field->addWidget(label);
    field->addWidget(m_editSensitivity);
    field->addStretch();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CForcePropDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CForcePropDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(field);
    layout->addWidget(NoteLabel(kNote, this));
    layout->addWidget(NoteLabel(kWarning, this));
    layout->addWidget(buttons);
    setMinimumWidth(420);
}

void CForcePropDialog::OnInitDialog()
{
    m_editSensitivity->setEnabled(true);
    const CForceSensitivity::Reading reading = m_sensitivity.Read(m_rSettings);
    m_nState = reading.state;
    m_nSensitivity = reading.sensitivity;
    m_editSensitivity->setEnabled(reading.fieldEnabled);
    m_editSensitivity->setText(QString::number(m_nSensitivity));
    m_editSensitivity->setFocus();
    m_editSensitivity->selectAll();
}

int CForcePropDialog::Execute()
{
    OnInitDialog();
    return exec();
}

void CForcePropDialog::accept()
{
    if (!ValidateField())
        return;
    if (m_nState == CForceSensitivity::kStateReported &&
        m_sensitivity.Write(m_rSettings, m_nSensitivity) ==
            CForceSensitivity::WriteOutcome::Declined)
        return;
    QDialog::accept();
}

bool CForcePropDialog::ValidateField()
{
    const std::optional<int> value = CFieldRules::ParseInteger(m_editSensitivity->text());
    QString message;
    if (!value)
        message = CFieldRules::kIntegerMessage;
    else if (*value < CForceSensitivity::kMinValue || *value > CForceSensitivity::kMaxValue)
        message =
            CFieldRules::RangeMessage(CForceSensitivity::kMinValue, CForceSensitivity::kMaxValue);
    if (!message.isEmpty()) {
        m_rPrompt.ShowMessage(message, COperatorPrompt::Icon::Exclamation);
        m_editSensitivity->setFocus();
        m_editSensitivity->selectAll();
        return false;
    }
    m_nSensitivity = *value;
    return true;
}
