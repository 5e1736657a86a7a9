#include "gui/CSampleTableModel.h"

#include <algorithm>

CSampleTableModel::CSampleTableModel(QObject* parent) : QAbstractTableModel(parent)
{
}

void CSampleTableModel::SetSamples(const CImpactSamples& samples)
{
    beginResetModel();
    m_samples = samples;
    endResetModel();
}

int CSampleTableModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return int(std::max(m_samples.DownCount(), m_samples.UpCount()));
}

int CSampleTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CSampleTableModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    const auto stroke =
        index.column() < UpDisp ? CImpactSamples::Stroke::Down : CImpactSamples::Stroke::Up;
    const CImpactSamples::Sample* sample = m_samples.At(stroke, index.row());
    return sample ? Text(*sample, index.column()) : QVariant();
}

QVariant CSampleTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    if (section < 0 || section >= ColumnCount)
        return {};
    return StrokeName(section) + QLatin1Char('\n') + Quantity(section);
}

QString CSampleTableModel::Heading(int column)
{
    return StrokeName(column) + QLatin1Char(' ') + Quantity(column);
}

QString CSampleTableModel::StrokeName(int column)
{
    return column < UpDisp ? QStringLiteral("Down stroke") : QStringLiteral("Up stroke");
}

QString CSampleTableModel::Quantity(int column)
{
    switch (column % 3) {
    case 0:
        return QStringLiteral("Displacement (µm)");
    case 1:
        return QStringLiteral("Force (K dynes)");
    default:
        return QStringLiteral("Time (ms)");
    }
}

QString CSampleTableModel::Text(const CImpactSamples::Sample& sample, int column)
{
    switch (column % 3) {
    case 0:
        return QString::number(sample.dispMicrons, 'f', 0);
    case 1:
        return QString::number(sample.forceKdyn, 'f', 1);
    default:
        return QString::number(sample.timeMs, 'f', 2);
    }
}

QString CSampleTableModel::TabSeparated(const QList<int>& rows) const
{
    QStringList headings;
    for (int column = 0; column < ColumnCount; ++column)
        headings.append(Heading(column));
    QString text = headings.join(QLatin1Char('\t')) + QStringLiteral("\r\n");
    for (const int row : rows) {
        QStringList cells;
        for (int column = 0; column < ColumnCount; ++column)
            cells.append(data(index(row, column)).toString());
        text += cells.join(QLatin1Char('\t')) + QStringLiteral("\r\n");
    }
    return text;
}
