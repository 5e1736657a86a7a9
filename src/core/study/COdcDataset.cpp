#include "core/study/COdcDataset.h"

#include "core/study/COdcChecker.h"
#include "core/study/CSubjectTable.h"

#include <functional>

namespace {

using Row = CCohortSummary::Row;

// A column the program fills from the impact itself.
struct Variable {
    const char* name;
    const char* title;
    const char* unit;
    const char* type;
    const char* permitted;
    const char* description;
    std::function<QString(const Row&)> value;
};

QString Number(int value)
{
    return QString::number(value);
}

QString InjuryDetails(const Row& r)
{
    return QStringLiteral("Set force %1 K dynes, velocity %2 mm/s, dwell %3 s")
        .arg(r.desiredForce)
        .arg(r.desiredVelocity)
        .arg(r.desiredDwell);
}

QString DecisionText(const Row& r,
                     const std::function<QString(const CStudyDecisions::Decision&)>& part)
{
    return r.decision ? part(*r.decision) : QString();
}

QList<Variable> ImpactVariables()
{
    QList<Variable> variables = {
        {"Injury_type", "Injury type", "", "Categorical", "contusion",
         "The kind of injury: a contusion by the impactor's probe.",
         [](const Row&) { return QStringLiteral("contusion"); }},
        {"Injury_device", "Injury device", "", "Free Text", "", "The device that made the injury.",
         [](const Row&) { return QLatin1String(COdcDataset::kInjuryDevice); }},
        {"Injury_details", "Injury details", "", "Free Text", "",
         "The force, velocity and dwell the impactor was set to.", InjuryDetails},
        {"Impact_time", "Impact date and time", "", "Date", "",
         "When the run's results were derived, local time, from the run's stamp.",
         [](const Row& r) { return r.stamp.toString(Qt::ISODate); }},
        {"Intended_force", "Intended force", "K dynes", "Numeric", "",
         "The peak force the impactor was set to.",
         [](const Row& r) { return Number(r.desiredForce); }},
        {"Actual_force", "Actual force", "K dynes", "Numeric", "",
         "The actual force the program derived from the force trace.",
         [](const Row& r) { return Number(r.actualForce); }},
        {"Intended_displacement", "Intended displacement", "microns", "Numeric", "",
         "The displacement the impactor was set to.",
         [](const Row& r) { return Number(r.desiredDisp); }},
        {"Actual_displacement", "Actual displacement", "microns", "Numeric", "",
         "The actual displacement the program derived: from contact to the deepest point.",
         [](const Row& r) { return Number(r.actualDisp); }},
        {"Intended_velocity", "Intended velocity", "mm/s", "Numeric", "",
         "The velocity the impactor was set to.",
         [](const Row& r) { return Number(r.desiredVelocity); }},
        {"Actual_velocity", "Actual velocity", "mm/s", "Numeric", "",
         "The actual velocity the program derived from the down stroke.",
         [](const Row& r) { return Number(r.actualVelocity); }},
        {"Intended_dwell", "Intended dwell", "s", "Numeric", "",
         "The dwell the impactor was set to.", [](const Row& r) { return Number(r.desiredDwell); }},
        {"Actual_dwell", "Actual dwell", "s", "Numeric", "",
         "The dwell the record holds as actual.",
         [](const Row& r) { return Number(r.actualDwell); }},
    };
    for (const CImpactMeasures::Field& field : CImpactMeasures::Fields())
        variables.append({field.variable, field.title, field.unit, "Numeric", "", field.definition,
                          [&field](const Row& r) {
                              const std::optional<double> value = field.value(r.measures);
                              return value ? QString::number(*value, 'f', field.decimals)
                                           : QString();
                          }});
    variables += QList<Variable>{
        {"QC_flags", "Quality check flags", "", "Free Text", "",
         "\"pass\", or the flags the program's quality checks raised, space-separated.",
         [](const Row& r) {
             return r.verdict.Passed() ? QStringLiteral("pass") : r.verdict.Keys().join(u' ');
         }},
        {"Exclusion_in_origin_study", "Excluded in the origin study", "", "Categorical", "Yes|No",
         "Yes when a quality check flagged the impact and no decision included it, or a "
         "decision excluded it.",
         [](const Row& r) { return r.Included() ? QStringLiteral("No") : QStringLiteral("Yes"); }},
        {"Exclusion_reason", "Exclusion reason", "", "Free Text", "",
         "Why the impact was excluded.", COdcDataset::ExclusionReason},
        {"Decision", "Operator's decision", "", "Categorical", "exclude|include",
         "The operator's decision on the impact, overriding its quality checks.",
         [](const Row& r) {
             return DecisionText(r,
                                 [](const auto& d) { return CStudyDecisions::KindText(d.kind); });
         }},
        {"Decision_reason", "Reason for the decision", "", "Free Text", "",
         "The reason the operator gave for the decision.",
         [](const Row& r) { return DecisionText(r, [](const auto& d) { return d.reason; }); }},
        {"Decided_by", "Decided by", "", "Free Text", "", "Who recorded the decision.",
         [](const Row& r) { return DecisionText(r, [](const auto& d) { return d.who; }); }},
        {"Decided_at", "Decided at", "", "Date", "", "When the decision was recorded, UTC.",
         [](const Row& r) {
             return DecisionText(r, [](const auto& d) { return d.when.toString(Qt::ISODate); });
         }},
        {"Source_file", "Source file", "", "Free Text", "",
         "The experiment file or run log the impact was read from.",
         [](const Row& r) { return r.source; }},
        {"Source_entry", "Run log entry", "", "Numeric", "",
         "The impact's entry in the run log, 1 the oldest; blank for an experiment file.",
         [](const Row& r) { return r.entry > 0 ? Number(r.entry) : QString(); }},
    };
    return variables;
}

// What the commons and the program know of a subjects table's column.
QStringList SubjectDictionaryRow(const QString& name)
{
    struct Known {
        const char* name;
        const char* title;
        const char* type;
        const char* description;
    };
    static const QList<Known> known = {
        {"Subject_ID", "Subject ID", "Free Text", "The animal's ID, the subject line of its runs."},
        {"Species", "Species", "Categorical", "The animal's species."},
        {"Strain", "Strain", "Categorical", "The animal's strain."},
        {"Sex", "Sex", "Categorical", "The animal's sex."},
        {"Age", "Age", "Numeric", "The animal's age, in the unit of the subjects table."},
        {"Weight", "Weight", "Numeric", "The animal's weight, in the unit of the subjects table."},
        {"Group", "Group", "Categorical", "The experimental group."},
    };
    for (const Known& k : known) {
        if (name == QLatin1String(k.name))
            return {name, k.title, "", k.description, k.type, "", "", "", ""};
    }
    return {name, name, "", "From the subjects table.", "Free Text", "", "", "", ""};
}

QStringList DictionaryRow(const Variable& v)
{
    return {v.name, v.title, v.unit, v.description, v.type, v.permitted, "", "", ""};
}

// Columns blank in every row dropped, from both tables.
void DropBlankColumns(COdcDataset::Tables& tables)
{
    CCsvTable& dataset = tables.dataset;
    for (qsizetype c = dataset.m_header.size() - 1; c > 0; --c) {
        const bool blank = std::all_of(dataset.m_rows.cbegin(), dataset.m_rows.cend(),
                                       [c](const QStringList& row) { return row[c].isEmpty(); });
        if (!blank)
            continue;
        tables.dictionary.m_rows.removeAt(c);
        dataset.m_header.removeAt(c);
        for (QStringList& row : dataset.m_rows)
            row.removeAt(c);
    }
}

}  // namespace

QString COdcDataset::ExclusionReason(const Row& row)
{
    if (row.Included())
        return QString();
    if (row.decision)
        return QStringLiteral("Excluded by hand: ") + row.decision->reason;
    return QStringLiteral("Quality check flags: ") + row.verdict.FlagNames();
}

COdcDataset::Tables COdcDataset::Build(const QList<Row>& rows, CSubjectTable* subjects)
{
    const QStringList subjectColumns = subjects ? subjects->Columns() : QStringList();
    QList<Variable> variables;
    for (const Variable& v : ImpactVariables()) {
        if (!subjectColumns.contains(QLatin1String(v.name)))
            variables.append(v);
    }
    Tables tables;
    tables.dataset.m_header = QStringList{CSubjectTable::kIdColumn} + subjectColumns;
    tables.dictionary.m_header = COdcChecker::DictionaryHeader();
    for (const QString& name : tables.dataset.m_header)
        tables.dictionary.m_rows.append(SubjectDictionaryRow(name));
    for (const Variable& v : variables) {
        tables.dataset.m_header.append(QLatin1String(v.name));
        tables.dictionary.m_rows.append(DictionaryRow(v));
    }
    for (const Row& row : rows) {
        const QStringList* subject = subjects ? subjects->Find(row.subject) : nullptr;
        QStringList cells{row.subject};
        cells += subject ? *subject : QStringList(subjectColumns.size(), QString());
        for (const Variable& v : variables)
            cells.append(v.value(row));
        tables.dataset.m_rows.append(cells);
    }
    DropBlankColumns(tables);
    return tables;
}

QStringList COdcDataset::Unasked(const CCsvTable& dataset)
{
    static const QStringList asked = {"Subject_ID",
                                      "Species",
                                      "Strain",
                                      "Animal_origin",
                                      "Age",
                                      "Weight",
                                      "Sex",
                                      "Group",
                                      "Laboratory",
                                      "StudyLeader",
                                      "Published",
                                      "Exclusion_in_origin_study",
                                      "Exclusion_reason",
                                      "Cause_of_Death",
                                      "Injury_type",
                                      "Injury_device",
                                      "Injury_level",
                                      "Injury_details"};
    QStringList missing;
    for (const QString& name : asked) {
        if (!dataset.m_header.contains(name))
            missing.append(name);
    }
    return missing;
}
