#include "gui/CEarlierImpactsDock.h"

#include "core/CZentakDoc.h"
#include "core/files/CExperimentFileReader.h"
#include "core/quality/CQualityCheck.h"
#include "core/record/CImpactRecord.h"
#include "gui/CEarlierImpactsModel.h"
#include "render/COverlayPainter.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

CEarlierImpactsDock::CEarlierImpactsDock(const CZentakDoc& doc, QWidget* parent)
    : QDockWidget(QStringLiteral("Earlier Impacts"), parent), m_rDoc(doc)
{
    setObjectName(QStringLiteral("earlierImpacts"));
    auto* body = new QWidget(this);
    m_pDay = new QDateEdit(QDate::currentDate(), body);
    m_pDay->setCalendarPopup(true);
    m_pDay->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    auto* today = new QPushButton(QStringLiteral("Today"), body);
    m_pShowMean = new QCheckBox(QStringLiteral("Mean of ticked"), body);
    m_pShowMean->setToolTip(QStringLiteral("The mean of the ticked impacts no check flagged"));
    m_pNotice = new QLabel(body);
    m_pModel = new CEarlierImpactsModel(this);
    m_pTable = new QTableView(body);
    m_pTable->setModel(m_pModel);
    m_pTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pTable->verticalHeader()->hide();
    m_pTable->horizontalHeader()->setStretchLastSection(true);

    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Day:"), body));
    row->addWidget(m_pDay);
    row->addWidget(today);
    row->addWidget(m_pShowMean);
    row->addStretch(1);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(row);
    layout->addWidget(m_pNotice);
    layout->addWidget(m_pTable);
    setWidget(body);

    connect(today, &QPushButton::clicked, this, [this] { m_pDay->setDate(QDate::currentDate()); });
    connect(m_pDay, &QDateEdit::dateChanged, this, &CEarlierImpactsDock::Refresh);
    connect(m_pShowMean, &QCheckBox::toggled, this, &CEarlierImpactsDock::BuildComparison);
    connect(m_pModel, &CEarlierImpactsModel::tickedChanged, this,
            &CEarlierImpactsDock::BuildComparison);
    connect(m_pTable, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        emit openRequested(m_pModel->EntryIndex(index.row()));
    });
}

void CEarlierImpactsDock::SetQualityThresholds(const CQualityThresholds& thresholds)
{
    m_thresholds = thresholds;
    m_pModel->SetQualityThresholds(thresholds);
    BuildComparison();
}

// A log that is not there yet is an empty list, not a fault.
void CEarlierImpactsDock::Refresh()
{
    QString error;
    const QString path = m_rDoc.RunLogPath();
    const bool opened =
        QFileInfo::exists(path) && m_reader.Open(path, error) == CRunLogReader::OpenResult::Opened;
    m_pNotice->setText(error);
    m_pNotice->setVisible(!error.isEmpty());
    m_pModel->SetLog(opened ? &m_reader : nullptr, m_pDay->date());
    // Not the verdicts: each needs its entry read, so only the rows shown read theirs.
    for (int column = 0; column < CEarlierImpactsModel::kVerdict; ++column)
        m_pTable->resizeColumnToContents(column);
}

// Each ticked impact as the graphs draw it; the mean by the overlay's rules.
void CEarlierImpactsDock::BuildComparison()
{
    QList<CImpactSamples> earlier;
    QList<COverlayPainter::Trace> traces;
    for (const qsizetype index : m_pModel->TickedEntries()) {
        CImpactRecord record;
        CExperimentFileReader::Result result;
        QString error;
        if (!m_reader.ReadEntry(index, record, result, error) || !record.m_bDataPresent)
            continue;
        earlier.append(CImpactSamples::Of(record));
        COverlayPainter::Trace trace = COverlayPainter::TraceOf(record);
        const std::optional<CQualityVerdict> verdict = CQualityCheck::Judge(record, m_thresholds);
        trace.bFlagged = verdict && !verdict->Passed();
        traces.append(trace);
    }
    CImpactSamples mean;
    if (m_pShowMean->isChecked()) {
        const COverlayPainter::Trace average = COverlayPainter::MeanOf(traces);
        mean = CImpactSamples::FromSeries(average.timeMs, average.dispMicrons, average.forceKdyn);
    }
    emit comparisonChanged(earlier, mean);
}
