#include "cli/CCliSummaryText.h"

#include "cli/CliQuality.h"
#include "core/quality/CCohortSummary.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <functional>

namespace {

using Row = CCohortSummary::Row;
using Group = CCohortSummary::Group;
using Statistic = CCohortSummary::Statistic;
using Flag = CQualityVerdict::Flag;

constexpr int kPeakForceDecimals = 1;
constexpr int kTimeDecimals = 3;
constexpr int kIntegralDecimals = 2;
constexpr int kStatisticDecimals = 2;

QString Number(const std::optional<double>& value, int decimals)
{
    return value ? QString::number(*value, 'f', decimals) : QString();
}

QString Number(const std::optional<int>& value)
{
    return value ? QString::number(*value) : QString();
}

QString Stamp(const Row& row)
{
    return row.stamp.isValid() ? row.stamp.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                               : QString();
}

QString Entry(int entry)
{
    return entry > 0 ? QString::number(entry) : QString();
}

struct Column {
    const char* header;
    std::function<QString(const Row&)> cell;
};

QList<Column> RunColumns(bool grouped)
{
    QList<Column> columns = {
        {"Source", [](const Row& r) { return r.source; }},
        {"Entry", [](const Row& r) { return Entry(r.entry); }},
        {"Stamp", [](const Row& r) { return Stamp(r); }},
        {"Subject", [](const Row& r) { return r.subject; }},
        {"Firmware", [](const Row& r) { return r.firmware; }},
        {"Desired Force (K dynes)", [](const Row& r) { return QString::number(r.desiredForce); }},
        {"Actual Force (K dynes)", [](const Row& r) { return QString::number(r.actualForce); }},
        {"Desired Displacement (microns)",
         [](const Row& r) { return QString::number(r.desiredDisp); }},
        {"Actual Displacement (microns)",
         [](const Row& r) { return QString::number(r.actualDisp); }},
        {"Desired Velocity (mm/s)",
         [](const Row& r) { return QString::number(r.desiredVelocity); }},
        {"Actual Velocity (mm/s)", [](const Row& r) { return QString::number(r.actualVelocity); }},
        {"Peak Force (K dynes)",
         [](const Row& r) { return Number(r.measures.m_nPeakForceKdyn, kPeakForceDecimals); }},
        {"Time to Peak Force (ms)",
         [](const Row& r) { return Number(r.measures.m_nTimeToPeakMs, kTimeDecimals); }},
        {"Displacement at Peak (microns)",
         [](const Row& r) { return Number(r.measures.m_nDispAtPeakMicrons); }},
        {"Force-Time Integral (K dyne ms)",
         [](const Row& r) {
             return Number(r.measures.m_nForceTimeIntegralKdynMs, kIntegralDecimals);
         }},
        {"QC",
         [](const Row& r) {
             return r.verdict.Passed() ? QStringLiteral("pass")
                                       : r.verdict.Keys().join(QLatin1Char(' '));
         }},
    };
    if (grouped)
        columns.append({"Group", [](const Row& r) { return r.group; }});
    return columns;
}

// RFC 4180: a field with a comma, a quote or a line break is quoted.
QString CsvField(const QString& text)
{
    static const QString special = QStringLiteral(",\"\r\n");
    if (std::none_of(text.cbegin(), text.cend(), [](QChar c) { return special.contains(c); }))
        return text;
    return u'"' + QString(text).replace(QLatin1String("\""), QLatin1String("\"\"")) + u'"';
}

QString CsvLine(const QStringList& fields)
{
    QStringList quoted;
    for (const QString& field : fields)
        quoted.append(CsvField(field));
    return quoted.join(u',') + QStringLiteral("\r\n");
}

QStringList StatisticCells(const Statistic& statistic)
{
    return {Number(statistic.mean, kStatisticDecimals), Number(statistic.sd, kStatisticDecimals)};
}

QString MeanAndSd(const Statistic& statistic)
{
    if (!statistic.mean)
        return QStringLiteral("-");
    const QString sd = statistic.sd ? QString::number(*statistic.sd, 'f', kStatisticDecimals)
                                    : QStringLiteral("-");
    return QStringLiteral("%1 (%2)").arg(QString::number(*statistic.mean, 'f', kStatisticDecimals),
                                         sd);
}

QJsonValue JsonNumber(const std::optional<double>& value, int decimals)
{
    if (!value)
        return QJsonValue::Null;
    const double scale = std::pow(10.0, decimals);
    return std::round(*value * scale) / scale;
}

QJsonObject StatisticJson(const Statistic& statistic)
{
    return {{QStringLiteral("mean"), JsonNumber(statistic.mean, kStatisticDecimals)},
            {QStringLiteral("sd"), JsonNumber(statistic.sd, kStatisticDecimals)}};
}

QJsonObject Values(int force, int displacement, int velocity)
{
    return {{QStringLiteral("force"), force},
            {QStringLiteral("displacement"), displacement},
            {QStringLiteral("velocity"), velocity}};
}

QJsonObject RunJson(const Row& row, bool grouped)
{
    const CImpactMeasures& m = row.measures;
    QJsonObject json{
        {QStringLiteral("source"), row.source},
        {QStringLiteral("entry"), row.entry > 0 ? QJsonValue(row.entry) : QJsonValue::Null},
        {QStringLiteral("stamp"), row.stamp.isValid() ? QJsonValue(Stamp(row)) : QJsonValue()},
        {QStringLiteral("subject"), row.subject},
        {QStringLiteral("firmware"), row.firmware},
        {QStringLiteral("desired"), Values(row.desiredForce, row.desiredDisp, row.desiredVelocity)},
        {QStringLiteral("actual"), Values(row.actualForce, row.actualDisp, row.actualVelocity)},
        {QStringLiteral("peakForceKdyn"), JsonNumber(m.m_nPeakForceKdyn, kPeakForceDecimals)},
        {QStringLiteral("timeToPeakMs"), JsonNumber(m.m_nTimeToPeakMs, kTimeDecimals)},
        {QStringLiteral("dispAtPeakMicrons"),
         m.m_nDispAtPeakMicrons ? QJsonValue(*m.m_nDispAtPeakMicrons) : QJsonValue()},
        {QStringLiteral("forceTimeIntegralKdynMs"),
         JsonNumber(m.m_nForceTimeIntegralKdynMs, kIntegralDecimals)},
        {QStringLiteral("qc"), CliQuality::VerdictJson(row.verdict)},
    };
    if (grouped)
        json.insert(QStringLiteral("group"), row.group);
    return json;
}

QJsonObject GroupJson(const Group& group)
{
    QJsonObject excluded;
    for (Flag flag : CQualityVerdict::AllFlags())
        excluded.insert(CQualityVerdict::Key(flag), group.excluded[int(flag)]);
    return {{QStringLiteral("group"), group.name},
            {QStringLiteral("runs"), group.runs},
            {QStringLiteral("included"), group.included},
            {QStringLiteral("force"), StatisticJson(group.force)},
            {QStringLiteral("displacement"), StatisticJson(group.displacement)},
            {QStringLiteral("velocity"), StatisticJson(group.velocity)},
            {QStringLiteral("excluded"), excluded}};
}

// Columns padded to their widest cell, two spaces apart.
QString Aligned(const QList<QStringList>& lines)
{
    QList<qsizetype> widths;
    for (const QStringList& line : lines) {
        for (qsizetype i = 0; i < line.size(); ++i) {
            if (i == widths.size())
                widths.append(0);
            widths[i] = qMax(widths[i], line[i].size());
        }
    }
    QString text;
    for (const QStringList& line : lines) {
        QString out;
        for (qsizetype i = 0; i < line.size(); ++i)
            out += i + 1 < line.size() ? line[i].leftJustified(widths[i] + 2) : line[i];
        while (out.endsWith(u' '))
            out.chop(1);
        text += out + u'\n';
    }
    return text;
}

QString ExclusionText(const Group& group)
{
    QStringList parts;
    for (Flag flag : CQualityVerdict::AllFlags()) {
        if (group.excluded[int(flag)] > 0)
            parts.append(QStringLiteral("%1 %2")
                             .arg(CQualityVerdict::Name(flag))
                             .arg(group.excluded[int(flag)]));
    }
    return parts.isEmpty() ? QStringLiteral("none") : parts.join(QStringLiteral(", "));
}

QString RunsTable(const CCohortSummary& summary)
{
    QList<QStringList> lines = {
        {"Source", "Entry", "Stamp", "Subject", "Firmware", "Force", "Displacement", "Velocity",
         "Peak force", "To peak", "At peak", "Force x time", "QC"},
        {"", "", "", "", "", "K dynes", "microns", "mm/s", "K dynes", "ms", "microns", "K dyne ms",
         ""},
        {"", "", "", "", "", "des/act", "des/act", "des/act", "", "", "", "", ""},
    };
    if (summary.Grouped()) {
        lines[0].append(QStringLiteral("Group"));
        for (qsizetype i = 1; i < lines.size(); ++i)
            lines[i].append(QString());
    }
    const auto pair = [](int desired, int actual) {
        return QStringLiteral("%1/%2").arg(desired).arg(actual);
    };
    for (const Row& row : summary.Rows()) {
        QStringList line = {
            row.source,
            Entry(row.entry),
            Stamp(row),
            row.subject,
            row.firmware,
            pair(row.desiredForce, row.actualForce),
            pair(row.desiredDisp, row.actualDisp),
            pair(row.desiredVelocity, row.actualVelocity),
            Number(row.measures.m_nPeakForceKdyn, kPeakForceDecimals),
            Number(row.measures.m_nTimeToPeakMs, kTimeDecimals),
            Number(row.measures.m_nDispAtPeakMicrons),
            Number(row.measures.m_nForceTimeIntegralKdynMs, kIntegralDecimals),
            CliQuality::Cell(row.verdict),
        };
        if (summary.Grouped())
            line.append(row.group);
        lines.append(line);
    }
    return Aligned(lines);
}

QString GroupsTable(const QList<Group>& groups)
{
    QList<QStringList> lines = {
        {"Group", "Runs", "Included", "Force", "Displacement", "Velocity", "Excluded by"},
        {"", "", "", "K dynes", "microns", "mm/s", ""},
        {"", "", "(n)", "mean (SD)", "mean (SD)", "mean (SD)", ""},
    };
    for (const Group& group : groups)
        lines.append({group.name, QString::number(group.runs), QString::number(group.included),
                      MeanAndSd(group.force), MeanAndSd(group.displacement),
                      MeanAndSd(group.velocity), ExclusionText(group)});
    return Aligned(lines);
}

}  // namespace

QByteArray CCliSummaryText::Csv(const CCohortSummary& summary)
{
    const QList<Column> columns = RunColumns(summary.Grouped());
    QStringList headers;
    for (const Column& column : columns)
        headers.append(QLatin1String(column.header));
    QString text = CsvLine(headers);
    for (const Row& row : summary.Rows()) {
        QStringList cells;
        for (const Column& column : columns)
            cells.append(column.cell(row));
        text += CsvLine(cells);
    }
    if (summary.Grouped()) {
        QStringList groupHeaders = {"Group",
                                    "Runs",
                                    "Included",
                                    "Mean Actual Force (K dynes)",
                                    "SD Actual Force (K dynes)",
                                    "Mean Actual Displacement (microns)",
                                    "SD Actual Displacement (microns)",
                                    "Mean Actual Velocity (mm/s)",
                                    "SD Actual Velocity (mm/s)"};
        for (Flag flag : CQualityVerdict::AllFlags())
            groupHeaders.append(QStringLiteral("Excluded: ") + CQualityVerdict::Key(flag));
        text += QStringLiteral("\r\n") + CsvLine(groupHeaders);
        for (const Group& group : summary.Groups()) {
            QStringList cells = {group.name, QString::number(group.runs),
                                 QString::number(group.included)};
            cells += StatisticCells(group.force) + StatisticCells(group.displacement) +
                     StatisticCells(group.velocity);
            for (Flag flag : CQualityVerdict::AllFlags())
                cells.append(QString::number(group.excluded[int(flag)]));
            text += CsvLine(cells);
        }
    }
    return text.toLatin1();
}

QByteArray CCliSummaryText::Json(const CCohortSummary& summary)
{
    QJsonArray runs;
    for (const Row& row : summary.Rows())
        runs.append(RunJson(row, summary.Grouped()));
    QJsonArray groups;
    if (summary.Grouped()) {
        for (const Group& group : summary.Groups())
            groups.append(GroupJson(group));
    }
    QJsonArray unreadable;
    for (const CCohortReader::Problem& problem : summary.Problems())
        unreadable.append(QJsonObject{
            {QStringLiteral("source"), problem.source},
            {QStringLiteral("entry"), problem.entry > 0 ? QJsonValue(problem.entry) : QJsonValue()},
            {QStringLiteral("reason"), problem.reason}});
    const QJsonObject json{
        {QStringLiteral("thresholds"), CliQuality::ThresholdsJson(summary.Thresholds())},
        {QStringLiteral("runs"), runs},
        {QStringLiteral("groups"), groups},
        {QStringLiteral("unreadable"), unreadable}};
    return QJsonDocument(json).toJson(QJsonDocument::Compact) + '\n';
}

QString CCliSummaryText::Table(const CCohortSummary& summary)
{
    QString text = RunsTable(summary);
    if (summary.Grouped())
        text += u'\n' + GroupsTable(summary.Groups());
    return text;
}

QString CCliSummaryText::Problems(const CCohortSummary& summary)
{
    QString text;
    for (const CCohortReader::Problem& problem : summary.Problems()) {
        text += problem.source;
        if (problem.entry > 0)
            text += QStringLiteral(" entry %1").arg(problem.entry);
        text += QStringLiteral(": ") + problem.reason + u'\n';
    }
    return text;
}
