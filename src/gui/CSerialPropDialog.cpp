#include "gui/CSerialPropDialog.h"

#include "core/device/CPortFactory.h"
#include "core/record/CFieldRules.h"
#include "core/record/CSerialSettings.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

const QStringList CSerialPropDialog::kBaudRateItems{"1200",   "2400",   "4800",  "9600",
                                                    "19200",  "38400",  "57600", "115200",
                                                    "230400", "460800", "921600"};
const QStringList CSerialPropDialog::kParityItems{"None", "Even", "Odd", "Mark", "Space"};
const QStringList CSerialPropDialog::kStopBitsItems{"1", "1.5", "2"};
const QStringList CSerialPropDialog::kByteSizeItems{"8", "7", "6", "5"};

namespace {

QComboBox* EditableCombo(const QStringList& items, QWidget* parent)
{
    auto* combo = new QComboBox(parent);
    combo->setEditable(true);
    // Typed text is a setting, not a new list item.
    combo->setInsertPolicy(QComboBox::NoInsert);
    // No completion: on Enter or on leaving the box its case-insensitive
    // match turns a typed "odd" into the list's "Odd", another line setting.
    combo->setCompleter(nullptr);
    combo->addItems(items);
    return combo;
}

}  // namespace

CSerialPropDialog::CSerialPropDialog(CSerialSettings& settings, QWidget* parent)
    : QDialog(parent), m_rSettings(settings)
{
    setWindowTitle(kCaption);

    auto* properties = new QGroupBox(QStringLiteral("Properties"), this);
    m_comboPort = EditableCombo({}, properties);
    m_comboBaudRate = EditableCombo(kBaudRateItems, properties);

    auto* advanced = new QGroupBox(QStringLiteral("Advanced"), properties);
    m_comboParity = EditableCombo(kParityItems, advanced);
    m_comboStopBits = EditableCombo(kStopBitsItems, advanced);
    m_comboByteSize = EditableCombo(kByteSizeItems, advanced);

    auto* advancedLayout = new QFormLayout(advanced);
    advancedLayout->addRow(QStringLiteral("Parity:"), m_comboParity);
    advancedLayout->addRow(QStringLiteral("Stop Bits:"), m_comboStopBits);
    advancedLayout->addRow(QStringLiteral("Byte Size:"), m_comboByteSize);

    auto* propertiesLayout = new QFormLayout(properties);
    propertiesLayout->addRow(QStringLiteral("Port:"), m_comboPort);
    propertiesLayout->addRow(QStringLiteral("Baud Rate:"), m_comboBaudRate);
    propertiesLayout->addRow(advanced);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    // Kept for the operators who know it; the start-up values are the defaults.
    m_buttonDefault = buttons->addButton(QStringLiteral("&Default"), QDialogButtonBox::ActionRole);
    m_buttonDefault->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &CSerialPropDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CSerialPropDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(properties);
    layout->addWidget(buttons);
}

QStringList CSerialPropDialog::PortItems(const QStringList& presentPorts)
{
    QStringList items;
    for (int number = 1; number <= 9; ++number)
        items.append(QStringLiteral("Com%1").arg(number));
    for (const QString& port : presentPorts) {
        if (!items.contains(port, Qt::CaseInsensitive))
            items.append(port);
    }
    items.append(CPortFactory::kSimulatorPort);
    return items;
}

QStringList CSerialPropDialog::PresentPorts()
{
    QStringList ports = CPortFactory::PresentPorts();
    ports.sort();
    return ports;
}

void CSerialPropDialog::OnInitDialog()
{
    // Afresh at every opening: an adapter may have been plugged in since.
    m_comboPort->clear();
    m_comboPort->addItems(PortItems(PresentPorts()));
    m_strPort = m_rSettings.m_strPort;
    m_nBaudRate = m_rSettings.m_nBaudRate;
    m_strParity = m_rSettings.m_strParity;
    m_strStopBits = m_rSettings.m_strStopBits;
    m_nByteSize = m_rSettings.m_nByteSize;
    m_comboBaudRate->setEditText(QString::number(m_nBaudRate));
    m_comboParity->setEditText(m_strParity);
    m_comboStopBits->setEditText(m_strStopBits);
    m_comboByteSize->setEditText(QString::number(m_nByteSize));
    m_comboPort->setEditText(m_strPort);
}

int CSerialPropDialog::Execute()
{
    OnInitDialog();
    return exec();
}

void CSerialPropDialog::accept()
{
    m_strParity = m_comboParity->currentText();
    m_strStopBits = m_comboStopBits->currentText();
    m_strPort = m_comboPort->currentText();
    m_nBaudRate = CFieldRules::ItemInteger(m_comboBaudRate->currentText());
    m_nByteSize = CFieldRules::ItemInteger(m_comboByteSize->currentText());
    m_rSettings = {m_strPort, m_nBaudRate, m_strParity, m_strStopBits, m_nByteSize};
    QDialog::accept();
}
