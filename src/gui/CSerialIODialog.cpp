#include "gui/CSerialIODialog.h"

#include "core/device/CSerialLink.h"
#include "core/protocol/COperatorPrompt.h"
#include "core/record/CFieldRules.h"
#include "core/record/CSerialSettings.h"

#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

CSerialIODialog::CSerialIODialog(CPortFactory& ports, CClock& clock, COperatorPrompt& prompt,
                                 const CSerialSettings& settings, QWidget* parent)
    : QDialog(parent), m_editSend(new QPlainTextEdit(this)),
      m_editReceive(new QPlainTextEdit(this)), m_rPorts(ports), m_rClock(clock), m_rPrompt(prompt),
      m_rSettings(settings)
{
    setWindowTitle(kCaption);
    m_editReceive->setReadOnly(true);
    m_editSend->installEventFilter(this);
    connect(m_editSend, &QPlainTextEdit::textChanged, this, &CSerialIODialog::CapSendText);

    auto* sendLabel = new QLabel(QStringLiteral("Send To Port:"), this);
    sendLabel->setBuddy(m_editSend);
    auto* receiveLabel = new QLabel(QStringLiteral("Receive From Port:"), this);

    auto* buttons = new QDialogButtonBox(this);
    m_buttonSend = buttons->addButton(QStringLiteral("&Send"), QDialogButtonBox::ActionRole);
    m_buttonSend->setDefault(true);
    buttons->addButton(QStringLiteral("&Done"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    connect(m_buttonSend, &QPushButton::clicked, this, &CSerialIODialog::OnSend);
    connect(buttons, &QDialogButtonBox::accepted, this, &CSerialIODialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CSerialIODialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sendLabel);
    layout->addWidget(m_editSend, 1);
    layout->addWidget(receiveLabel);
    layout->addWidget(m_editReceive, 3);
    layout->addWidget(buttons);
    resize(420, 360);
}

void CSerialIODialog::OnInitDialog()
{
    m_bLoading = true;
    m_editSend->setPlainText(m_strSend);
    m_editReceive->setPlainText(m_strReceive);
    m_bLoading = false;
    m_editSend->moveCursor(QTextCursor::End);
    m_editReceive->moveCursor(QTextCursor::End);
    m_editSend->setFocus();
}

int CSerialIODialog::Execute()
{
    OnInitDialog();
    return exec();
}

void CSerialIODialog::accept()
{
    if (!CheckLength(m_editSend, kSendLimit) || !CheckLength(m_editReceive, kReceiveLimit))
        return;
    m_strSend = m_editSend->toPlainText();
    m_strReceive = m_editReceive->toPlainText();
    QDialog::accept();
}

bool CSerialIODialog::CheckLength(const QPlainTextEdit* edit, int limit)
{
    if (edit->toPlainText().size() <= limit)
        return true;
    m_rPrompt.ShowMessage(CFieldRules::LengthMessage(limit), COperatorPrompt::Icon::Exclamation);
    return false;
}

QString CSerialIODialog::AppendReply(const QString& received, const QString& reply, bool answered)
{
    QString text = received;
    if (answered) {
        QString shown = reply;
        shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        shown.replace(u'\r', u'\n');
        text += shown;
    } else {
        if (!text.isEmpty() && !text.endsWith(u'\n'))
            text += u'\n';
        text += kNoReply + u'\n';
    }
    return text.right(kReceiveLimit);
}

void CSerialIODialog::OnSend()
{
    CSerialLink link(m_rPorts, m_rClock);
    link.Configure(m_rSettings);
    const bool answered = link.Exchange(m_editSend->toPlainText() + u'\n');
    m_editReceive->setPlainText(
        AppendReply(m_editReceive->toPlainText(), link.ReplyText(), answered));
    m_editReceive->verticalScrollBar()->setValue(m_editReceive->verticalScrollBar()->maximum());
}

// Enter sends, as the default button of a terminal; Shift+Enter starts a
// new line in the text to send.
bool CSerialIODialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_editSend || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return QDialog::eventFilter(watched, event);
    if (key->modifiers() & Qt::ShiftModifier)
        m_editSend->insertPlainText(QStringLiteral("\n"));
    else
        OnSend();
    return true;
}

// Typing stops at the limit; text kept from before is shown as it is.
void CSerialIODialog::CapSendText()
{
    if (m_bLoading)
        return;
    const QString text = m_editSend->toPlainText();
    if (text.size() <= kSendLimit)
        return;
    m_bLoading = true;
    m_editSend->setPlainText(text.left(kSendLimit));
    m_editSend->moveCursor(QTextCursor::End);
    m_bLoading = false;
}
