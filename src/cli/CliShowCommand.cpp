#include "cli/CCliArguments.h"
#include "cli/CCliRecord.h"
#include "cli/CliCommands.h"
#include "cli/CliQuality.h"
#include "core/quality/CQualityCheck.h"
#include "core/quality/CQualitySettings.h"
#include "core/record/CImpactMeasures.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTextStream>

namespace {

QJsonObject Values(int force, int displacement, int velocity, int dwell)
{
    return QJsonObject{{QStringLiteral("force"), force},
                       {QStringLiteral("displacement"), displacement},
                       {QStringLiteral("velocity"), velocity},
                       {QStringLiteral("dwell"), dwell}};
}

QJsonArray Numbers(const CUIntArray& values)
{
    QJsonArray numbers;
    for (quint32 value : values)
        numbers.append(qint64(value));
    return numbers;
}

// The verdict with the thresholds it was judged by, so a script can tell
// why a run was flagged.
QJsonValue QualityJson(const CImpactRecord& record)
{
    const CQualityThresholds thresholds = CQualitySettings::Load();
    QJsonValue verdict = CQualityVerdict::Json(CQualityCheck::Judge(record, thresholds));
    if (verdict.isNull())
        return verdict;
    QJsonObject json = verdict.toObject();
    json.insert(QStringLiteral("thresholds"), CliQuality::ThresholdsJson(thresholds));
    return json;
}

QJsonObject RecordJson(const CImpactRecord& record, bool dataPresent)
{
    return QJsonObject{
        {QStringLiteral("format"), record.m_nFileFormat},
        {QStringLiteral("firmwareRelease"), record.m_nFirmwareRelease},
        {QStringLiteral("firmwareVersion"), record.m_strFirmwareVersion},
        {QStringLiteral("desired"), Values(record.m_nDesiredForce, record.m_nDesiredDisp,
                                           record.m_nDesiredVelocity, record.m_nDesiredDwell)},
        {QStringLiteral("actual"), Values(record.m_nActualForce, record.m_nActualDisp,
                                          record.m_nActualVelocity, record.m_nActualDwell)},
        {QStringLiteral("dispDown"), Numbers(record.m_arrDispDown)},
        {QStringLiteral("forceDown"), Numbers(record.m_arrForceDown)},
        {QStringLiteral("dispUp"), Numbers(record.m_arrDispUp)},
        {QStringLiteral("forceUp"), Numbers(record.m_arrForceUp)},
        {QStringLiteral("stepTimeDown"), Numbers(record.m_arrStepTimeDown)},
        {QStringLiteral("stepTimeUp"), Numbers(record.m_arrStepTimeUp)},
        {QStringLiteral("stats"),
         QJsonObject{{QStringLiteral("dispMax"), qint64(record.m_nDispMax)},
                     {QStringLiteral("dispMin"), qint64(record.m_nDispMin)},
                     {QStringLiteral("forceMax"), qint64(record.m_nForceMax)},
                     {QStringLiteral("contactIndex"), record.m_nContactIndex}}},
        {QStringLiteral("comments"), record.m_strComments},
        {QStringLiteral("dataPresent"), dataPresent},
        {QStringLiteral("qc"), QualityJson(record)},
        {QStringLiteral("measures"), CliQuality::MeasuresJson(CImpactMeasures::Of(record))},
    };
}

QString Cell(const CUIntArray& values, qsizetype i)
{
    return i < values.size() ? QString::number(values[i]) : QString();
}

void PrintStroke(QTextStream& out, const char* name, const CUIntArray& disp,
                 const CUIntArray& force, const CUIntArray& stepTime)
{
    const qsizetype rows = qMax(disp.size(), qMax(force.size(), stepTime.size()));
    out << '\n' << name << " stroke, " << rows << " samples\n";
    if (rows == 0)
        return;
    const bool stepTimes = !stepTime.isEmpty();
    out << QStringLiteral("%1 %2 %3")
               .arg(QStringLiteral("#"), 6)
               .arg(QStringLiteral("displacement"), 12)
               .arg(QStringLiteral("force"), 8);
    out << (stepTimes ? " step time\n" : "\n");
    for (qsizetype i = 0; i < rows; ++i) {
        out << QStringLiteral("%1 %2 %3")
                   .arg(i + 1, 6)
                   .arg(Cell(disp, i), 12)
                   .arg(Cell(force, i), 8);
        if (stepTimes)
            out << QStringLiteral(" %1").arg(Cell(stepTime, i), 9);
        out << '\n';
    }
}

void PrintRecord(QTextStream& out, const CImpactRecord& record, bool dataPresent)
{
    out << "File format:       " << record.m_nFileFormat << '\n'
        << "Firmware release:  " << record.m_nFirmwareRelease << " (version \""
        << record.m_strFirmwareVersion << "\")\n"
        << "Desired:           force " << record.m_nDesiredForce << " K dynes, displacement "
        << record.m_nDesiredDisp << " microns, velocity " << record.m_nDesiredVelocity
        << " mm/s, dwell " << record.m_nDesiredDwell << " s\n"
        << "Actual:            force " << record.m_nActualForce << " K dynes, displacement "
        << record.m_nActualDisp << " microns, velocity " << record.m_nActualVelocity
        << " mm/s, dwell " << record.m_nActualDwell << " s\n"
        << "Statistics:        displacement max " << record.m_nDispMax << " min "
        << record.m_nDispMin << " counts, force max " << record.m_nForceMax << ", contact index "
        << record.m_nContactIndex << '\n'
        << "Data present:      " << (dataPresent ? "yes" : "no") << '\n'
        << "Quality check:     "
        << CliQuality::Text(CQualityCheck::Judge(record, CQualitySettings::Load())) << '\n'
        << "Comments:\n";
    QString comments = record.m_strComments;
    comments.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    out << comments;
    if (!comments.isEmpty() && !comments.endsWith(QLatin1Char('\n')))
        out << '\n';
    PrintStroke(out, "Down", record.m_arrDispDown, record.m_arrForceDown, record.m_arrStepTimeDown);
    PrintStroke(out, "Up", record.m_arrDispUp, record.m_arrForceUp, record.m_arrStepTimeUp);
}

}  // namespace

int CliCommands::RunShow(const CCliArguments& arguments)
{
    CCliRecord file;
    if (!file.Load(arguments.Operands().constFirst()))
        return kExitFailure;
    const CImpactRecord& record = file.Doc().Record();
    const bool dataPresent = record.m_bDataPresent;
    if (arguments.IsSet(QStringLiteral("json"))) {
        CliQuality::PrintJson(RecordJson(record, dataPresent));
    } else {
        QTextStream out(stdout);
        PrintRecord(out, record, dataPresent);
    }
    // A load that had something to tell has told it on stderr; only a file
    // cut short says nothing.
    return file.Doc().LoadMessage().isEmpty() ? kExitSuccess : kExitFailure;
}
