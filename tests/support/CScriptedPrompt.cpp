#include "CScriptedPrompt.h"

void CScriptedPrompt::ShowMessage(const QString& text, Icon icon)
{
    messages.append({text, icon});
}

bool CScriptedPrompt::AskYesNo(const QString& text)
{
    questions.append(text);
    return NextAnswer() == Answer::Yes;
}

COperatorPrompt::Answer CScriptedPrompt::AskYesNoCancel(const QString& text)
{
    questions.append(text);
    return NextAnswer();
}

bool CScriptedPrompt::AskText(const QString& text, QString& answer)
{
    questions.append(text);
    if (texts.isEmpty())
        return false;
    answer = texts.takeFirst();
    return true;
}

void CScriptedPrompt::QueueAnswers(std::initializer_list<Answer> answers)
{
    m_answers.append(answers);
}

COperatorPrompt::Answer CScriptedPrompt::NextAnswer()
{
    return m_answers.isEmpty() ? Answer::No : m_answers.takeFirst();
}
