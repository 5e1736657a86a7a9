#include "gui/CRunLogTableModel.h"

namespace {

struct ColumnTitle {
    const char* heading;
    const char* tip;
};

const ColumnTitle kColumns[CRunLogTableModel::kColumnCount] = {
    {"No.", "The entry's number in the log, 1 for the oldest"},
    {"Date", "Date of the run's stamp"},
    {"Time", "Time of the run's stamp"},
    {"Firmware", "Firmware release version of the control box"},
    {"Desired", "Desired force, K dynes"},
    {"Force", "Actual force, K dynes"},
    {"Disp", "Actual displacement, microns"},
    {"Velocity", "Actual velocity, mm/s"},
    {"Down", "Samples of the down stroke"},
    {"Up", "Samples of the up stroke"},
    {"", "\"torn\": the log ends, or the next entry begins, inside this entry"},
    {"Subject", "The animal's ID given with the run"},
    {"QC", "The quality check: pass, its flags, or - for an entry that does not open whole"},
    {"Decision", "The operator's decision on the entry, with its reason"},
};

bool IsNumeric(int column)
{
    return column == CRunLogTableModel::kNumber ||
           (column >= CRunLogTableModel::kDesiredForce && column <= CRunLogTableModel::kUpSamples);
}

}  // namespace

CRunLogTableModel::CRunLogTableModel(QObject* parent) : QAbstractTableModel(parent)
{
}

void CRunLogTableModel::SetEntries(const QList<CRunLogEntry>& entries,
                                   const VerdictSource& verdicts, const QList<Decision>& decisions)
{
    beginResetModel();
    m_arrEntries = entries;
    m_fnVerdicts = verdicts;
    m_verdicts.clear();
    m_arrDecisions = decisions;
    m_arrDecisions.resize(entries.size());
    m_arrFilterTexts.clear();
    m_arrFilterTexts.reserve(entries.size());
    for (const CRunLogEntry& entry : entries)
        m_arrFilterTexts.append(FilterText(entry));
    endResetModel();
}

void CRunLogTableModel::SetDecision(qsizetype index, const CStudyDecisions::Decision& decision)
{
    m_arrDecisions[index] = decision;
    emit dataChanged(this->index(int(index), kDecision), this->index(int(index), kDecision));
}

std::optional<CQualityVerdict> CRunLogTableModel::Verdict(qsizetype index) const
{
    auto found = m_verdicts.constFind(index);
    if (found == m_verdicts.cend())
        found = m_verdicts.insert(index, m_fnVerdicts ? m_fnVerdicts(index) : std::nullopt);
    return *found;
}

int CRunLogTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_arrEntries.size());
}

int CRunLogTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

// The date in the list's form and in the stamp's own words, so both
// "2026-12-08" and "December 08" find it.
QString CRunLogTableModel::FilterText(const CRunLogEntry& entry)
{
    const QString date = entry.m_stampTime.isValid()
                             ? entry.m_stampTime.toString(QStringLiteral("yyyy-MM-dd"))
                             : QString();
    return entry.m_strSubject + u'\n' + date + u'\n' + entry.m_strComments;
}

QVariant CRunLogTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_arrEntries.size())
        return QVariant();
    const CRunLogEntry& entry = m_arrEntries[index.row()];
    switch (role) {
    case Qt::DisplayRole:
        return DisplayValue(entry, index.row(), index.column());
    case kSortRole:
        return SortValue(entry, index.row(), index.column());
    case kFilterRole:
        return m_arrFilterTexts[index.row()];
    case kIndexRole:
        return index.row();
    case Qt::ToolTipRole:
        // A reason may be longer than its column.
        return index.column() == kDecision ? DisplayValue(entry, index.row(), kDecision)
                                           : QVariant();
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignVCenter |
                                   (IsNumeric(index.column()) ? Qt::AlignRight : Qt::AlignLeft));
    default:
        return QVariant();
    }
}

QVariant CRunLogTableModel::DisplayValue(const CRunLogEntry& entry, int row, int column) const
{
    switch (column) {
    case kNumber:
        return row + 1;
    case kDate:
        return entry.DateText();
    case kTime:
        return entry.TimeText();
    case kFirmware:
        return entry.m_strFirmwareVersion;
    case kState:
        return entry.m_bTorn ? QStringLiteral("torn") : QString();
    case kSubject:
        return entry.m_strSubject;
    case kQuality: {
        const std::optional<CQualityVerdict> verdict = Verdict(row);
        return !verdict            ? QStringLiteral("-")
               : verdict->Passed() ? QStringLiteral("pass")
                                   : verdict->FlagNames();
    }
    case kDecision: {
        const Decision& decision = m_arrDecisions[row];
        return decision ? CStudyDecisions::KindText(decision->kind) + QStringLiteral(": ") +
                              decision->reason
                        : QString();
    }
    default:
        return SortValue(entry, row, column);
    }
}

// Numbers sort as numbers; date and time both by the whole stamp.
QVariant CRunLogTableModel::SortValue(const CRunLogEntry& entry, int row, int column) const
{
    switch (column) {
    case kNumber:
        return row + 1;
    case kDate:
    case kTime:
        return entry.m_stampTime;
    case kDesiredForce:
        return entry.m_nDesiredForce;
    case kActualForce:
        return entry.m_nActualForce;
    case kDisplacement:
        return entry.m_nActualDisp;
    case kVelocity:
        return entry.m_nActualVelocity;
    case kDownSamples:
        return entry.m_nDownSamples;
    case kUpSamples:
        return entry.m_nUpSamples;
    default:
        return DisplayValue(entry, row, column);
    }
}

QVariant CRunLogTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return QLatin1String(kColumns[section].heading);
    if (role == Qt::ToolTipRole)
        return QLatin1String(kColumns[section].tip);
    return QVariant();
}
