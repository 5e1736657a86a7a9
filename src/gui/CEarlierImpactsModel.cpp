#include "gui/CEarlierImpactsModel.h"

#include "core/files/CRunLogReader.h"
#include "core/quality/CQualityCheck.h"
#include "core/record/CImpactRecord.h"

CEarlierImpactsModel::CEarlierImpactsModel(QObject* parent) : QAbstractTableModel(parent)
{
}

void CEarlierImpactsModel::SetLog(const CRunLogReader* log, const QDate& day)
{
    beginResetModel();
    m_pLog = log;
    m_arrIndexes.clear();
    m_verdicts.clear();
    QSet<qint64> ticked;
    const QList<CRunLogEntry>& entries = log ? log->Entries() : QList<CRunLogEntry>();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (entries[i].m_bTorn || entries[i].m_stampTime.date() != day)
            continue;
        m_arrIndexes.append(i);
        if (m_ticked.contains(entries[i].m_nOffset))
            ticked.insert(entries[i].m_nOffset);
    }
    const bool tickedLost = ticked.size() != m_ticked.size();
    m_ticked = ticked;
    endResetModel();
    if (tickedLost)
        emit tickedChanged();
}

void CEarlierImpactsModel::SetQualityThresholds(const CQualityThresholds& thresholds)
{
    beginResetModel();
    m_thresholds = thresholds;
    m_verdicts.clear();
    endResetModel();
}

QList<qsizetype> CEarlierImpactsModel::TickedEntries() const
{
    QList<qsizetype> ticked;
    for (const qsizetype index : m_arrIndexes)
        if (m_ticked.contains(m_pLog->Entries()[index].m_nOffset))
            ticked.append(index);
    return ticked;
}

std::optional<CQualityVerdict> CEarlierImpactsModel::Verdict(int row) const
{
    const qsizetype index = EntryIndex(row);
    if (index < 0)
        return std::nullopt;
    const auto known = m_verdicts.constFind(index);
    if (known != m_verdicts.constEnd())
        return *known;
    CImpactRecord record;
    CExperimentFileReader::Result result;
    QString error;
    std::optional<CQualityVerdict> verdict;
    if (m_pLog->ReadEntry(index, record, result, error) &&
        result.outcome == CExperimentFileReader::LoadOutcome::Complete)
        verdict = CQualityCheck::Judge(record, m_thresholds);
    m_verdicts.insert(index, verdict);
    return verdict;
}

int CEarlierImpactsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_arrIndexes.size());
}

int CEarlierImpactsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant CEarlierImpactsModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const CRunLogEntry& entry = m_pLog->Entries()[m_arrIndexes[index.row()]];
    if (role == Qt::CheckStateRole && index.column() == kTime)
        return m_ticked.contains(entry.m_nOffset) ? Qt::Checked : Qt::Unchecked;
    if (role == Qt::DisplayRole)
        return DisplayValue(entry, index.row(), index.column());
    return {};
}

QVariant CEarlierImpactsModel::DisplayValue(const CRunLogEntry& entry, int row, int column) const
{
    switch (column) {
    case kTime:
        return entry.TimeText();
    case kSubject:
        return entry.m_strSubject;
    case kForce:
        return entry.m_nActualForce;
    case kDisplacement:
        return entry.m_nActualDisp;
    case kVelocity:
        return entry.m_nActualVelocity;
    default: {
        const std::optional<CQualityVerdict> verdict = Verdict(row);
        return verdict ? verdict->Text() : QStringLiteral("-");
    }
    }
}

bool CEarlierImpactsModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || role != Qt::CheckStateRole ||
        index.column() != kTime)
        return false;
    const qint64 offset = m_pLog->Entries()[m_arrIndexes[index.row()]].m_nOffset;
    if (value.value<Qt::CheckState>() == Qt::Checked)
        m_ticked.insert(offset);
    else
        m_ticked.remove(offset);
    emit dataChanged(index, index, {Qt::CheckStateRole});
    emit tickedChanged();
    return true;
}

Qt::ItemFlags CEarlierImpactsModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == kTime)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

QVariant CEarlierImpactsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const QString headings[kColumnCount] = {
        QStringLiteral("Time"),
        QStringLiteral("Subject"),
        QStringLiteral("Force (K dynes)"),
        QStringLiteral("Displacement (µm)"),
        QStringLiteral("Velocity (mm/s)"),
        QStringLiteral("QC"),
    };
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= kColumnCount)
        return {};
    return headings[section];
}
