#include "cli/CCliRecord.h"
#include "cli/CliCommands.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <cstdio>

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

QJsonObject RecordJson(const CZentakDoc& doc, bool dataPresent)
{
    return QJsonObject{
        {QStringLiteral("format"), doc.m_nFileFormat},
        {QStringLiteral("firmwareRelease"), doc.m_nFirmwareRelease},
        {QStringLiteral("firmwareVersion"), doc.m_strFirmwareVersion},
        {QStringLiteral("desired"), Values(doc.m_nDesiredForce, doc.m_nDesiredDisp,
                                           doc.m_nDesiredVelocity, doc.m_nDesiredDwell)},
        {QStringLiteral("actual"),
         Values(doc.m_nActualForce, doc.m_nActualDisp, doc.m_nActualVelocity, doc.m_nActualDwell)},
        {QStringLiteral("dispDown"), Numbers(doc.m_arrDispDown)},
        {QStringLiteral("forceDown"), Numbers(doc.m_arrForceDown)},
        {QStringLiteral("dispUp"), Numbers(doc.m_arrDispUp)},
        {QStringLiteral("forceUp"), Numbers(doc.m_arrForceUp)},
        {QStringLiteral("stepTimeDown"), Numbers(doc.m_arrStepTimeDown)},
        {QStringLiteral("stepTimeUp"), Numbers(doc.m_arrStepTimeUp)},
        {QStringLiteral("stats"),
         QJsonObject{{QStringLiteral("dispMax"), qint64(doc.m_nDispMax)},
                     {QStringLiteral("dispMin"), qint64(doc.m_nDispMin)},
                     {QStringLiteral("forceMax"), qint64(doc.m_nForceMax)},
                     {QStringLiteral("contactIndex"), doc.m_nContactIndex}}},
        {QStringLiteral("comments"), doc.m_strComments},
        {QStringLiteral("dataPresent"), dataPresent},
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

void PrintRecord(QTextStream& out, const CZentakDoc& doc, bool dataPresent)
{
    out << "File format:       " << doc.m_nFileFormat << '\n'
        << "Firmware release:  " << doc.m_nFirmwareRelease << " (version \""
        << doc.m_strFirmwareVersion << "\")\n"
        << "Desired:           force " << doc.m_nDesiredForce << " K dynes, displacement "
        << doc.m_nDesiredDisp << " microns, velocity " << doc.m_nDesiredVelocity << " mm/s, dwell "
        << doc.m_nDesiredDwell << " s\n"
        << "Actual:            force " << doc.m_nActualForce << " K dynes, displacement "
        << doc.m_nActualDisp << " microns, velocity " << doc.m_nActualVelocity << " mm/s, dwell "
        << doc.m_nActualDwell << " s\n"
        << "Statistics:        displacement max " << doc.m_nDispMax << " min " << doc.m_nDispMin
        << " counts, force max " << doc.m_nForceMax << ", contact index " << doc.m_nContactIndex
        << '\n'
        << "Data present:      " << (dataPresent ? "yes" : "no") << '\n'
        << "Comments:\n";
    QString comments = doc.m_strComments;
    comments.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    out << comments;
    if (!comments.isEmpty() && !comments.endsWith(QLatin1Char('\n')))
        out << '\n';
    PrintStroke(out, "Down", doc.m_arrDispDown, doc.m_arrForceDown, doc.m_arrStepTimeDown);
    PrintStroke(out, "Up", doc.m_arrDispUp, doc.m_arrForceUp, doc.m_arrStepTimeUp);
}

}  // namespace

int CliCommands::RunShow(const QStringList& args)
{
    QCommandLineParser parser;
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print one JSON object."));
    parser.addOption(json);
    if (!parser.parse(QStringList{QStringLiteral("show")} + args) ||
        parser.positionalArguments().size() != 1) {
        QTextStream(stderr) << "usage: zentak-cli " << kShowSynopsis << '\n';
        return kExitBadArguments;
    }
    CCliRecord record;
    if (!record.Load(parser.positionalArguments().constFirst()))
        return kExitFailure;
    const CZentakDoc& doc = record.Doc();
    const bool dataPresent = doc.DataPresent();
    if (parser.isSet(json)) {
        const QByteArray text =
            QJsonDocument(RecordJson(doc, dataPresent)).toJson(QJsonDocument::Compact);
        std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
        std::fputc('\n', stdout);
    } else {
        QTextStream out(stdout);
        PrintRecord(out, doc, dataPresent);
    }
    std::fflush(stdout);
    // Only a file cut short says nothing; every other load that is not
    // complete has told why on stderr.
    const auto outcome = doc.LastLoadOutcome();
    const bool messageShown = outcome != CZentakDoc::LoadOutcome::Complete &&
                              outcome != CZentakDoc::LoadOutcome::NoEndMarker;
    return messageShown ? kExitFailure : kExitSuccess;
}
