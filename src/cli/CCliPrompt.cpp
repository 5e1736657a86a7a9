#include "cli/CCliPrompt.h"

#include <cstdio>

CCliPrompt::CCliPrompt(bool answerYes) : m_bAnswerYes(answerYes), m_err(stderr), m_in(stdin)
{
}

QString CCliPrompt::ForTerminal(const QString& text)
{
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return shown;
}

void CCliPrompt::ShowMessage(const QString& text, Icon)
{
    m_err << ForTerminal(text) << '\n';
    m_err.flush();
}

bool CCliPrompt::AskYesNo(const QString& text)
{
    const QString answer = ReadAnswer(text, QStringLiteral("[y/N]"));
    return answer == QLatin1String("y") || answer == QLatin1String("yes");
}

COperatorPrompt::Answer CCliPrompt::AskYesNoCancel(const QString& text)
{
    const QString answer = ReadAnswer(text, QStringLiteral("[y/n/C]"));
    if (answer == QLatin1String("y") || answer == QLatin1String("yes"))
        return Answer::Yes;
    if (answer == QLatin1String("n") || answer == QLatin1String("no"))
        return Answer::No;
    return Answer::Cancel;
}

// End of input cancels.
bool CCliPrompt::AskText(const QString& text, QString& answer)
{
    m_err << ForTerminal(text) << ' ';
    m_err.flush();
    answer = m_in.readLine();
    return !answer.isNull();
}

// End of input is no answer, which never means Yes.
QString CCliPrompt::ReadAnswer(const QString& question, const QString& choices)
{
    m_err << ForTerminal(question) << ' ' << choices << ' ';
    if (m_bAnswerYes) {
        m_err << "y\n";
        m_err.flush();
        return QStringLiteral("y");
    }
    m_err.flush();
    const QString line = m_in.readLine();
    return line.trimmed().toLower();
}
