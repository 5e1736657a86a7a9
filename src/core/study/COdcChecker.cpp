#include "core/study/COdcChecker.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace {

using Problems = QStringList;

enum DictionaryColumn { kVariableName, kTitle, kUnit, kDescription, kDataType };

const QString kDataset = QStringLiteral("dataset.csv");
const QString kDictionary = QStringLiteral("dictionary.csv");

bool Blank(const QStringList& cells)
{
    return std::all_of(cells.cbegin(), cells.cend(),
                       [](const QString& cell) { return cell.trimmed().isEmpty(); });
}

QString Cell(const QStringList& row, qsizetype column)
{
    return column < row.size() ? row[column] : QString();
}

Problems BlankHeaders(const QString& file, const CCsvTable& table)
{
    Problems problems;
    for (qsizetype i = 0; i < table.m_header.size(); ++i) {
        if (table.m_header[i].trimmed().isEmpty())
            problems.append(QStringLiteral("%1 column %2 has no name").arg(file).arg(i + 1));
    }
    return problems;
}

Problems RepeatedHeaders(const QString& file, const CCsvTable& table)
{
    Problems problems;
    QSet<QString> seen;
    for (const QString& name : table.m_header) {
        if (!name.isEmpty() && seen.contains(name))
            problems.append(QStringLiteral("%1 has the column %2 twice").arg(file, name));
        seen.insert(name);
    }
    return problems;
}

Problems WrongWidths(const QString& file, const CCsvTable& table)
{
    Problems problems;
    for (qsizetype i = 0; i < table.m_rows.size(); ++i) {
        if (table.m_rows[i].size() != table.m_header.size())
            problems.append(QStringLiteral("%1 line %2 has %3 fields; the header has %4")
                                .arg(file)
                                .arg(i + 2)
                                .arg(table.m_rows[i].size())
                                .arg(table.m_header.size()));
    }
    return problems;
}

Problems BlankRows(const QString& file, const CCsvTable& table)
{
    Problems problems;
    for (qsizetype i = 0; i < table.m_rows.size(); ++i) {
        if (Blank(table.m_rows[i]))
            problems.append(QStringLiteral("%1 line %2 is blank").arg(file).arg(i + 2));
    }
    return problems;
}

Problems SubjectFirst(const CCsvTable& dataset, const CCsvTable&)
{
    if (dataset.m_header.value(0) != QLatin1String("Subject_ID"))
        return {kDataset + QStringLiteral(" does not begin with the column Subject_ID")};
    Problems problems;
    for (qsizetype i = 0; i < dataset.m_rows.size(); ++i) {
        if (Cell(dataset.m_rows[i], 0).trimmed().isEmpty())
            problems.append(
                QStringLiteral("%1 line %2 has no Subject_ID").arg(kDataset).arg(i + 2));
    }
    return problems;
}

Problems VariableNames(const CCsvTable& dataset, const CCsvTable&)
{
    static const QRegularExpression name(
        QStringLiteral("^[A-Za-z][A-Za-z0-9_.]{0,%1}$").arg(COdcChecker::kMaxNameLength - 1));
    Problems problems;
    for (const QString& header : dataset.m_header) {
        if (!header.isEmpty() && !name.match(header).hasMatch())
            problems.append(QStringLiteral("%1: \"%2\" is no variable name (a letter, then up to "
                                           "%3 letters, digits, \"_\" or \".\")")
                                .arg(kDataset, header)
                                .arg(COdcChecker::kMaxNameLength - 1));
    }
    return problems;
}

Problems BlankColumns(const CCsvTable& dataset, const CCsvTable&)
{
    Problems problems;
    for (qsizetype c = 0; c < dataset.m_header.size() && !dataset.m_rows.isEmpty(); ++c) {
        const bool blank =
            std::all_of(dataset.m_rows.cbegin(), dataset.m_rows.cend(),
                        [c](const QStringList& row) { return Cell(row, c).trimmed().isEmpty(); });
        if (blank)
            problems.append(QStringLiteral("%1 column %2 is blank in every row")
                                .arg(kDataset, dataset.m_header[c]));
    }
    return problems;
}

Problems RepeatedRows(const CCsvTable& dataset, const CCsvTable&)
{
    Problems problems;
    QHash<QStringList, qsizetype> seen;
    for (qsizetype i = 0; i < dataset.m_rows.size(); ++i) {
        const auto found = seen.constFind(dataset.m_rows[i]);
        if (found != seen.cend())
            problems.append(QStringLiteral("%1 line %2 repeats line %3")
                                .arg(kDataset)
                                .arg(i + 2)
                                .arg(*found + 2));
        else
            seen.insert(dataset.m_rows[i], i);
    }
    return problems;
}

Problems DictionaryColumns(const CCsvTable&, const CCsvTable& dictionary)
{
    if (dictionary.m_header == COdcChecker::DictionaryHeader())
        return {};
    return {kDictionary + QStringLiteral("'s columns are not ") +
            COdcChecker::DictionaryHeader().join(QStringLiteral(", "))};
}

Problems DescribedVariables(const CCsvTable&, const CCsvTable& dictionary)
{
    Problems problems;
    for (const QStringList& row : dictionary.m_rows) {
        const QString name = Cell(row, kVariableName);
        if (Cell(row, kTitle).trimmed().isEmpty() || Cell(row, kDescription).trimmed().isEmpty())
            problems.append(
                QStringLiteral("%1: %2 lacks its Title or Description").arg(kDictionary, name));
        if (!COdcChecker::DataTypes().contains(Cell(row, kDataType)))
            problems.append(QStringLiteral("%1: %2 has the DataType \"%3\", not one of %4")
                                .arg(kDictionary, name, Cell(row, kDataType),
                                     COdcChecker::DataTypes().join(QStringLiteral(", "))));
    }
    return problems;
}

Problems SameVariables(const CCsvTable& dataset, const CCsvTable& dictionary)
{
    Problems problems;
    QStringList described;
    for (const QStringList& row : dictionary.m_rows) {
        const QString name = Cell(row, kVariableName);
        if (described.contains(name))
            problems.append(QStringLiteral("%1 describes %2 twice").arg(kDictionary, name));
        else if (!dataset.m_header.contains(name))
            problems.append(QStringLiteral("%1 describes %2, which %3 does not have")
                                .arg(kDictionary, name, kDataset));
        described.append(name);
    }
    for (const QString& name : dataset.m_header) {
        if (!described.contains(name))
            problems.append(QStringLiteral("%1 has %2, which %3 does not describe")
                                .arg(kDataset, name, kDictionary));
    }
    return problems;
}

Problems NumericValues(const CCsvTable& dataset, const CCsvTable& dictionary)
{
    Problems problems;
    for (const QStringList& row : dictionary.m_rows) {
        const qsizetype column = dataset.Column(Cell(row, kVariableName));
        if (column < 0 || Cell(row, kDataType) != QLatin1String("Numeric"))
            continue;
        for (qsizetype i = 0; i < dataset.m_rows.size(); ++i) {
            const QString value = Cell(dataset.m_rows[i], column);
            bool ok = value.isEmpty();
            if (!ok)
                value.toDouble(&ok);
            if (!ok)
                problems.append(QStringLiteral("%1 line %2: %3 is Numeric but holds \"%4\"")
                                    .arg(kDataset)
                                    .arg(i + 2)
                                    .arg(row[kVariableName], value));
        }
    }
    return problems;
}

// A rule that holds for each file on its own.
std::function<Problems(const CCsvTable&, const CCsvTable&)>
BothFiles(Problems (*rule)(const QString&, const CCsvTable&))
{
    return [rule](const CCsvTable& dataset, const CCsvTable& dictionary) {
        return rule(kDataset, dataset) + rule(kDictionary, dictionary);
    };
}

}  // namespace

const QStringList& COdcChecker::DictionaryHeader()
{
    static const QStringList header = {"VariableName", "Title",        "Unit_of_Measure",
                                       "Description",  "DataType",     "PermittedValues",
                                       "MinimumValue", "MaximumValue", "Comments"};
    return header;
}

const QStringList& COdcChecker::DataTypes()
{
    static const QStringList types = {"Numeric", "Categorical", "Ordinal", "Date", "Free Text"};
    return types;
}

const QList<COdcChecker::Rule>& COdcChecker::Rules()
{
    static const QList<Rule> rules = {
        {"no blank header", BothFiles(BlankHeaders)},
        {"no repeated header", BothFiles(RepeatedHeaders)},
        {"rows as wide as the header", BothFiles(WrongWidths)},
        {"no blank row", BothFiles(BlankRows)},
        {"Subject_ID first", SubjectFirst},
        {"variable names", VariableNames},
        {"no blank column", BlankColumns},
        {"no repeated row", RepeatedRows},
        {"dictionary columns", DictionaryColumns},
        {"every variable described", DescribedVariables},
        {"dictionary matches dataset", SameVariables},
        {"numbers in Numeric columns", NumericValues},
    };
    return rules;
}

QStringList COdcChecker::Check(const CCsvTable& dataset, const CCsvTable& dictionary)
{
    QStringList problems;
    for (const Rule& rule : Rules()) {
        for (const QString& problem : rule.check(dataset, dictionary))
            problems.append(QLatin1String(rule.name) + QStringLiteral(": ") + problem);
    }
    return problems;
}
