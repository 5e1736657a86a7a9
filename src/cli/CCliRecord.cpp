#include "cli/CCliRecord.h"

CCliRecord::CCliRecord(bool answerYes) : m_prompt(answerYes)
{
}

bool CCliRecord::Load(const QString& path)
{
    if (!m_doc.Load(path)) {
        m_prompt.Err() << m_doc.FileErrorString() << '\n';
        m_prompt.Err().flush();
        return false;
    }
    if (!m_doc.LoadMessage().isEmpty())
        m_prompt.ShowMessage(m_doc.LoadMessage(), COperatorPrompt::Icon::Exclamation);
    return true;
}

bool CCliRecord::LoadedWhole() const
{
    return m_doc.LastLoadOutcome() == CZentakDoc::LoadOutcome::Complete;
}

bool CCliRecord::HoldsUnwritableSamples() const
{
    if (m_doc.DataPresent())
        return false;
    const CImpactRecord& record = m_doc.Record();
    for (const CUIntArray* trace :
         {&record.m_arrDispDown, &record.m_arrForceDown, &record.m_arrDispUp, &record.m_arrForceUp,
          &record.m_arrStepTimeDown, &record.m_arrStepTimeUp}) {
        if (!trace->isEmpty())
            return true;
    }
    return false;
}

// Data needs both displacement strokes and the down-stroke force.
QString CCliRecord::WhyNoData() const
{
    const CImpactRecord& record = m_doc.Record();
    QStringList missing;
    if (record.m_arrDispDown.isEmpty())
        missing << QStringLiteral("down-stroke displacement");
    if (record.m_arrDispUp.isEmpty())
        missing << QStringLiteral("up-stroke displacement");
    if (record.m_arrForceDown.isEmpty())
        missing << QStringLiteral("down-stroke force");
    const QString last = missing.takeLast();
    const QString traces = missing.isEmpty()
                               ? last
                               : missing.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
    return QStringLiteral("holds samples, but no %1 samples, so they do not count as data")
        .arg(traces);
}
