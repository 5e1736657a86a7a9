#pragma once

#include <QDialog>
#include <QStringList>

class CSerialSettings;
class QComboBox;
class QPushButton;

// "Serial Port Settings": the five line settings every exchange with the
// control box uses. Each box takes a pick from its list or any typed text;
// nothing is checked or opened here, OK only hands the values on.
class CSerialPropDialog : public QDialog
{
    Q_OBJECT

public:
    static inline const QString kCaption = QStringLiteral("Serial Port Settings");

    static const QStringList kBaudRateItems;
    static const QStringList kParityItems;
    static const QStringList kStopBitsItems;
    static const QStringList kByteSizeItems;

    // The window's settings: OK stores the five values into them as they
    // are and does nothing else, since every exchange opens its port afresh.
    explicit CSerialPropDialog(CSerialSettings& settings, QWidget* parent = nullptr);

    // "Com1" to "Com9", then the ports the system reports present that the
    // list does not name yet, then the simulated box.
    static QStringList PortItems(const QStringList& presentPorts);
    // The serial ports present now, by names the link opens.
    static QStringList PresentPorts();

    // Shows the current settings, whatever was typed at the last opening.
    void OnInitDialog();
    int Execute();

    QString m_strStopBits;
    QString m_strParity;
    QString m_strPort;
    int m_nBaudRate = 0;
    int m_nByteSize = 0;

    QComboBox* m_comboPort;
    QComboBox* m_comboBaudRate;
    QComboBox* m_comboParity;
    QComboBox* m_comboStopBits;
    QComboBox* m_comboByteSize;
    QPushButton* m_buttonDefault;

public Q_SLOTS:
    void accept() override;

private:
    CSerialSettings& m_rSettings;
};
