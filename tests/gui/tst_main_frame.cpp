#include "CFrameHarness.h"
#include "core/files/CRunFileName.h"
#include "core/protocol/CExperimentDialogue.h"
#include "core/quality/CQualitySettings.h"
#include "core/record/CRunStamp.h"
#include "gui/CLeftView.h"
#include "gui/CZentakApp.h"
#include "gui/CZentakView.h"
#include "render/CGraphFileWriter.h"

#include <QAccessible>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QSet>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

using Answer = COperatorPrompt::Answer;

namespace {

// "text|shortcut" for an item, "-" for a separator, "(greyed)" appended.
QStringList Items(const QList<QAction*>& actions)
{
    QStringList items;
    for (const QAction* action : actions) {
        if (action->isSeparator()) {
            items << QStringLiteral("-");
            continue;
        }
        QString item = action->text();
        if (!action->shortcut().isEmpty())
            item += QLatin1Char('|') + action->shortcut().toString();
        if (!action->isEnabled())
            item += QStringLiteral(" (greyed)");
        items << item;
    }
    return items;
}

QMenu* Menu(CMainFrame& frame, const QString& title)
{
    for (QAction* action : frame.menuBar()->actions()) {
        if (action->text() == title)
            return action->menu();
    }
    return nullptr;
}

QString ActualForce(CMainFrame& frame)
{
    return frame.findChild<QLineEdit*>(QStringLiteral("forceActual"))->text();
}

void RunImpact(CFrameHarness& h)
{
    h.prompt.QueueAnswers({Answer::Yes});
    h.frame.LeftView().OnStartExperiment();
}

QStringList RecentMenuEntries(CMainFrame& frame)
{
    QStringList entries;
    for (const QAction* action : Menu(frame, "&File")->actions()) {
        if (action->objectName() == QLatin1String("recentFile"))
            entries << action->text();
    }
    return entries;
}

// Closes the next modal dialog once it is up, noting what it was.
void CloseNextModal(QString* className, bool* printing, const CZentakView* view)
{
    QTimer::singleShot(0, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            CloseNextModal(className, printing, view);
            return;
        }
        *className = QString::fromLatin1(modal->metaObject()->className());
        *printing = view && view->m_bPrinting;
        modal->close();
    });
}

}  // namespace

class TestMainFrame : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void windowPlacementAndBars();
    void menus_data();
    void menus();
    void qualityCheckSettingsJudgeTheImpactShown();
    void saveReopenAndRecentFiles();
    void recentListKeepsFourAndSurvivesARestart();
    void failedSaveIsReportedWithTheName();
    void openingShowsLoadProblems_data();
    void openingShowsLoadProblems();
    void incompleteLoadIsNeverSavedOverItsFile();
    void csvExportAsksWithoutOverwriteQuestion();
    void exportGraphWritesTheChosenFileOrSaysWhyNot();
    void printCommandsReachTheGraphFromThePanel_data();
    void printCommandsReachTheGraphFromThePanel();
    void previewKeepsItsPageCount();
    void maintenanceCommandsOpenTheirDialogs_data();
    void maintenanceCommandsOpenTheirDialogs();
    void busyPaneAnnouncesChanges();
    void closingIsRefusedWhileBusyOrCancelled();
    void runKeepsTimersGoingButDropsInput();
    void runShowsWhatItIsDoing();
    void startUpOpensTheNamedFileFirst();
    void startUpEndsOnAFileThatCannotBeRead();
    void commandLine_data();
    void commandLine();
    void titleNamesTheRunAndItsSave();
    void keyboardAndScreenReaderFindTheFields();
    void windowFitsTheScreen();

private:
    QTemporaryDir m_dir;
};

void TestMainFrame::initTestCase()
{
    QCoreApplication::setOrganizationName(CZentakApp::kOrganization);
    QCoreApplication::setApplicationName(CZentakApp::kApplication);
    UseTestSettings();
    qputenv("ZENTAK_RUN_LOG", m_dir.filePath(QStringLiteral("run.log")).toLocal8Bit());
}

void TestMainFrame::init()
{
    QSettings().clear();
}

void TestMainFrame::windowPlacementAndBars()
{
    CFrameHarness h;
    QVERIFY(h.Show());
    QCOMPARE(h.frame.windowTitle(), QStringLiteral("ZR Spinal Cord Impactor v5.0 - Untitled[*]"));
    QCOMPARE(h.frame.size(), QSize(800, 600));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QCOMPARE(h.frame.pos(), QPoint(screen.width() / 2 - 400, screen.height() / 2 - 300));
    QCOMPARE(h.frame.findChild<QSplitter*>()->sizes().first(), 265);
    // zentak-cli render draws a pane of this size unless told otherwise.
    QCOMPARE(h.frame.GraphView().contentsRect().size(), CGraphFileWriter::kDefaultClientSize);
    QCOMPARE(h.frame.statusBar()->currentMessage(), QStringLiteral("Ready"));
    QCOMPARE(h.frame.findChild<QLabel*>(QStringLiteral("busyPane"))->text(), QString());

    auto* toolBar = h.frame.findChild<QToolBar*>();
    QCOMPARE(Items(toolBar->actions()),
             QStringList({"&New|Ctrl+N", "&Open...|Ctrl+O", "&Save|Ctrl+S", "-",
                          "Cu&t|Ctrl+X (greyed)", "&Copy|Ctrl+C", "&Paste|Ctrl+V (greyed)", "-",
                          "&Print...|Ctrl+P", "-", "&About Zentak...", "-", "Whole Run"}));
    h.frame.Action(QStringLiteral("viewToolbar"))->trigger();
    QVERIFY(!toolBar->isVisible());
    h.frame.Action(QStringLiteral("viewStatusBar"))->trigger();
    QVERIFY(!h.frame.statusBar()->isVisible());
}

void TestMainFrame::menus_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("items");

    QTest::newRow("File") << "&File"
                          << QStringList{"&New|Ctrl+N",
                                         "&Open...|Ctrl+O",
                                         "Open from Run &Log...",
                                         "&Save|Ctrl+S",
                                         "Save &As...",
                                         "Save As Co&mma Delimited File...",
                                         "&Export Graph...",
                                         "-",
                                         "&Print...|Ctrl+P",
                                         "Print Pre&view",
                                         "P&rint Setup...",
                                         "-",
                                         "Reprogram Firm&ware...",
                                         "-",
                                         "Recent &File (greyed)",
                                         "-",
                                         "E&xit"};
    QTest::newRow("Edit") << "&Edit"
                          << QStringList{"&Undo|Ctrl+Z (greyed)", "-", "Cu&t|Ctrl+X (greyed)",
                                         "&Copy|Ctrl+C", "&Paste|Ctrl+V (greyed)"};
    QTest::newRow("View") << "&View"
                          << QStringList{"&Toolbar",
                                         "&Status Bar",
                                         "Earlier Impacts",
                                         "-",
                                         "&Displacement Graph (greyed)",
                                         "Force &Graph (greyed)",
                                         "-",
                                         "Serial P&ort Settings...",
                                         "&Force Sensitivity Settings...",
                                         "Serial Ter&minal...",
                                         "-",
                                         "&Quality Check Settings..."};
    QTest::newRow("Help") << "&Help" << QStringList{"&About Zentak..."};
}

void TestMainFrame::menus()
{
    QFETCH(QString, title);
    QFETCH(QStringList, items);
    CFrameHarness h;
    QMenu* menu = Menu(h.frame, title);
    QVERIFY(menu);
    QCOMPARE(Items(menu->actions()), items);
}

namespace {

// Sets a threshold box of the dialog the action opens, then presses the
// named button (defaults first when asked).
void EditQualityCheckSettings(CMainFrame& frame, const char* box, int value, bool defaults,
                              QDialogButtonBox::StandardButton close)
{
    QTimer::singleShot(0, &frame, [=] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Quality Check Settings"));
        if (defaults)
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("defaults")),
                              Qt::LeftButton);
        if (box)
            dialog->findChild<QSpinBox*>(QLatin1String(box))->setValue(value);
        QTest::mouseClick(dialog->findChild<QDialogButtonBox*>()->button(close), Qt::LeftButton);
    });
    frame.Action(QStringLiteral("viewQualityCheckSettings"))->trigger();
}

}  // namespace

void TestMainFrame::qualityCheckSettingsJudgeTheImpactShown()
{
    CFrameHarness h;
    h.frame.Document().EditRecord().m_nDesiredVelocity = 100;
    h.frame.LeftView().UpdateData(false);
    RunImpact(h);
    auto* verdict = h.frame.findChild<QLabel*>(QStringLiteral("qualityVerdict"));
    QCOMPARE(verdict->text(), QStringLiteral("QC pass"));

    // A stroke of about 55 samples is too short for a minimum of 1000.
    EditQualityCheckSettings(h.frame, "minDownSamples", 1000, false, QDialogButtonBox::Ok);
    QCOMPARE(verdict->text(), QStringLiteral("QC flags: too few samples"));
    QCOMPARE(h.frame.QualityThresholds().m_nMinDownSamples, 1000);
    {
        CFrameHarness restarted;  // kept in the user's settings
        QCOMPARE(restarted.frame.QualityThresholds().m_nMinDownSamples, 1000);
    }
    // Defaults shown, then cancelled: nothing changes.
    EditQualityCheckSettings(h.frame, nullptr, 0, true, QDialogButtonBox::Cancel);
    QCOMPARE(verdict->text(), QStringLiteral("QC flags: too few samples"));
    EditQualityCheckSettings(h.frame, nullptr, 0, true, QDialogButtonBox::Ok);
    QCOMPARE(verdict->text(), QStringLiteral("QC pass"));
    QCOMPARE(CQualitySettings::Load(), CQualityThresholds{});
}

void TestMainFrame::saveReopenAndRecentFiles()
{
    CFrameHarness h;
    RunImpact(h);
    const QString force = ActualForce(h.frame);
    QVERIFY(force.toInt() > 0);
    const QString path = m_dir.filePath(QStringLiteral("rat7.exp"));
    h.files.names << path;
    QVERIFY(h.frame.OnFileSave());  // the run left no name: Save asks for one
    QCOMPARE(h.files.requests.size(), 1);
    QCOMPARE(h.files.requests.first().filter,
             QStringLiteral("Spinal Files (*.exp);;All Files (*.*)"));
    QCOMPARE(h.files.requests.first().defaultSuffix, QStringLiteral("exp"));
    QVERIFY(QFile::exists(path));

    h.frame.Action(QStringLiteral("fileNew"))->trigger();
    QCOMPARE(ActualForce(h.frame), QString());
    QVERIFY(!h.frame.Document().DataPresent());

    const QStringList entries = RecentMenuEntries(h.frame);
    QCOMPARE(entries, QStringList{QStringLiteral("&1 ") + path});
    h.frame.findChild<QAction*>(QStringLiteral("recentFile"))->trigger();
    QCOMPARE(ActualForce(h.frame), force);
    QVERIFY(h.frame.Document().DataPresent());
    QCOMPARE(QSettings().value(QStringLiteral("Recent File List/File1")).toString(), path);
    QVERIFY(h.prompt.messages.isEmpty());
}

void TestMainFrame::recentListKeepsFourAndSurvivesARestart()
{
    QStringList paths;
    {
        CFrameHarness h;
        RunImpact(h);
        for (int i = 1; i <= 5; ++i) {
            paths << m_dir.filePath(QStringLiteral("run%1.exp").arg(i));
            h.files.names << paths.last();
            QVERIFY(h.frame.OnFileSaveAs());
        }
    }
    CFrameHarness restarted;
    QCOMPARE(RecentMenuEntries(restarted.frame),
             QStringList({"&1 " + paths[4], "&2 " + paths[3], "&3 " + paths[2], "&4 " + paths[1]}));
    QCOMPARE(QSettings().value(QStringLiteral("Recent File List/File4")).toString(), paths[1]);
    QVERIFY(!QSettings().contains(QStringLiteral("Recent File List/File5")));
}

void TestMainFrame::failedSaveIsReportedWithTheName()
{
    CFrameHarness h;
    RunImpact(h);
    const QString path = m_dir.filePath(QStringLiteral("no-such-folder/rat.exp"));
    h.files.names << path;
    QVERIFY(!h.frame.OnFileSaveAs());
    QCOMPARE(h.prompt.messages.size(), 1);
    QVERIFY2(h.prompt.messages.first().text.contains(QLatin1String("rat.exp")),
             qPrintable(h.prompt.messages.first().text));
    QVERIFY(RecentMenuEntries(h.frame) == QStringList{"Recent &File"});
    QVERIFY(h.frame.Document().DataPresent());
}

void TestMainFrame::openingShowsLoadProblems_data()
{
    QTest::addColumn<QByteArray>("fileBytes");  // empty: no file at all
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("opened");

    QTest::newRow("missing file") << QByteArray() << "%1 was not found." << false;
    QTest::newRow("desired force 0")
        << QByteArray("ZR Spinal Cord Impactor Experiment File v5.0\r\n"
                      "Firmware Release Version: R5.04\r\n\r\n"
                      "Desired Force: 0\r\nDesired Displacement: 1\r\n"
                      "Desired Velocity: 1\r\nDesired Dwell: 0\r\n")
        << "Force (K dynes): Please enter an integer between 1 and 1000." << true;
}

void TestMainFrame::openingShowsLoadProblems()
{
    QFETCH(QByteArray, fileBytes);
    QFETCH(QString, message);
    QFETCH(bool, opened);
    const QString path = m_dir.filePath(QStringLiteral("%1.exp").arg(QTest::currentDataTag()));
    if (!fileBytes.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(fileBytes);
    }
    CFrameHarness h;
    QCOMPARE(h.frame.OpenDocumentFile(path), opened);
    QVERIFY(!h.prompt.messages.isEmpty());
    if (message.contains(QLatin1String("%1")))
        message = message.arg(QDir::toNativeSeparators(path));
    QCOMPARE(h.prompt.messages.last().text, message);
    QCOMPARE(RecentMenuEntries(h.frame),
             opened ? QStringList{"&1 " + path} : QStringList{"Recent &File"});
}

void TestMainFrame::incompleteLoadIsNeverSavedOverItsFile()
{
    const QString path = m_dir.filePath(QStringLiteral("incomplete.txt"));
    QVERIFY(QFile::copy(QStringLiteral(ZENTAK_TEST_DATA "/transcript_incomplete.txt"), path));
    QFile original(path);
    QVERIFY(original.open(QIODevice::ReadOnly));
    const QByteArray bytes = original.readAll();
    original.close();

    CFrameHarness h;
    QVERIFY(h.frame.OpenDocumentFile(path));
    QVERIFY(!h.prompt.messages.isEmpty());
    QVERIFY(!h.frame.OnFileSave());  // asks for a new name; the operator cancels
    QCOMPARE(h.files.requests.size(), 1);
    QVERIFY(original.open(QIODevice::ReadOnly));
    QCOMPARE(original.readAll(), bytes);
}

void TestMainFrame::csvExportAsksWithoutOverwriteQuestion()
{
    CFrameHarness h;
    RunImpact(h);
    const QString path = m_dir.filePath(QStringLiteral("traces.csv"));
    h.files.names << path;
    h.frame.Action(QStringLiteral("fileSaveCsv"))->trigger();
    const CFileChooser::Request& request = h.files.requests.first();
    QCOMPARE(request.filter, QStringLiteral("Comma Delimited Files (*.csv);;All Files (*.*)"));
    QCOMPARE(request.defaultSuffix, QStringLiteral("csv"));
    QVERIFY(!request.confirmOverwrite);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().count("\r\n") > 60);
    QVERIFY(h.prompt.messages.isEmpty());
}

void TestMainFrame::exportGraphWritesTheChosenFileOrSaysWhyNot()
{
    CFrameHarness h;
    RunImpact(h);
    const QString path = m_dir.filePath(QStringLiteral("graphs.svg"));
    h.files.names << path << QStringLiteral("/nonexistent-directory/graphs.png");
    h.frame.Action(QStringLiteral("fileExportGraph"))->trigger();
    QCOMPARE(h.files.requests.first().caption, QStringLiteral("Export Graph"));
    QCOMPARE(h.files.requests.first().filter,
             QStringLiteral("PNG Image (*.png);;PDF Document (*.pdf);;SVG Drawing (*.svg)"));
    QVERIFY(QFileInfo(path).size() > 0);
    QVERIFY(h.prompt.messages.isEmpty());

    h.frame.Action(QStringLiteral("fileExportGraph"))->trigger();
    QCOMPARE(h.prompt.messages.size(), 1);
    QVERIFY(h.prompt.messages.first().text.startsWith(
        QLatin1String("Cannot write /nonexistent-directory/graphs.png")));
}

void TestMainFrame::printCommandsReachTheGraphFromThePanel_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<bool>("printingWhileUp");

    QTest::newRow("preview") << "filePrintPreview"
                             << "QPrintPreviewDialog" << true;
    QTest::newRow("print") << "filePrint"
                           << "QPrintDialog" << false;
}

void TestMainFrame::printCommandsReachTheGraphFromThePanel()
{
    QFETCH(QString, command);
    QFETCH(QString, dialog);
    QFETCH(bool, printingWhileUp);
    CFrameHarness h;
    QVERIFY(h.Show());
    RunImpact(h);
    h.frame.LeftView().m_editForce->setFocus();
    QString shown;
    bool printing = false;
    CloseNextModal(&shown, &printing, &h.frame.GraphView());
    h.frame.Action(command)->trigger();
    QCOMPARE(shown, dialog);
    QCOMPARE(printing, printingWhileUp);
    QVERIFY(!h.frame.GraphView().m_bPrinting);
}

void TestMainFrame::previewKeepsItsPageCount()
{
    QSettings().setValue(CZentakView::kPreviewPagesKey, 2);
    CFrameHarness h;
    QVERIFY(h.Show());
    QPrintPreviewWidget::ViewMode modeShown = QPrintPreviewWidget::AllPagesView;
    QTimer::singleShot(0, [&] {
        QWidget* preview = QApplication::activeModalWidget();
        auto* pages = preview->findChild<QPrintPreviewWidget*>();
        modeShown = pages->viewMode();
        pages->setViewMode(QPrintPreviewWidget::SinglePageView);
        preview->close();
    });
    h.frame.Action(QStringLiteral("filePrintPreview"))->trigger();
    QCOMPARE(modeShown, QPrintPreviewWidget::FacingPagesView);
    QCOMPARE(QSettings().value(CZentakView::kPreviewPagesKey).toInt(), 1);
}

void TestMainFrame::maintenanceCommandsOpenTheirDialogs_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("dialog");

    QTest::newRow("serial settings") << "viewSerialSettings"
                                     << "CSerialPropDialog";
    QTest::newRow("force sensitivity") << "viewForceSensitivity"
                                       << "CForcePropDialog";
    QTest::newRow("serial terminal") << "viewSerialTerminal"
                                     << "CSerialIODialog";
}

void TestMainFrame::maintenanceCommandsOpenTheirDialogs()
{
    QFETCH(QString, command);
    QFETCH(QString, dialog);
    CFrameHarness h;
    QVERIFY(h.Show());
    QString shown;
    bool printing = false;
    CloseNextModal(&shown, &printing, &h.frame.GraphView());
    h.frame.Action(command)->trigger();
    QCOMPARE(shown, dialog);
    QVERIFY(h.prompt.messages.isEmpty());
}

void TestMainFrame::busyPaneAnnouncesChanges()
{
    CFrameHarness h;
    QCOMPARE(h.frame.BusyText(), QString());
    QSignalSpy spy(&h.frame, &CMainFrame::busyTextChanged);
    h.frame.SetBusyText(QStringLiteral("BUSY"));
    h.frame.SetBusyText(QStringLiteral("BUSY"));
    h.frame.SetBusyText(QString());
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("BUSY"));
    QCOMPARE(h.frame.BusyText(), QString());
}

void TestMainFrame::closingIsRefusedWhileBusyOrCancelled()
{
    CFrameHarness h;
    QVERIFY(h.Show());
    h.frame.SetBusyText(CLeftView::kBusy);
    QVERIFY(!h.frame.close());
    h.frame.SetBusyText(QString());

    h.frame.Document().SetModifiedFlag(true);
    h.prompt.QueueAnswers({Answer::Cancel});
    QVERIFY(!h.frame.close());
    QCOMPARE(h.prompt.questions, QStringList{CMainFrame::kSaveChanges});
    h.prompt.QueueAnswers({Answer::No});
    QVERIFY(h.frame.close());
}

void TestMainFrame::runKeepsTimersGoingButDropsInput()
{
    CFrameHarness h;
    QVERIFY(h.Show());
    auto* velocity = h.frame.findChild<QLineEdit*>(QStringLiteral("velocityDesired"));
    QString busyWhenTimerFired;
    QString velocityWhileBusy;
    QTimer::singleShot(0, &h.frame, [&] {
        busyWhenTimerFired = h.frame.BusyText();
        QTest::keyClicks(velocity, "99");
        velocityWhileBusy = velocity->text();
    });
    RunImpact(h);
    QCOMPARE(busyWhenTimerFired, CLeftView::kBusy);
    QCOMPARE(velocityWhileBusy, QStringLiteral("1"));
    QVERIFY(h.frame.Document().DataPresent());

    velocity->setFocus();
    QTest::keyClick(velocity, Qt::Key_End);
    QTest::keyClicks(velocity, "0");
    QCOMPARE(velocity->text(), QStringLiteral("10"));
}

// A wait cursor and the run's stage in the message pane, which a menu's
// status tip cannot replace meanwhile; "Ready" and the arrow afterwards.
void TestMainFrame::runShowsWhatItIsDoing()
{
    CFrameHarness h;
    QVERIFY(h.Show());
    QSignalSpy shown(h.frame.statusBar(), &QStatusBar::messageChanged);
    Qt::CursorShape cursorWhileBusy = Qt::ArrowCursor;
    QString messageAfterTip;
    QTimer::singleShot(0, &h.frame, [&] {
        if (const QCursor* cursor = QGuiApplication::overrideCursor())
            cursorWhileBusy = cursor->shape();
        QStatusTipEvent tip(QStringLiteral("Open an existing experiment file"));
        QCoreApplication::sendEvent(h.frame.Action(QStringLiteral("fileOpen"))->parent(), &tip);
        messageAfterTip = h.frame.statusBar()->currentMessage();
    });
    RunImpact(h);

    QCOMPARE(cursorWhileBusy, Qt::WaitCursor);
    QCOMPARE(messageAfterTip, QStringLiteral("Waiting for the control box..."));
    QStringList messages;
    for (const QList<QVariant>& signal : std::as_const(shown))
        messages << signal.first().toString();
    QCOMPARE(messages.mid(0, 4), QStringList({"", "Waiting for the control box...",
                                              "Waiting for the operator", "Impact in progress"}));
    const qsizetype samples = h.frame.Document().Record().m_arrDispDown.size() +
                              h.frame.Document().Record().m_arrDispUp.size();
    QVERIFY(messages.contains(QStringLiteral("Receiving samples: %1 lines").arg(samples)));
    QCOMPARE(h.frame.statusBar()->currentMessage(), QStringLiteral("Ready"));
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

void TestMainFrame::startUpOpensTheNamedFileFirst()
{
    const QString path = m_dir.filePath(QStringLiteral("startup.exp"));
    QString force;
    {
        CFrameHarness h;
        RunImpact(h);
        force = ActualForce(h.frame);
        h.files.names << path;
        QVERIFY(h.frame.OnFileSaveAs());
    }
    CZentakApp zentak;
    QVERIFY(zentak.InitInstance({path, QStringLiteral("Simulator"), false}));
    CMainFrame* frame = zentak.MainFrame();
    QVERIFY(frame->isVisible());
    QCOMPARE(frame->windowTitle(), QStringLiteral("ZR Spinal Cord Impactor v5.0 - startup.exp[*]"));
    QCOMPARE(ActualForce(*frame), force);
    QVERIFY(frame->Document().DataPresent());
    QCOMPARE(frame->SerialSettings().m_strPort, QStringLiteral("Simulator"));
    QCOMPARE(frame->SerialSettings().m_nBaudRate, 9600);
}

void TestMainFrame::startUpEndsOnAFileThatCannotBeRead()
{
    CZentakApp zentak;
    QString shown;
    bool printing = false;
    CloseNextModal(&shown, &printing, nullptr);
    QVERIFY(!zentak.InitInstance({m_dir.filePath(QStringLiteral("gone.exp")), QString(), true}));
    QCOMPARE(shown, QStringLiteral("QMessageBox"));
    QVERIFY(!zentak.MainFrame()->isVisible());
}

void TestMainFrame::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("port");
    QTest::addColumn<bool>("splash");

    QTest::newRow("nothing") << QStringList{} << true << ""
                             << "" << true;
    QTest::newRow("file") << QStringList{"rat.exp"} << true << "rat.exp"
                          << "" << true;
    QTest::newRow("simulator, no splash")
        << QStringList{"--port", "Simulator", "--no-splash"} << true << ""
        << "Simulator" << false;
    QTest::newRow("two files") << QStringList{"a.exp", "b.exp"} << false << ""
                               << "" << true;
    QTest::newRow("unknown option") << QStringList{"--fast"} << false << ""
                                    << "" << true;
}

void TestMainFrame::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, valid);
    QFETCH(QString, file);
    QFETCH(QString, port);
    QFETCH(bool, splash);
    QString error;
    const auto options = CZentakApp::ParseArguments(QStringList{"zentak"} + arguments, &error);
    QCOMPARE(options.has_value(), valid);
    if (!valid) {
        QVERIFY(!error.isEmpty());
        return;
    }
    QCOMPARE(options->file, file);
    QCOMPARE(options->port, port);
    QCOMPARE(options->splash, splash);
}

// Marked while it holds changes; a run is offered under the name log extract
// gives it, and its save is told.
void TestMainFrame::titleNamesTheRunAndItsSave()
{
    CFrameHarness h;
    QVERIFY(h.ShowActive());
    QTest::keyClicks(h.frame.findChild<QLineEdit*>(QStringLiteral("subject")), "rat 5");
    RunImpact(h);
    QTest::keyClicks(h.frame.findChild<QWidget*>(QStringLiteral("comments")), "T10");
    QCOMPARE(h.frame.windowTitle(), CMainFrame::kTitle + " - Untitled[*]");
    QVERIFY(h.frame.isWindowModified());
    const QString name = CRunFileName::For(
        CRunStamp::TimeOf(h.frame.Document().Record().m_strComments), QStringLiteral("rat 5"));
    h.files.names << m_dir.filePath(name);
    QTest::keyClick(&h.frame, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(h.files.requests.last().initialName, name);
    QCOMPARE(h.frame.statusBar()->currentMessage(), "Saved " + m_dir.filePath(name));
    QCOMPARE(h.frame.windowTitle(), CMainFrame::kTitle + " - " + name + "[*]");
    QVERIFY(!h.frame.isWindowModified());
}

// Tab passes the panes with nothing to type into; each field is announced by its label.
void TestMainFrame::keyboardAndScreenReaderFindTheFields()
{
    CFrameHarness h;
    QVERIFY(h.ShowActive());
    h.frame.LeftView().FocusFirstField();
    for (int i = 0; i < 20; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget() != &h.frame.GraphView());
        QVERIFY(!qobject_cast<QScrollArea*>(QApplication::focusWidget()));
    }
    QStringList names;
    for (QLineEdit* edit : h.frame.LeftView().findChildren<QLineEdit*>())
        names << QAccessible::queryAccessibleInterface(edit)->text(QAccessible::Name);
    QCOMPARE(QSet<QString>(names.cbegin(), names.cend()).size(), 9);  // and the subject's
    QVERIFY(names.contains("Force (K dynes), desired") && names.contains("Dwell Time (s), actual"));
}

// Inside the screen's room at any scale (tst_main_frame_scaled runs this at
// twice the size), Start Experiment in view, the form still as a verdict appears.
void TestMainFrame::windowFitsTheScreen()
{
    CFrameHarness h;
    QVERIFY(h.Show());
    const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY(room.contains(h.frame.frameGeometry().topLeft()));
    QCOMPARE(room.size().expandedTo(h.frame.size()), room.size());
    auto* start = h.frame.findChild<QPushButton*>(QStringLiteral("startExperiment"));
    QCOMPARE(start->visibleRegion(), QRegion(start->rect()));
    QVERIFY(h.frame.rect().contains(QRect(start->mapTo(&h.frame, QPoint()), start->size())));
    auto* comments = h.frame.findChild<QWidget*>(QStringLiteral("comments"));
    const QPoint before = comments->mapTo(&h.frame, QPoint());
    RunImpact(h);
    QVERIFY(h.frame.findChild<QLabel*>(QStringLiteral("qualityVerdict"))->isVisible());
    QCOMPARE(comments->mapTo(&h.frame, QPoint()), before);
}

QTEST_MAIN(TestMainFrame)
#include "tst_main_frame.moc"
