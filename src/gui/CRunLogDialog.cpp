#include "gui/CRunLogDialog.h"

#include "core/protocol/COperatorPrompt.h"
#include "core/quality/CCohortReader.h"
#include "core/quality/CQualityCheck.h"
#include "core/quality/CQualitySettings.h"
#include "gui/CRunLogTableModel.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// How often the window is let paint and take clicks while the log is read.
constexpr qint64 kEventsEveryMs = 40;
constexpr int kProgressSteps = 1000;

}  // namespace

CRunLogDialog::CRunLogDialog(const QString& logPath, COperatorPrompt& prompt, QWidget* parent,
                             const QString& indexCacheFolder)
    : QDialog(parent), m_strLogPath(logPath), m_rPrompt(prompt), m_reader(indexCacheFolder),
      m_thresholds(CQualitySettings::Load())
{
    setObjectName(QStringLiteral("runLogDialog"));
    setWindowTitle(QStringLiteral("Open from Run Log"));
    BuildLayout();
    resize(940, 560);
}

void CRunLogDialog::CreateTable()
{
    m_pModel = new CRunLogTableModel(this);
    m_pProxy = new QSortFilterProxyModel(this);
    m_pProxy->setSourceModel(m_pModel);
    m_pProxy->setSortRole(CRunLogTableModel::kSortRole);
    m_pProxy->setFilterRole(CRunLogTableModel::kFilterRole);
    m_pProxy->setFilterKeyColumn(CRunLogColumns::kNumber);
    m_pProxy->setFilterCaseSensitivity(Qt::CaseInsensitive);

    m_pTable = new QTableView(this);
    m_pTable->setObjectName(QStringLiteral("entries"));
    m_pTable->setModel(m_pProxy);
    m_pTable->setSortingEnabled(true);
    m_pTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pTable->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pTable->setAlternatingRowColors(true);
    m_pTable->verticalHeader()->hide();
    m_pTable->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_pTable->horizontalHeader()->setStretchLastSection(true);
    m_pTable->sortByColumn(CRunLogColumns::kNumber, Qt::DescendingOrder);
}

void CRunLogDialog::BuildLayout()
{
    CreateTable();
    m_pFilter = new QLineEdit(this);
    m_pFilter->setObjectName(QStringLiteral("filter"));
    m_pFilter->setPlaceholderText(QStringLiteral("Subject, date (2026-12-08) or comment text"));
    m_pFilter->setClearButtonEnabled(true);
    auto* filterLabel = new QLabel(QStringLiteral("&Filter:"), this);
    filterLabel->setBuddy(m_pFilter);

    m_pSummary = new QLabel(this);
    m_pSummary->setObjectName(QStringLiteral("summary"));
    m_pProgress = new QProgressBar(this);
    m_pProgress->setObjectName(QStringLiteral("progress"));
    m_pProgress->setRange(0, kProgressSteps);
    m_pProgress->setFormat(QStringLiteral("Reading the run log... %p%"));
    m_pProgress->hide();
    m_pCancelIndexing = new QPushButton(QStringLiteral("Cancel"), this);
    m_pCancelIndexing->setObjectName(QStringLiteral("cancelIndexing"));
    m_pCancelIndexing->hide();

    m_pButtons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    m_pOpen = m_pButtons->addButton(QStringLiteral("&Open"), QDialogButtonBox::AcceptRole);
    m_pOpen->setObjectName(QStringLiteral("open"));
    m_pOpen->setDefault(true);
    m_pOpen->setEnabled(false);
    m_pExclude = m_pButtons->addButton(QStringLiteral("E&xclude..."), QDialogButtonBox::ActionRole);
    m_pExclude->setObjectName(QStringLiteral("exclude"));
    m_pInclude = m_pButtons->addButton(QStringLiteral("&Include..."), QDialogButtonBox::ActionRole);
    m_pInclude->setObjectName(QStringLiteral("include"));
    for (QPushButton* button : {m_pExclude, m_pInclude}) {
        button->setAutoDefault(false);
        button->setEnabled(false);
    }

    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(m_pFilter, 1);
    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(m_pProgress, 1);
    progressRow->addWidget(m_pCancelIndexing);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filterRow);
    layout->addWidget(m_pTable, 1);
    layout->addLayout(progressRow);
    layout->addWidget(m_pSummary);
    layout->addWidget(m_pButtons);

    connect(m_pFilter, &QLineEdit::textChanged, this, &CRunLogDialog::OnFilterChanged);
    connect(m_pTable->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CRunLogDialog::UpdateButtons);
    connect(m_pTable, &QTableView::doubleClicked, this, &CRunLogDialog::OnOpen);
    connect(m_pButtons, &QDialogButtonBox::accepted, this, &CRunLogDialog::OnOpen);
    connect(m_pButtons, &QDialogButtonBox::rejected, this, &CRunLogDialog::reject);
    connect(m_pCancelIndexing, &QPushButton::clicked, this, &CRunLogDialog::reject);
    connect(m_pExclude, &QPushButton::clicked, this,
            [this] { OnDecide(CStudyDecisions::Kind::Exclude); });
    connect(m_pInclude, &QPushButton::clicked, this,
            [this] { OnDecide(CStudyDecisions::Kind::Include); });
}

// The dialog is on the screen before the log is read, so a long reading
// shows its progress in it.
void CRunLogDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_eIndexState == IndexState::NotStarted)
        QTimer::singleShot(0, this, &CRunLogDialog::IndexLog);
}

bool CRunLogDialog::IndexLog()
{
    if (m_eIndexState != IndexState::NotStarted)
        return m_eIndexState == IndexState::Done;
    m_eIndexState = IndexState::Running;
    m_indexTimer.start();
    m_nLastEventsMs = 0;
    const qint64 total = QFileInfo(m_strLogPath).size();
    QString error;
    const CRunLogReader::OpenResult result =
        m_reader.Open(m_strLogPath, error, [this, total](qint64 indexedBytes) {
            return OnIndexProgress(indexedBytes, total);
        });
    m_pProgress->hide();
    m_pCancelIndexing->hide();
    if (result == CRunLogReader::OpenResult::Opened) {
        m_eIndexState = IndexState::Done;
        ShowEntries();
        return true;
    }
    m_eIndexState = IndexState::Failed;
    if (result == CRunLogReader::OpenResult::Failed)
        m_rPrompt.ShowMessage(error, COperatorPrompt::Icon::Exclamation);
    QDialog::reject();
    return false;
}

bool CRunLogDialog::OnIndexProgress(qint64 indexedBytes, qint64 totalBytes)
{
    const qint64 elapsedMs = m_indexTimer.elapsed();
    if (elapsedMs >= m_nProgressDelayMs && m_pProgress->isHidden()) {
        m_pProgress->show();
        m_pCancelIndexing->show();
    }
    if (!m_pProgress->isHidden() && totalBytes > 0)
        m_pProgress->setValue(int(indexedBytes * kProgressSteps / totalBytes));
    if (elapsedMs - m_nLastEventsMs >= kEventsEveryMs || m_nLastEventsMs == 0) {
        m_nLastEventsMs = qMax<qint64>(elapsedMs, 1);
        QApplication::processEvents();
    }
    return !m_bCancelRequested;
}

void CRunLogDialog::ShowEntries()
{
    CStudyDecisions decisions;
    QList<CRunLogTableModel::Decision> decided;
    for (qsizetype i = 0; i < m_reader.Entries().size(); ++i)
        decided.append(decisions.Find(m_strLogPath, int(i + 1)));
    m_pModel->SetEntries(
        m_reader.Entries(), [this](qsizetype index) { return VerdictOf(index); }, decided);
    // Sizing the verdicts' column to its contents would read every entry;
    // the decisions, last, take the width that is left.
    for (int column = 0; column < CRunLogColumns::kListedCount; ++column) {
        if (column != CRunLogColumns::kQuality)
            m_pTable->resizeColumnToContents(column);
    }
    m_pTable->setColumnWidth(CRunLogColumns::kQuality,
                             fontMetrics().horizontalAdvance(QStringLiteral("force off target")));
    OnFilterChanged(m_pFilter->text());
    m_pTable->setFocus();
}

void CRunLogDialog::OnFilterChanged(const QString& text)
{
    m_pProxy->setFilterFixedString(text);
    const int shown = m_pProxy->rowCount();
    const qsizetype all = m_reader.Entries().size();
    const QString where = QDir::toNativeSeparators(m_strLogPath);
    m_pSummary->setText(
        shown == all ? QStringLiteral("%1 entries in %2").arg(all).arg(where)
                     : QStringLiteral("%1 of %2 entries in %3").arg(shown).arg(all).arg(where));
    if (shown > 0)
        m_pTable->selectRow(0);
    UpdateButtons();
}

qsizetype CRunLogDialog::SelectedIndex() const
{
    const QModelIndexList rows = m_pTable->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return -1;
    return rows.first().data(CRunLogTableModel::kIndexRole).toLongLong();
}

void CRunLogDialog::UpdateButtons()
{
    const bool selected = SelectedIndex() >= 0;
    for (QPushButton* button : {m_pOpen, m_pExclude, m_pInclude})
        button->setEnabled(selected);
}

std::optional<CQualityVerdict> CRunLogDialog::VerdictOf(qsizetype index) const
{
    CImpactRecord record;
    if (!CCohortReader::ReadLogEntry(m_reader, index, record).isEmpty())
        return std::nullopt;
    return CQualityCheck::Judge(record, m_thresholds);
}

void CRunLogDialog::OnDecide(CStudyDecisions::Kind kind)
{
    const qsizetype index = SelectedIndex();
    QString reason;
    if (index < 0 ||
        !m_rPrompt.AskText(QStringLiteral("Why %1 entry %2? The reason is kept with the "
                                          "decision beside the run log.")
                               .arg(CStudyDecisions::KindText(kind))
                               .arg(index + 1),
                           reason))
        return;
    const CStudyDecisions::Decision decision{
        kind, reason.trimmed(), CStudyDecisions::OperatorName(), QDateTime::currentDateTimeUtc()};
    QString problem = CStudyDecisions::ReasonRefusal(reason);
    if (problem.isEmpty())
        problem = CStudyDecisions::Append(m_strLogPath, int(index + 1), decision).message;
    if (!problem.isEmpty()) {
        m_rPrompt.ShowMessage(problem, COperatorPrompt::Icon::Exclamation);
        return;
    }
    m_pModel->SetDecision(index, decision);
    m_pSummary->setText(QStringLiteral("Entry %1: %2.")
                            .arg(index + 1)
                            .arg(CStudyDecisions::EffectText(
                                kind, m_pModel->Verdict(index).value_or(CQualityVerdict()))));
}

void CRunLogDialog::OnOpen()
{
    m_nChosenIndex = SelectedIndex();
    if (m_nChosenIndex >= 0)
        accept();
}

void CRunLogDialog::reject()
{
    m_bCancelRequested = true;
    QDialog::reject();
}
