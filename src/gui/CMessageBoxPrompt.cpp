#include "gui/CMessageBoxPrompt.h"

#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace {

QMessageBox::Icon BoxIcon(COperatorPrompt::Icon icon)
{
    switch (icon) {
    case COperatorPrompt::Icon::Exclamation:
        return QMessageBox::Warning;
    case COperatorPrompt::Icon::Information:
        return QMessageBox::Information;
    case COperatorPrompt::Icon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::Warning;
}

// The control box's texts break lines with CR LF; a label shows LF only.
QString ForLabel(const QString& text)
{
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return shown;
}

int RunBox(QWidget* parent, QMessageBox::Icon icon, const QString& text,
           QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, CMessageBoxPrompt::kCaption, ForLabel(text), buttons, parent);
    box.setDefaultButton(defaultButton);
    // Over a busy window the box still waits for a click: no wait cursor on it.
    const bool busy = QGuiApplication::overrideCursor() != nullptr;
    if (busy)
        QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    const int result = box.exec();
    if (busy)
        QGuiApplication::restoreOverrideCursor();
    return result;
}

}  // namespace

CMessageBoxPrompt::CMessageBoxPrompt(QWidget* parent) : m_pParent(parent)
{
}

void CMessageBoxPrompt::ShowMessage(const QString& text, Icon icon)
{
    RunBox(m_pParent, BoxIcon(icon), text, QMessageBox::Ok, QMessageBox::Ok);
}

bool CMessageBoxPrompt::AskYesNo(const QString& text)
{
    return RunBox(m_pParent, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No,
                  QMessageBox::Yes) == QMessageBox::Yes;
}

bool CMessageBoxPrompt::AskText(const QString& text, QString& answer)
{
    bool ok = false;
    answer = QInputDialog::getText(m_pParent, kCaption, ForLabel(text), QLineEdit::Normal,
                                   QString(), &ok);
    return ok;
}

COperatorPrompt::Answer CMessageBoxPrompt::AskYesNoCancel(const QString& text)
{
    switch (RunBox(m_pParent, QMessageBox::Question, text,
                   QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes)) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}
