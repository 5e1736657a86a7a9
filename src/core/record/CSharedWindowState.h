#pragma once

#include <QObject>
#include <QString>

// The program-wide state that the main window holds and many others read:
// the five serial settings every exchange with the control box uses, the
// data-present flag and the text of the status bar's busy pane.
// One object lives with the main window; everyone else gets it by reference.
class CSharedWindowState : public QObject
{
    Q_OBJECT

public:
    static inline const QString kDefaultPort = QStringLiteral("Com1");
    static constexpr int kDefaultBaudRate = 9600;
    static inline const QString kDefaultParity = QStringLiteral("None");
    static inline const QString kDefaultStopBits = QStringLiteral("1");
    static constexpr int kDefaultByteSize = 8;

    explicit CSharedWindowState(QObject* parent = nullptr);

    // Stores the five values as they are; nothing is opened or checked here,
    // because every exchange opens the port afresh from the current settings.
    void ApplySerialSettings(const QString& port, int baudRate, const QString& parity,
                             const QString& stopBits, int byteSize);

    void SetDataPresent(bool present);
    bool DataPresent() const { return m_bDataPresent; }

    void SetBusyText(const QString& text);
    const QString& BusyText() const { return m_strBusyText; }

    QString m_strPort = kDefaultPort;
    int m_nBaudRate = kDefaultBaudRate;
    QString m_strParity = kDefaultParity;
    QString m_strStopBits = kDefaultStopBits;
    int m_nByteSize = kDefaultByteSize;

Q_SIGNALS:
    void busyTextChanged(const QString& text);
    void dataPresentChanged(bool present);

private:
    bool m_bDataPresent = false;
    QString m_strBusyText;
};
