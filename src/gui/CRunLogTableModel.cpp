#include "gui/CRunLogTableModel.h"

namespace {

const char* const kDecisionTip = "The operator's decision on the entry, with its reason";

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
    switch (role) {
    case Qt::DisplayRole:
        return DisplayValue(index.row(), index.column());
    case kSortRole:
        return SortValue(index.row(), index.column());
    case kFilterRole:
        return m_arrFilterTexts[index.row()];
    case kIndexRole:
        return index.row();
    case Qt::ToolTipRole:
        // A reason may be longer than its column.
        return index.column() == kDecision ? DisplayValue(index.row(), kDecision) : QVariant();
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(
            Qt::AlignVCenter |
            (index.column() != kDecision && CRunLogColumns::At(index.column()).width > 0
                 ? Qt::AlignRight
                 : Qt::AlignLeft));
    default:
        return QVariant();
    }
}

QVariant CRunLogTableModel::DisplayValue(int row, int column) const
{
    if (column == kDecision) {
        const Decision& decision = m_arrDecisions[row];
        return decision ? CStudyDecisions::KindText(decision->kind) + QStringLiteral(": ") +
                              decision->reason
                        : QString();
    }
    const CRunLogColumns::Column& shown = CRunLogColumns::At(column);
    const std::optional<CQualityVerdict> verdict =
        column == CRunLogColumns::kQuality ? Verdict(row) : std::nullopt;
    const CRunLogColumns::Listed listed{m_arrEntries[row], row + 1, verdict};
    return shown.width > 0 ? shown.json(listed).toVariant()
                           : QVariant(CRunLogColumns::Text(column, listed));
}

// Numbers sort as numbers; date and time both by the whole stamp.
QVariant CRunLogTableModel::SortValue(int row, int column) const
{
    if (column == kDecision || !CRunLogColumns::At(column).sort)
        return DisplayValue(row, column);
    const std::optional<CQualityVerdict> none;
    return CRunLogColumns::At(column).sort({m_arrEntries[row], row + 1, none});
}

QVariant CRunLogTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    const bool decision = section == kDecision;
    if (role == Qt::DisplayRole)
        return decision ? QStringLiteral("Decision")
                        : QLatin1String(CRunLogColumns::At(section).heading);
    if (role == Qt::ToolTipRole)
        return QLatin1String(decision ? kDecisionTip : CRunLogColumns::At(section).tip);
    return QVariant();
}
