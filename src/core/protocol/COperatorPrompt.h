#pragma once

#include <QString>

// How core code reaches the operator: a modal message or a question. The
// window answers with message boxes captioned "Zentak", the command line on
// the terminal, tests with scripted answers. Core code never shows a widget.
class COperatorPrompt
{
public:
    enum class Icon { Exclamation, Information, Question };
    enum class Answer { Yes, No, Cancel };

    virtual ~COperatorPrompt() = default;

    // An error or a warning: the exclamation icon and an OK button.
    virtual void ShowMessage(const QString& text, Icon icon = Icon::Exclamation) = 0;

    // A question with the question icon and Yes and No; true only for Yes.
    virtual bool AskYesNo(const QString& text) = 0;

    // A question with Yes, No and Cancel (save changes before discarding).
    virtual Answer AskYesNoCancel(const QString& text) = 0;

    // A line of text, such as the reason for a decision: false when the
    // operator cancelled, else the line in answer.
    virtual bool AskText(const QString& text, QString& answer) = 0;
};
