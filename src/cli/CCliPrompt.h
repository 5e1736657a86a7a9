#pragma once

#include "core/protocol/COperatorPrompt.h"

#include <QTextStream>

// The operator on a terminal: messages go to stderr with their CR LF shown
// as line breaks; questions are asked on stderr and answered on stdin, or
// answered Yes at once when the user said so on the command line.
class CCliPrompt : public COperatorPrompt
{
public:
    explicit CCliPrompt(bool answerYes);

    void ShowMessage(const QString& text, Icon icon = Icon::Exclamation) override;
    bool AskYesNo(const QString& text) override;
    Answer AskYesNoCancel(const QString& text) override;
    bool AskText(const QString& text, QString& answer) override;

    // For commands that report on stderr outside a message (progress, usage).
    QTextStream& Err() { return m_err; }

    static QString ForTerminal(const QString& text);

private:
    QString ReadAnswer(const QString& question, const QString& choices);

    bool m_bAnswerYes;
    QTextStream m_err;
    QTextStream m_in;
};
