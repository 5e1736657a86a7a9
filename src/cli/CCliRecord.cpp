#include "cli/CCliRecord.h"

CCliRecord::CCliRecord(bool answerYes) : m_prompt(answerYes), m_doc(m_prompt)
{
}

bool CCliRecord::Load(const QString& path)
{
    if (m_doc.LoadFromFile(path))
        return true;
    m_prompt.Err() << m_doc.FileErrorString() << '\n';
    m_prompt.Err().flush();
    return false;
}

bool CCliRecord::LoadedWhole() const
{
    return m_doc.LastLoadOutcome() == CZentakDoc::LoadOutcome::Complete;
}

bool CCliRecord::HoldsUnwritableSamples() const
{
    if (m_doc.DataPresent())
        return false;
    for (const CUIntArray* trace :
         {&m_doc.m_arrDispDown, &m_doc.m_arrForceDown, &m_doc.m_arrDispUp, &m_doc.m_arrForceUp,
          &m_doc.m_arrStepTimeDown, &m_doc.m_arrStepTimeUp}) {
        if (!trace->isEmpty())
            return true;
    }
    return false;
}

// Data needs both displacement strokes and the down-stroke force.
QString CCliRecord::WhyNoData() const
{
    QStringList missing;
    if (m_doc.m_arrDispDown.isEmpty())
        missing << QStringLiteral("down-stroke displacement");
    if (m_doc.m_arrDispUp.isEmpty())
        missing << QStringLiteral("up-stroke displacement");
    if (m_doc.m_arrForceDown.isEmpty())
        missing << QStringLiteral("down-stroke force");
    const QString last = missing.takeLast();
    const QString traces = missing.isEmpty()
                               ? last
                               : missing.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
    return QStringLiteral("holds samples, but no %1 samples, so they do not count as data")
        .arg(traces);
}
