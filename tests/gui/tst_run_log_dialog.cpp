#include "CFrameHarness.h"
#include "FileBytes.h"
#include "ImpactRecord.h"
#include "core/files/CExperimentFileWriter.h"
#include "core/record/CRunStamp.h"
#include "gui/CEarlierImpactsDock.h"
#include "gui/CEarlierImpactsModel.h"
#include "gui/CLeftView.h"
#include "gui/CRunLogDialog.h"
#include "gui/CRunLogTableModel.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using Answer = COperatorPrompt::Answer;

namespace {

const QDateTime kFirstStamp(QDate(2026, 12, 8), QTime(14, 3, 22));

// A log of runs an hour apart, each as the program's writer makes it;
// every third one names no subject.
QByteArray MadeLog(int entries)
{
    QByteArray log;
    for (int i = 0; i < entries; ++i) {
        CImpactRecord record;
        FillImpact(record);
        record.m_nDesiredForce = 100 + i;
        record.m_bDataPresent = true;
        record.StampRun(kFirstStamp.addSecs(3600 * i),
                        i % 3 == 2 ? QString() : QStringLiteral("rat %1").arg(i + 1));
        log += CExperimentFileWriter::Text(record);
    }
    return log;
}

QStringList Column(QTableView* table, int column)
{
    QStringList values;
    for (int row = 0; row < table->model()->rowCount(); ++row)
        values << table->model()->index(row, column).data().toString();
    return values;
}

// Chooses the row showing entry number in the dialog once it is up, and
// clicks Open.
void OpenEntryWhenShown(int number)
{
    QTimer::singleShot(10, [number] {
        auto* dialog = qobject_cast<CRunLogDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->IndexLog()) {
            OpenEntryWhenShown(number);
            return;
        }
        QTableView* table = dialog->Table();
        for (int row = 0; row < table->model()->rowCount(); ++row) {
            if (table->model()->index(row, CRunLogColumns::kNumber).data().toInt() == number)
                table->selectRow(row);
        }
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("open")), Qt::LeftButton);
    });
}

}  // namespace

class TestRunLogDialog : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString Path(const QString& name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void initTestCase();
    void tableSortsAndFilters_data();
    void tableSortsAndFilters();
    void longIndexingShowsProgressAndCancels();
    void missingLogIsTold();
    void decisionsAskForTheirReason_data();
    void decisionsAskForTheirReason();
    void openedEntryIsUnsavedAndSavedUnderItsStamp();
    void earlierImpactsListADay_data();
    void earlierImpactsListADay();
    void earlierImpactsFollowRunsAndOpen();
};

void TestRunLogDialog::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("XDG_CACHE_HOME", QFile::encodeName(Path(QStringLiteral("cache"))));
}

void TestRunLogDialog::tableSortsAndFilters_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<int>("sortColumn");
    QTest::addColumn<Qt::SortOrder>("order");
    QTest::addColumn<QStringList>("numbers");
    QTest::newRow("newest first") << "" << -1 << Qt::AscendingOrder
                                  << QStringList{"6", "5", "4", "3", "2", "1"};
    QTest::newRow("by subject") << "" << int(CRunLogColumns::kSubject) << Qt::AscendingOrder
                                << QStringList{"6", "3", "1", "2", "4", "5"};
    QTest::newRow("by desired force, largest first")
        << "" << int(CRunLogColumns::kDesiredForce) << Qt::DescendingOrder
        << QStringList{"6", "5", "4", "3", "2", "1"};
    QTest::newRow("subject") << "RAT 4" << -1 << Qt::AscendingOrder << QStringList{"4"};
    QTest::newRow("date") << "2026-12-08" << -1 << Qt::AscendingOrder
                          << QStringList{"6", "5", "4", "3", "2", "1"};
    QTest::newRow("next day") << "2026-12-09" << -1 << Qt::AscendingOrder << QStringList{};
    QTest::newRow("comment text, the stamp's own words")
        << "Time: 16:03" << -1 << Qt::AscendingOrder << QStringList{"3"};
}

// Six entries, newest first; any column sorts; the filter finds subject,
// date and comment text in any letter case.
void TestRunLogDialog::tableSortsAndFilters()
{
    QFETCH(QString, filter);
    QFETCH(int, sortColumn);
    QFETCH(Qt::SortOrder, order);
    const QString log = Path(QStringLiteral("six.log"));
    WriteFile(log, MadeLog(6));
    CScriptedPrompt prompt;
    CRunLogDialog dialog(log, prompt, nullptr, Path(QStringLiteral("index")));
    QTableView* table = dialog.Table();
    QAbstractItemModelTester tester(
        qobject_cast<QSortFilterProxyModel*>(table->model())->sourceModel(),
        QAbstractItemModelTester::FailureReportingMode::QtTest);
    dialog.show();
    QVERIFY(dialog.IndexLog());
    QVERIFY(prompt.messages.isEmpty());
    if (sortColumn >= 0)
        table->sortByColumn(sortColumn, order);
    QTest::keyClicks(dialog.FilterBox(), filter);
    QTEST(Column(table, CRunLogColumns::kNumber), "numbers");
    if (table->model()->rowCount() == 0) {
        QVERIFY(!dialog.findChild<QPushButton*>(QStringLiteral("open"))->isEnabled());
        return;
    }
    const int first = table->model()->index(0, CRunLogColumns::kNumber).data().toInt();
    QTest::keyClick(table, Qt::Key_Return);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.ChosenIndex(), first - 1);
}

// Beyond its delay the reading shows a progress bar, and Cancel ends it
// with nothing listed.
void TestRunLogDialog::longIndexingShowsProgressAndCancels()
{
    const QString log = Path(QStringLiteral("long.log"));
    WriteFile(log, MadeLog(3).repeated(3000));
    CScriptedPrompt prompt;
    CRunLogDialog dialog(log, prompt, nullptr, QString());
    dialog.SetProgressDelayMs(0);
    dialog.show();
    bool progressShown = false;
    QTimer::singleShot(0, [&] {
        auto* cancel = dialog.findChild<QPushButton*>(QStringLiteral("cancelIndexing"));
        progressShown = cancel->isVisible() &&
                        dialog.findChild<QProgressBar*>(QStringLiteral("progress"))->isVisible();
        QTest::mouseClick(cancel, Qt::LeftButton);
    });
    QVERIFY(!dialog.IndexLog());
    QVERIFY(progressShown);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(dialog.Table()->model()->rowCount(), 0);
    QVERIFY(prompt.messages.isEmpty());
}

void TestRunLogDialog::decisionsAskForTheirReason_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("texts");  // the operator's answers
    QTest::addColumn<QString>("decision");   // the newest entry's cell after
    QTest::addColumn<QString>("message");    // shown, if any
    QTest::newRow("exclude") << "exclude" << QStringList{"bled"} << "exclude: bled"
                             << "";
    QTest::newRow("include") << "include" << QStringList{" rebound "} << "include: rebound"
                             << "";
    QTest::newRow("cancelled") << "exclude" << QStringList{} << ""
                               << "";
    QTest::newRow("no reason") << "include" << QStringList{"  "} << ""
                               << "A decision needs its reason.";
}

// Each entry shows its verdict; a decision on the newest entry, with the
// reason asked, shows in its row, in the summary line and beside the log,
// where a second dialog finds it again.
void TestRunLogDialog::decisionsAskForTheirReason()
{
    QFETCH(QString, button);
    QFETCH(QStringList, texts);
    QFETCH(QString, decision);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("study.log"));
    WriteFile(log, MadeLog(6));
    CScriptedPrompt prompt;
    prompt.texts = texts;
    CRunLogDialog dialog(log, prompt, nullptr, QString());
    dialog.show();
    QVERIFY(dialog.IndexLog());
    QCOMPARE(dialog.Table()->model()->index(0, CRunLogColumns::kQuality).data().toString(),
             QStringLiteral("force off target, too few samples"));
    QTest::mouseClick(dialog.findChild<QPushButton*>(button), Qt::LeftButton);
    QCOMPARE(prompt.questions.size(), 1);
    QVERIFY(prompt.questions[0].startsWith(QStringLiteral("Why %1 entry 6?").arg(button)));
    QCOMPARE(Column(dialog.Table(), CRunLogTableModel::kDecision).value(0), decision);
    QCOMPARE(prompt.messages.isEmpty() ? QString() : prompt.messages[0].text, message);
    QCOMPARE(QFile::exists(dir.filePath(QStringLiteral("zentak-decisions.csv"))),
             !decision.isEmpty());
    if (decision.isEmpty())
        return;
    QVERIFY(dialog.findChild<QLabel*>(QStringLiteral("summary"))
                ->text()
                .startsWith(QStringLiteral("Entry 6: %1").arg(button)));
    CRunLogDialog again(log, prompt, nullptr, QString());
    QVERIFY(again.IndexLog());
    QCOMPARE(Column(again.Table(), CRunLogTableModel::kDecision).value(0), decision);
}

void TestRunLogDialog::missingLogIsTold()
{
    CScriptedPrompt prompt;
    const QString log = Path(QStringLiteral("never-written.log"));
    CRunLogDialog dialog(log, prompt, nullptr, QString());
    QVERIFY(!dialog.IndexLog());
    QCOMPARE(prompt.messages.size(), 1);
    QCOMPARE(prompt.messages[0].text, log + QStringLiteral(" was not found."));
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
}

// Two impacts in the window; the first, opened from the log, is the record
// as the run left it, unsaved and unmodified, titled by its number and stamp;
// File Save asks for a name, offers the stamp's, and writes the entry's bytes.
void TestRunLogDialog::openedEntryIsUnsavedAndSavedUnderItsStamp()
{
    const QString log = Path(QStringLiteral("window.log"));
    qputenv("ZENTAK_RUN_LOG", QFile::encodeName(log));
    CFrameHarness h;
    QVERIFY(h.Show());
    for (const char* subject : {"rat 17", "rat 18"}) {
        h.frame.findChild<QLineEdit*>(QStringLiteral("subject"))->setText(QLatin1String(subject));
        h.prompt.QueueAnswers({Answer::Yes});
        h.frame.LeftView().OnStartExperiment();
    }
    const QByteArray logged = Contents(log);
    const QByteArray first = logged.left(logged.indexOf("-----End of File-----") + 21);
    const QString comments =
        h.frame.findChild<QPlainTextEdit*>(QStringLiteral("comments"))->toPlainText();
    QVERIFY(comments.endsWith(QLatin1String("Subject: rat 18\n")));

    OpenEntryWhenShown(1);
    h.frame.Action(QStringLiteral("fileOpenFromRunLog"))->trigger();

    const CZentakDoc& doc = h.frame.Document();
    QVERIFY(doc.Record().m_strComments.endsWith(QLatin1String("Subject: rat 17\r\n")));
    QVERIFY(doc.DataPresent());
    QVERIFY(!doc.IsModified());
    QVERIFY(doc.PathName().isEmpty());
    const QDateTime stamp = CRunStamp::TimeOf(doc.Record().m_strComments);
    QCOMPARE(h.frame.windowTitle(),
             QStringLiteral("ZR Spinal Cord Impactor v5.0 - Run Log Entry 1, ") +
                 stamp.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QStringLiteral("[*]"));

    const QString saved = Path(QStringLiteral("recovered.exp"));
    h.files.names << saved;
    QVERIFY(h.frame.OnFileSave());
    QCOMPARE(h.files.requests.size(), 1);
    QCOMPARE(h.files.requests[0].initialName,
             stamp.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss")) + QStringLiteral("_rat_17.exp"));
    QCOMPARE(Contents(saved), first);
    QCOMPARE(h.frame.windowTitle(), CMainFrame::kTitle + QStringLiteral(" - recovered.exp[*]"));
}

void TestRunLogDialog::earlierImpactsListADay_data()
{
    QTest::addColumn<QDate>("day");
    QTest::addColumn<QStringList>("times");
    QTest::newRow("first day, from the afternoon")
        << QDate(2026, 12, 8)
        << QStringList{"14:03:22", "15:03:22", "16:03:22", "17:03:22", "18:03:22",
                       "19:03:22", "20:03:22", "21:03:22", "22:03:22", "23:03:22"};
    QTest::newRow("next day, after midnight") << QDate(2026, 12, 9) << QStringList{"00:03:22"};
    QTest::newRow("a day without impacts") << QDate(2026, 12, 10) << QStringList{};
}

// The day's entries under the model tester; two ticked ones are drawn, and
// their mean only when asked for.
void TestRunLogDialog::earlierImpactsListADay()
{
    QFETCH(QDate, day);
    QFETCH(QStringList, times);
    const QString log = Path(QStringLiteral("earlier.log"));
    WriteFile(log, MadeLog(11));
    CZentakDoc doc;
    doc.SetRunLogPath(log);
    CEarlierImpactsDock dock(doc);
    QAbstractItemModelTester tester(&dock.Model(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    dock.Day().setDate(day);
    dock.Refresh();
    QCOMPARE(Column(&dock.Table(), CEarlierImpactsModel::kTime), times);
    if (times.size() < 2)
        return;
    QCOMPARE(dock.Model().index(1, CEarlierImpactsModel::kSubject).data().toString(),
             QStringLiteral("rat 2"));
    QCOMPARE(dock.Model().index(0, CEarlierImpactsModel::kVerdict).data().toString().left(2),
             QStringLiteral("QC"));

    QList<CImpactSamples> drawn;
    CImpactSamples mean;
    connect(&dock, &CEarlierImpactsDock::comparisonChanged, this,
            [&](const QList<CImpactSamples>& earlier, const CImpactSamples& average) {
                drawn = earlier;
                mean = average;
            });
    for (int row : {0, 2})
        dock.Model().setData(dock.Model().index(row, 0), Qt::Checked, Qt::CheckStateRole);
    QCOMPARE(dock.Model().TickedEntries(), (QList<qsizetype>{0, 2}));
    QCOMPARE(drawn.size(), 2);
    QVERIFY(mean.All().isEmpty());
    dock.ShowMean().setChecked(true);
    QCOMPARE(mean.All().isEmpty(),
             !(dock.Model().Verdict(0)->Passed() || dock.Model().Verdict(2)->Passed()));
}

// After each run the list holds the new impact; a double-click opens it.
void TestRunLogDialog::earlierImpactsFollowRunsAndOpen()
{
    const QString log = Path(QStringLiteral("follow.log"));
    qputenv("ZENTAK_RUN_LOG", QFile::encodeName(log));
    CFrameHarness h;
    QVERIFY(h.Show());
    CEarlierImpactsDock& dock = h.frame.EarlierImpacts();
    h.frame.Action(QStringLiteral("viewEarlierImpacts"))->trigger();
    QVERIFY(dock.isVisible());
    for (const char* subject : {"rat 21", "rat 22"}) {
        h.frame.findChild<QLineEdit*>(QStringLiteral("subject"))->setText(QLatin1String(subject));
        h.prompt.QueueAnswers({Answer::Yes});
        h.frame.LeftView().OnStartExperiment();
        const QDateTime stamp = CRunStamp::TimeOf(h.frame.Document().Record().m_strComments);
        dock.Day().setDate(stamp.date());
    }
    QCOMPARE(Column(&dock.Table(), CEarlierImpactsModel::kSubject),
             (QStringList{"rat 21", "rat 22"}));

    const QModelIndex first = dock.Model().index(0, CEarlierImpactsModel::kSubject);
    dock.Table().scrollTo(first);
    const QPoint at = dock.Table().visualRect(first).center();
    QTest::mouseClick(dock.Table().viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(dock.Table().viewport(), Qt::LeftButton, {}, at);
    QVERIFY(
        h.frame.Document().Record().m_strComments.endsWith(QLatin1String("Subject: rat 21\r\n")));
}

QTEST_MAIN(TestRunLogDialog)
#include "tst_run_log_dialog.moc"
