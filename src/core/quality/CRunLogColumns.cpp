#include "core/quality/CRunLogColumns.h"

#include <iterator>

namespace {

using Column = CRunLogColumns::Column;
using Listed = CRunLogColumns::Listed;

QJsonValue Stamped(const Listed& listed, const QString& text)
{
    return listed.entry.m_stampTime.isValid() ? QJsonValue(text) : QJsonValue();
}

QVariant Stamp(const Listed& listed)
{
    return listed.entry.m_stampTime;
}

// clang-format off
constexpr Column kColumns[] = {
    {CRunLogColumns::kNumber, "number", "No.", 6, 0,
     "The entry's number in the log, 1 for the oldest", "its number (1 is the oldest)",
     [](const Listed& l) { return QJsonValue(qint64(l.number)); }},
    {CRunLogColumns::kDate, "date", "Date", -10, 2,
     "Date of the run's stamp", "the date and time of its stamp",
     [](const Listed& l) { return Stamped(l, l.entry.DateText()); },
     [](const Listed& l) { return l.entry.DateText(); }, Stamp},
    {CRunLogColumns::kTime, "time", "Time", -8, 2, "Time of the run's stamp", nullptr,
     [](const Listed& l) { return Stamped(l, l.entry.TimeText()); },
     [](const Listed& l) { return l.entry.TimeText(); }, Stamp},
    {CRunLogColumns::kFirmware, "firmwareVersion", "Firmware", -10, 2,
     "Firmware release version of the control box", "the firmware version",
     [](const Listed& l) { return QJsonValue(l.entry.m_strFirmwareVersion); }},
    {CRunLogColumns::kDesiredForce, "desiredForce", "Desired", 7, 1,
     "Desired force, K dynes", "the desired force",
     [](const Listed& l) { return QJsonValue(l.entry.m_nDesiredForce); }},
    {CRunLogColumns::kActualForce, "actualForce", "Force", 6, 1,
     "Actual force, K dynes", "the actual force (K dynes)",
     [](const Listed& l) { return QJsonValue(l.entry.m_nActualForce); }},
    {CRunLogColumns::kDisplacement, "actualDisplacement", "Disp", 6, 1,
     "Actual displacement, microns", "displacement (microns) and velocity (mm/s)",
     [](const Listed& l) { return QJsonValue(l.entry.m_nActualDisp); }},
    {CRunLogColumns::kVelocity, "actualVelocity", "Velocity", 8, 1,
     "Actual velocity, mm/s", nullptr,
     [](const Listed& l) { return QJsonValue(l.entry.m_nActualVelocity); }},
    {CRunLogColumns::kDownSamples, "downSamples", "Down", 5, 1,
     "Samples of the down stroke", "the samples of the down and the up stroke",
     [](const Listed& l) { return QJsonValue(l.entry.m_nDownSamples); }},
    {CRunLogColumns::kUpSamples, "upSamples", "Up", 5, 1, "Samples of the up stroke", nullptr,
     [](const Listed& l) { return QJsonValue(l.entry.m_nUpSamples); }},
    {CRunLogColumns::kState, "torn", "", -4, 2,
     "\"torn\": the log ends, or the next entry begins, inside this entry",
     "\"torn\" for an entry that the log ends or the next entry begins inside",
     [](const Listed& l) { return QJsonValue(l.entry.m_bTorn); },
     [](const Listed& l) { return l.entry.m_bTorn ? QStringLiteral("torn") : QString(); }},
    {CRunLogColumns::kQuality, "qc", "QC", 0, 2,
     "The quality check: pass, its flags, or - for an entry that does not open whole",
     "the quality check (\"pass\", its flags, or \"-\" for an entry that does not open whole) "
     "by the thresholds the window keeps",
     [](const Listed& l) { return CQualityVerdict::Json(l.verdict); },
     [](const Listed& l) { return CQualityVerdict::Cell(l.verdict); }},
    {CRunLogColumns::kSubject, "subject", "Subject", 0, 2,
     "The animal's ID given with the run", "and its subject",
     [](const Listed& l) { return QJsonValue(l.entry.m_strSubject); }},
    {CRunLogColumns::kFirmwareRelease, "firmwareRelease", nullptr, 0, 0, nullptr, nullptr,
     [](const Listed& l) { return QJsonValue(l.entry.m_nFirmwareRelease); }},
    {CRunLogColumns::kOffset, "offset", nullptr, 0, 0, nullptr, nullptr,
     [](const Listed& l) { return QJsonValue(l.entry.m_nOffset); }},
    {CRunLogColumns::kLength, "length", nullptr, 0, 0, nullptr, nullptr,
     [](const Listed& l) { return QJsonValue(l.entry.m_nLength); }},
};
// clang-format on

static_assert(
    [] {
        if (std::size(kColumns) != CRunLogColumns::kCount)
            return false;
        for (int i = 0; i < CRunLogColumns::kCount; ++i) {
            const bool listed = kColumns[i].heading;
            if (kColumns[i].id != i || listed != (i < CRunLogColumns::kListedCount))
                return false;
        }
        return true;
    }(),
    "a row a column, at its id, the listed ones first");

}  // namespace

const Column& CRunLogColumns::At(int id)
{
    return kColumns[id];
}

QString CRunLogColumns::Text(int id, const Listed& listed)
{
    const Column& column = kColumns[id];
    if (column.text)
        return column.text(listed);
    const QJsonValue value = column.json(listed);
    return value.isString() ? value.toString() : QString::number(value.toInteger());
}

QJsonObject CRunLogColumns::Json(const Listed& listed)
{
    QJsonObject json;
    for (const Column& column : kColumns)
        json.insert(QLatin1String(column.key), column.json(listed));
    return json;
}

QString CRunLogColumns::HelpText()
{
    QStringList said;
    for (int id = 0; id < kListedCount; ++id) {
        if (kColumns[id].help)
            said.append(QLatin1String(kColumns[id].help));
    }
    return QStringLiteral(
               "Reads the run log back. list prints one line per entry, oldest first: ") +
           said.join(QStringLiteral(", ")) + u'.';
}
