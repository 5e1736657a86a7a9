#pragma once

#include "render/CImpactSamples.h"

#include <QAbstractTableModel>

// The sample table beside the graphs: the down stroke's displacement, force
// and time, then the up stroke's, a row per sample. The headings carry the
// stroke and the unit; the values are those the graphs draw.
class CSampleTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { DownDisp, DownForce, DownTime, UpDisp, UpForce, UpTime, ColumnCount };

    explicit CSampleTableModel(QObject* parent = nullptr);

    void SetSamples(const CImpactSamples& samples);
    const CImpactSamples& Samples() const { return m_samples; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The heading of a column on one line, "Down stroke Force (K dynes)".
    static QString Heading(int column);
    // A sample's value in a column as the table shows it.
    static QString Text(const CImpactSamples::Sample& sample, int column);
    // The rows as tab-separated text under a header row, CR LF ends.
    QString TabSeparated(const QList<int>& rows) const;

private:
    static QString StrokeName(int column);
    static QString Quantity(int column);

    CImpactSamples m_samples;
};
