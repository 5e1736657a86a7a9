#include "gui/CQualityCheckDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

CQualityCheckDialog::CQualityCheckDialog(const CQualityThresholds& thresholds, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("qualityCheckDialog"));
    setWindowTitle(kCaption);
    auto* intro = new QLabel(
        QStringLiteral("After every impact the control panel says \"QC pass\" or names the "
                       "checks the impact failed. The verdict never stops a run from being "
                       "logged or saved."),
        this);
    intro->setWordWrap(true);

    auto* form = new QFormLayout;
    for (const CQualityThresholds::Field& field : CQualityThresholds::Fields()) {
        auto* box = new QSpinBox(this);
        box->setObjectName(QLatin1String(field.key));
        box->setRange(field.min, field.max);
        box->setSuffix(QLatin1Char(' ') + QLatin1String(field.unit));
        box->setAlignment(Qt::AlignRight);
        form->addRow(QLatin1String(field.label), box);
        m_spinBoxes.append(box);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* defaults =
        buttons->addButton(QStringLiteral("&Defaults"), QDialogButtonBox::ResetRole);
    defaults->setObjectName(QStringLiteral("defaults"));
    defaults->setAutoDefault(false);
    connect(defaults, &QPushButton::clicked, this,
            [this] { ShowThresholds(CQualityThresholds{}); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(form);
    layout->addWidget(buttons);
    ShowThresholds(thresholds);
}

void CQualityCheckDialog::ShowThresholds(const CQualityThresholds& thresholds)
{
    const QList<CQualityThresholds::Field>& fields = CQualityThresholds::Fields();
    for (qsizetype i = 0; i < fields.size(); ++i)
        m_spinBoxes[i]->setValue(thresholds.*fields[i].member);
}

CQualityThresholds CQualityCheckDialog::Thresholds() const
{
    CQualityThresholds thresholds;
    const QList<CQualityThresholds::Field>& fields = CQualityThresholds::Fields();
    for (qsizetype i = 0; i < fields.size(); ++i)
        thresholds.*fields[i].member = m_spinBoxes[i]->value();
    return thresholds;
}
