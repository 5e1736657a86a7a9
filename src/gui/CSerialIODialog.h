#pragma once

#include <QDialog>

class CClock;
class COperatorPrompt;
class CPortFactory;
class CSerialSettings;
class QPlainTextEdit;
class QPushButton;

// "Serial I/O": a small terminal to the control box. "&Send" writes the send
// box's text and a line feed in one exchange under the current settings and
// appends the reply to the receive box. Both texts are kept from one
// "&Done" to the next opening; "&Cancel" drops the edits of this opening.
class CSerialIODialog : public QDialog
{
    Q_OBJECT

public:
    static inline const QString kCaption = QStringLiteral("Serial I/O");
    static inline const QString kNoReply = QStringLiteral("(no reply)");
    static constexpr int kSendLimit = 128;
    static constexpr int kReceiveLimit = 1024;

    CSerialIODialog(CPortFactory& ports, CClock& clock, COperatorPrompt& prompt,
                    const CSerialSettings& settings, QWidget* parent = nullptr);

    // Fills the boxes from the kept texts.
    void OnInitDialog();
    int Execute();

    QString m_strSend;
    QString m_strReceive;

    QPlainTextEdit* m_editSend;
    QPlainTextEdit* m_editReceive;
    QPushButton* m_buttonSend;

    // The receive box's text after a reply (empty: none came): line ends as
    // line breaks, and no more than its last kReceiveLimit characters.
    static QString AppendReply(const QString& received, const QString& reply, bool answered);

public Q_SLOTS:
    void accept() override;
    void OnSend();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CapSendText();
    // The framework's length rule; false after its message.
    bool CheckLength(const QPlainTextEdit* edit, int limit);

    CPortFactory& m_rPorts;
    CClock& m_rClock;
    COperatorPrompt& m_rPrompt;
    const CSerialSettings& m_rSettings;
    bool m_bLoading = false;
};
