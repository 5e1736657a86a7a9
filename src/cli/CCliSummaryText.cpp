#include "cli/CCliSummaryText.h"

#include "cli/CliQuality.h"
#include "core/quality/CCohortSummary.h"
#include "core/study/CCsvTable.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <functional>

namespace {

using Row = CCohortSummary::Row;
using Group = CCohortSummary::Group;
using Statistic = CCohortSummary::Statistic;
using Flag = CQualityVerdict::Flag;

constexpr int kStatisticDecimals = 2;
constexpr const char* kByHandKey = "by-hand";

QString Number(const std::optional<double>& value, int decimals)
{
    return value ? QString::number(*value, 'f', decimals) : QString();
}

// The terminal's narrow table shows only the measures named.
QString MeasureCell(const Row& row, const char* key)
{
    for (const CImpactMeasures::Field& field : CImpactMeasures::Fields()) {
        if (qstrcmp(field.key, key) == 0)
            return Number(field.value(row.measures), field.decimals);
    }
    return QString();
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

QString DecisionCell(const Row& row)
{
    if (!row.decision)
        return QString();
    return CStudyDecisions::KindText(row.decision->kind) + QStringLiteral(": ") +
           row.decision->reason;
}

QList<Column> RunColumns(const CCohortSummary& summary)
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
        {"QC",
         [](const Row& r) {
             return r.verdict.Passed() ? QStringLiteral("pass")
                                       : r.verdict.Keys().join(QLatin1Char(' '));
         }},
    };
    for (const CImpactMeasures::Field& field : CImpactMeasures::Fields())
        columns.insert(columns.size() - 1, {field.title, [&field](const Row& r) {
                                                return Number(field.value(r.measures),
                                                              field.decimals);
                                            }});
    if (summary.HasDecisions())
        columns.append({"Decision", DecisionCell});
    if (summary.Grouped())
        columns.append({"Group", [](const Row& r) { return r.group; }});
    return columns;
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

QJsonObject StatisticJson(const Statistic& statistic)
{
    return {{QStringLiteral("mean"), CliQuality::JsonNumber(statistic.mean, kStatisticDecimals)},
            {QStringLiteral("sd"), CliQuality::JsonNumber(statistic.sd, kStatisticDecimals)}};
}

QJsonObject Values(int force, int displacement, int velocity)
{
    return {{QStringLiteral("force"), force},
            {QStringLiteral("displacement"), displacement},
            {QStringLiteral("velocity"), velocity}};
}

QJsonObject RunJson(const Row& row, bool grouped)
{
    QJsonObject json{
        {QStringLiteral("source"), row.source},
        {QStringLiteral("entry"), row.entry > 0 ? QJsonValue(row.entry) : QJsonValue::Null},
        {QStringLiteral("stamp"), row.stamp.isValid() ? QJsonValue(Stamp(row)) : QJsonValue()},
        {QStringLiteral("subject"), row.subject},
        {QStringLiteral("firmware"), row.firmware},
        {QStringLiteral("desired"), Values(row.desiredForce, row.desiredDisp, row.desiredVelocity)},
        {QStringLiteral("actual"), Values(row.actualForce, row.actualDisp, row.actualVelocity)},
        {QStringLiteral("qc"), CQualityVerdict::Json(row.verdict)},
    };
    const QJsonObject measures = CliQuality::MeasuresJson(row.measures);
    for (auto it = measures.begin(); it != measures.end(); ++it)
        json.insert(it.key(), it.value());
    if (row.decision)
        json.insert(
            QStringLiteral("decision"),
            QJsonObject{{QStringLiteral("decision"), CStudyDecisions::KindText(row.decision->kind)},
                        {QStringLiteral("reason"), row.decision->reason},
                        {QStringLiteral("who"), row.decision->who},
                        {QStringLiteral("when"), row.decision->when.toString(Qt::ISODate)},
                        {QStringLiteral("changed"), row.DecisionChanged()}});
    if (grouped)
        json.insert(QStringLiteral("group"), row.group);
    return json;
}

QJsonObject GroupJson(const Group& group, bool decisions)
{
    QJsonObject excluded;
    for (Flag flag : CQualityVerdict::AllFlags())
        excluded.insert(CQualityVerdict::Key(flag), group.excluded[int(flag)]);
    if (decisions)
        excluded.insert(QLatin1String(kByHandKey), group.excludedByHand);
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
    if (group.excludedByHand > 0)
        parts.append(QStringLiteral("by hand %1").arg(group.excludedByHand));
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
            MeasureCell(row, "peakForceKdyn"),
            MeasureCell(row, "timeToPeakMs"),
            MeasureCell(row, "dispAtPeakMicrons"),
            MeasureCell(row, "forceTimeIntegralKdynMs"),
            CQualityVerdict::Cell(row.verdict),
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
    const QList<Column> columns = RunColumns(summary);
    QStringList headers;
    for (const Column& column : columns)
        headers.append(QLatin1String(column.header));
    QString text = CCsvTable::Line(headers);
    for (const Row& row : summary.Rows()) {
        QStringList cells;
        for (const Column& column : columns)
            cells.append(column.cell(row));
        text += CCsvTable::Line(cells);
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
        if (summary.HasDecisions())
            groupHeaders.append(QStringLiteral("Excluded: ") + QLatin1String(kByHandKey));
        text += QStringLiteral("\r\n") + CCsvTable::Line(groupHeaders);
        for (const Group& group : summary.Groups()) {
            QStringList cells = {group.name, QString::number(group.runs),
                                 QString::number(group.included)};
            cells += StatisticCells(group.force) + StatisticCells(group.displacement) +
                     StatisticCells(group.velocity);
            for (Flag flag : CQualityVerdict::AllFlags())
                cells.append(QString::number(group.excluded[int(flag)]));
            if (summary.HasDecisions())
                cells.append(QString::number(group.excludedByHand));
            text += CCsvTable::Line(cells);
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
            groups.append(GroupJson(group, summary.HasDecisions()));
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

QString CCliSummaryText::Decisions(const CCohortSummary& summary)
{
    QString text;
    for (const Row& row : summary.Rows()) {
        if (row.decision)
            text += DecisionLine(row.source, row.entry, *row.decision, row.verdict);
    }
    return text;
}

QString CCliSummaryText::DecisionLine(const QString& source, int entry,
                                      const CStudyDecisions::Decision& decision,
                                      const CQualityVerdict& verdict)
{
    QString text = source;
    if (entry > 0)
        text += QStringLiteral(" entry %1").arg(entry);
    return text + QStringLiteral(": ") + CStudyDecisions::EffectText(decision.kind, verdict) +
           QStringLiteral(": ") + decision.reason + u'\n';
}
