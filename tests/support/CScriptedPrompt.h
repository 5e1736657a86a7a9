#pragma once

#include "core/protocol/COperatorPrompt.h"

#include <QList>
#include <QStringList>

// The operator as a script: answers are taken in order, and every text shown
// or asked is recorded so tests can check it byte for byte.
class CScriptedPrompt : public COperatorPrompt
{
public:
    struct Shown {
        QString text;
        Icon icon;
        bool operator==(const Shown&) const = default;
    };

    void ShowMessage(const QString& text, Icon icon = Icon::Exclamation) override;
    bool AskYesNo(const QString& text) override;
    Answer AskYesNoCancel(const QString& text) override;
    // The next queued text; with none left the operator cancels.
    bool AskText(const QString& text, QString& answer) override;

    // Queue the next answers. With none left a question is answered No.
    void QueueAnswers(std::initializer_list<Answer> answers);

    QStringList texts;  // answers to AskText, taken in order
    QList<Shown> messages;
    QStringList questions;

private:
    Answer NextAnswer();
    QList<Answer> m_answers;
};
