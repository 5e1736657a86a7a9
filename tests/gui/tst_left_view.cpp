#include "CFrameHarness.h"
#include "core/files/CExperimentFileWriter.h"
#include "core/files/CRunLogReader.h"
#include "core/protocol/CExperimentDialogue.h"
#include "core/protocol/CRunOutcome.h"
#include "core/record/CImpactMeasures.h"
#include "gui/CLeftView.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using Answer = COperatorPrompt::Answer;

namespace {

QLineEdit* Edit(CMainFrame& frame, const char* name)
{
    return frame.findChild<QLineEdit*>(QLatin1String(name));
}

QPlainTextEdit* Comments(CMainFrame& frame)
{
    return frame.findChild<QPlainTextEdit*>(QStringLiteral("comments"));
}

// Replaces a field's text as the operator types it.
void Type(QLineEdit* edit, const QString& text)
{
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

QStringList DesiredTexts(CMainFrame& frame)
{
    return {Edit(frame, "forceDesired")->text(), Edit(frame, "dispDesired")->text(),
            Edit(frame, "velocityDesired")->text(), Edit(frame, "dwellDesired")->text()};
}

void ClickStart(CMainFrame& frame)
{
    QTest::mouseClick(frame.findChild<QPushButton*>(QStringLiteral("startExperiment")),
                      Qt::LeftButton);
}

// Key presses that carry any text, as a keyboard layout or input method sends them.
void TypeAnyText(QWidget* widget, const QString& text)
{
    for (int i = 0; i < text.size(); ++i) {
        const int length = text[i].isHighSurrogate() ? 2 : 1;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text.mid(i, length));
        QApplication::sendEvent(widget, &press);
        i += length - 1;
    }
}

// On the button's circle: the radio spans the group box, its label does not.
void ClickRadio(QRadioButton* radio)
{
    QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(6, radio->height() / 2));
}

QString BusyPane(CMainFrame& frame)
{
    return frame.findChild<QLabel*>(QStringLiteral("busyPane"))->text();
}

}  // namespace

class TestLeftView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void completeRunFromTheStartButton();
    void validationStopsTheRun_data();
    void validationStopsTheRun();
    void onlyFieldsTheModeEnablesAreChecked_data();
    void onlyFieldsTheModeEnablesAreChecked();
    void commentsScrollSidewaysWithoutABar();
    void outcomes_data();
    void outcomes();
    void cutShortDownloadIsLoggedThenReported_data();
    void cutShortDownloadIsLoggedThenReported();
    void displacementModeIsRefusedWithTheBusyPaneEmpty();
    void fileNewAfterDisplacementShowsForce();
    void runWhoseLogFailedIsKeptFromDiscard();
    void commentsTakeOnlyWhatAFileCanHold();
    void qualityVerdictOfTheImpactShown_data();
    void qualityVerdictOfTheImpactShown();
    void subjectNamesTheNextImpactOnly_data();
    void subjectNamesTheNextImpactOnly();
    void runThatMadeNoImpactKeepsNothingOfTheFileBefore();
    void notesAfterARunAreNotLostToTheNextCommand_data();
    void notesAfterARunAreNotLostToTheNextCommand();
    void declinedImpactIsRetriedWithTheSameEntries();

private:
    QTemporaryDir m_dir;
    QString m_strLog;
};

void TestLeftView::init()
{
    m_strLog = m_dir.filePath(QStringLiteral("run-%1.log").arg(QTest::currentTestFunction()));
    qputenv("ZENTAK_RUN_LOG", m_strLog.toLocal8Bit());
}

void TestLeftView::completeRunFromTheStartButton()
{
    CFrameHarness h;
    QVERIFY(h.Show());
    Type(Edit(h.frame, "forceDesired"), "150");
    Type(Edit(h.frame, "velocityDesired"), "80");
    QTest::keyClicks(Comments(h.frame), "earlier note");
    QSignalSpy busy(&h.frame, &CMainFrame::busyTextChanged);
    h.prompt.QueueAnswers({Answer::Yes});

    ClickStart(h.frame);

    QCOMPARE(h.prompt.questions, QStringList{CExperimentDialogue::kImpactNow +
                                             "\nForce 150 K dynes, velocity 80 mm/s, dwell 0 s."});
    QVERIFY(h.prompt.messages.isEmpty());
    QCOMPARE(h.box.LastImpact().forceTenths, 1500);
    QCOMPARE(h.box.LastImpact().velocityMmPerS, 80);
    const int actualForce = Edit(h.frame, "forceActual")->text().toInt();
    QVERIFY2(actualForce >= 150 && actualForce <= 165, qPrintable(QString::number(actualForce)));
    QVERIFY(qAbs(Edit(h.frame, "velocityActual")->text().toInt() - 80) <= 8);
    QVERIFY(Edit(h.frame, "dispActual")->text().toInt() > 0);

    // The stamp comes before the comment typed before the run, and the log holds both.
    const QString comments = Comments(h.frame)->toPlainText();
    static const QRegularExpression stamp(
        QStringLiteral("^Date: [A-Z][a-z]+ \\d\\d, \\d{4}\\. \\nTime: "
                       "\\d\\d:\\d\\d:\\d\\d\\.\\nearlier note$"));
    QVERIFY2(stamp.match(comments).hasMatch(), qPrintable(comments));
    QFile log(m_strLog);
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray logged = log.readAll();
    QVERIFY(logged.contains(QString(comments).replace("\n", "\r\n").toLatin1()));
    QVERIFY(logged.contains("Desired Force: 150\r\n"));

    QVERIFY(h.frame.Document().DataPresent());
    QVERIFY(!h.frame.Document().IsModified());
    QCOMPARE(busy.size(), 2);
    QCOMPARE(busy.at(0).at(0).toString(), QStringLiteral("BUSY"));
    QCOMPARE(BusyPane(h.frame), QString());
}

void TestLeftView::validationStopsTheRun_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");  // empty: accepted

    const QString integer = QStringLiteral("Please enter an integer.");
    QTest::newRow("empty force") << "forceDesired"
                                 << ""
                                 << "Force (K dynes): " + integer;
    QTest::newRow("force 0") << "forceDesired"
                             << "0"
                             << "Force (K dynes): Please enter an integer between 1 and 1000.";
    QTest::newRow("force 1001") << "forceDesired"
                                << "1001"
                                << "Force (K dynes): Please enter an integer between 1 and 1000.";
    QTest::newRow("velocity 101") << "velocityDesired"
                                  << "101"
                                  << "Velocity (mm/s): Please enter an integer between 0 and 100.";
    QTest::newRow("dwell 61") << "dwellDesired"
                              << "61"
                              << "Dwell Time (s): Please enter an integer between 0 and 60.";
    QTest::newRow("empty velocity") << "velocityDesired"
                                    << ""
                                    << "Velocity (mm/s): " + integer;
    QTest::newRow("velocity 0") << "velocityDesired"
                                << "0"
                                << "";
    QTest::newRow("dwell 0") << "dwellDesired"
                             << "0"
                             << "";
    QTest::newRow("force 1000") << "forceDesired"
                                << "1000"
                                << "";
}

void TestLeftView::validationStopsTheRun()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, message);
    CFrameHarness h;
    QVERIFY(h.Show());
    QApplication::setActiveWindow(&h.frame);
    QVERIFY(QTest::qWaitForWindowActive(&h.frame));
    QLineEdit* edit = Edit(h.frame, qPrintable(field));
    Type(edit, text);
    h.prompt.QueueAnswers({Answer::No});

    ClickStart(h.frame);

    QCOMPARE(BusyPane(h.frame), QString());
    if (message.isEmpty()) {
        QCOMPARE(h.prompt.questions.filter("Impact Now?\nForce ").size(), 1);
        QVERIFY(!h.box.Received().isEmpty());
        return;
    }
    QCOMPARE(h.prompt.messages.size(), 1);
    QCOMPARE(h.prompt.messages.first().text, message);
    QVERIFY(h.box.Received().isEmpty());
    QVERIFY(h.prompt.questions.isEmpty());
    QCOMPARE(QApplication::focusWidget(), edit);
    QCOMPARE(edit->text(), text);
    QVERIFY(!h.frame.Document().DataPresent());
}

void TestLeftView::onlyFieldsTheModeEnablesAreChecked_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("displacementAtStart");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("impactAsked");

    QTest::newRow("empty displacement, then force") << "dispDesired"
                                                    << "" << false << "" << true;
    QTest::newRow("empty displacement in displacement mode")
        << "dispDesired"
        << "" << true << "Displacement (u): Please enter an integer." << false;
    QTest::newRow("force 0, then displacement")
        << "forceDesired"
        << "0" << true << CExperimentDialogue::kDisplacementUnavailable << false;
}

// A field the chosen mode disables is stored when it holds an integer and
// otherwise left alone: a refusal there would put the focus where nobody
// can type.
void TestLeftView::onlyFieldsTheModeEnablesAreChecked()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(bool, displacementAtStart);
    QFETCH(QString, message);
    CFrameHarness h;
    QVERIFY(h.Show());
    QApplication::setActiveWindow(&h.frame);
    QVERIFY(QTest::qWaitForWindowActive(&h.frame));
    CLeftView& panel = h.frame.LeftView();
    QLineEdit* edit = Edit(h.frame, qPrintable(field));
    ClickRadio(edit == panel.m_editDisp ? panel.m_radioDisp : panel.m_radioForce);
    Type(edit, text);
    ClickRadio(displacementAtStart ? panel.m_radioDisp : panel.m_radioForce);
    h.prompt.QueueAnswers({Answer::Yes});

    ClickStart(h.frame);

    QCOMPARE(h.prompt.messages.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty())
        QCOMPARE(h.prompt.messages.first().text, message);
    if (message.endsWith(QLatin1String("Please enter an integer."))) {
        QVERIFY(edit->isEnabled());
        QCOMPARE(QApplication::focusWidget(), edit);
    }
    QTEST(!h.prompt.questions.filter("Impact Now?\nForce").isEmpty(), "impactAsked");
    if (h.box.ImpactCount() > 0)
        QCOMPARE(h.box.LastImpact().displacementMicrons, 1);  // the record's, not the empty field
}

void TestLeftView::commentsScrollSidewaysWithoutABar()
{
    CFrameHarness h;
    QVERIFY(h.Show());
    QPlainTextEdit* comments = Comments(h.frame);
    QTest::keyClicks(comments, QString(200, QLatin1Char('x')));
    QTRY_VERIFY(comments->horizontalScrollBar()->value() > 0);  // the typed end is in view
    QCoreApplication::sendPostedEvents();  // the bars are laid out in a posted event
    QVERIFY(!comments->horizontalScrollBar()->isVisible());
    QVERIFY(comments->verticalScrollBar()->isVisible());
    QCOMPARE(comments->toPlainText(), QString(200, QLatin1Char('x')));
}

void TestLeftView::outcomes_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("defaultsShown");

    QTest::newRow("operator declines") << ""
                                       << "Impact Aborted." << false;
    QTest::newRow("silent box") << "silent" << CRunOutcome::kNotResponding + "\r\nPort: Simulator"
                                << false;
    QTest::newRow("firmware unusable") << "returning" << CRunOutcome::kFirmwareCorrupted << true;
}

void TestLeftView::outcomes()
{
    QFETCH(QString, fault);
    QFETCH(QString, message);
    QFETCH(bool, defaultsShown);
    CFrameHarness h(fault.isEmpty() ? ControlBoxSimulator::Options{}
                                    : CFrameHarness::WithFault(fault));
    QVERIFY(h.Show());
    Type(Edit(h.frame, "forceDesired"), "250");
    Type(Edit(h.frame, "velocityDesired"), "50");
    Type(Edit(h.frame, "dwellDesired"), "5");
    QTest::keyClicks(Comments(h.frame), "rat 12");
    h.prompt.QueueAnswers({Answer::No});

    ClickStart(h.frame);

    QVERIFY(!h.prompt.messages.isEmpty());
    QCOMPARE(h.prompt.messages.last().text, message);
    const QStringList entered{"250", "1", "50", "5"};
    const QStringList defaults{"100", "1", "1", "0"};
    QCOMPARE(DesiredTexts(h.frame), defaultsShown ? defaults : entered);
    QCOMPARE(Comments(h.frame)->toPlainText(),
             defaultsShown ? QString() : QStringLiteral("rat 12"));
    QVERIFY(!h.frame.Document().DataPresent());
    QVERIFY(h.frame.Document().Record().m_arrDispDown.isEmpty());
    QCOMPARE(BusyPane(h.frame), QString());
    QVERIFY(!QFile::exists(m_strLog));
}

void TestLeftView::cutShortDownloadIsLoggedThenReported_data()
{
    QTest::addColumn<bool>("logWritable");
    QTest::newRow("log written") << true;
    QTest::newRow("log unwritable") << false;
}

// The impact was made: what arrived is completed and logged as any run, and
// only then is the operator told that it is not all there was.
void TestLeftView::cutShortDownloadIsLoggedThenReported()
{
    QFETCH(bool, logWritable);
    if (!logWritable)
        qputenv("ZENTAK_RUN_LOG", m_dir.filePath(QStringLiteral("missing/run.log")).toLocal8Bit());
    CFrameHarness h(CFrameHarness::WithFault(QStringLiteral("silent-download=3")));
    QVERIFY(h.Show());
    h.prompt.QueueAnswers({Answer::Yes});

    ClickStart(h.frame);

    const CZentakDoc& doc = h.frame.Document();
    const qsizetype down = doc.Record().m_arrDispDown.size();
    QVERIFY(down > 0);
    const QString cutShort = QStringLiteral("Impact Data Download Was Cut Short!\r\n"
                                            "Samples Received: %1 (%1 Down, 0 Up).\r\n"
                                            "Please Check Serial Cable and Machine Power.")
                                 .arg(down);
    QStringList shown;
    for (const CScriptedPrompt::Shown& message : h.prompt.messages)
        shown.append(message.text);
    const QStringList expected =
        logWritable ? QStringList{cutShort} : QStringList{"Unable to Open Log File!", cutShort};
    QCOMPARE(shown, expected);
    QCOMPARE(h.prompt.messages.last().icon, COperatorPrompt::Icon::Exclamation);
    QVERIFY(h.frame.Document().DataPresent());
    QCOMPARE(doc.IsModified(), !logWritable);
    if (logWritable) {
        QFile log(m_strLog);
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll(), CExperimentFileWriter::Text(doc.Record()));
    }
    QVERIFY(!Edit(h.frame, "forceActual")->text().isEmpty());
    QCOMPARE(BusyPane(h.frame), QString());
}

void TestLeftView::displacementModeIsRefusedWithTheBusyPaneEmpty()
{
    CFrameHarness h;
    QVERIFY(h.Show());
    ClickRadio(h.frame.LeftView().m_radioDisp);
    QCOMPARE(h.frame.LeftView().m_nMode, 1);
    QVERIFY(!Edit(h.frame, "forceDesired")->isEnabled());
    Type(Edit(h.frame, "dispDesired"), "500");

    ClickStart(h.frame);

    QCOMPARE(h.prompt.messages.size(), 1);
    QCOMPARE(h.prompt.messages.first().text, CExperimentDialogue::kDisplacementUnavailable);
    QCOMPARE(BusyPane(h.frame), QString());
    QCOMPARE(h.frame.Document().Record().m_nDesiredDisp, 500);
    QCOMPARE(h.box.ImpactCount(), 0);
}

void TestLeftView::fileNewAfterDisplacementShowsForce()
{
    CFrameHarness h;
    QVERIFY(h.Show());
    ClickRadio(h.frame.LeftView().m_radioDisp);
    QCOMPARE(h.frame.LeftView().m_nMode, 1);
    h.frame.Action(QStringLiteral("fileNew"))->trigger();

    CLeftView& panel = h.frame.LeftView();
    QVERIFY(panel.m_radioForce->isChecked());
    QVERIFY(!panel.m_radioDisp->isChecked());
    QCOMPARE(panel.m_nMode, 0);
    QVERIFY(panel.m_editForce->isEnabled());
    QVERIFY(!panel.m_editDisp->isEnabled());

    h.prompt.QueueAnswers({Answer::Yes});
    ClickStart(h.frame);
    QVERIFY(h.prompt.messages.isEmpty());
    QCOMPARE(h.box.ImpactCount(), 1);
}

void TestLeftView::runWhoseLogFailedIsKeptFromDiscard()
{
    // A log below a regular file can never be created.
    QFile blocker(m_dir.filePath(QStringLiteral("not-a-folder")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("ZENTAK_RUN_LOG", (blocker.fileName() + "/run.log").toLocal8Bit());
    CFrameHarness h;
    QVERIFY(h.Show());
    h.prompt.QueueAnswers({Answer::Yes});
    ClickStart(h.frame);
    QCOMPARE(h.prompt.messages.size(), 1);
    QCOMPARE(h.prompt.messages.first().text, QStringLiteral("Unable to Open Log File!"));
    QVERIFY(h.frame.Document().IsModified());

    // File New asks before the only copy of the run goes, and says why;
    // Cancel keeps it.
    const QString unlogged = QStringLiteral("The run could not be written to the run log.\n"
                                            "Save changes to the experiment?");
    const QString actualForce = Edit(h.frame, "forceActual")->text();
    h.prompt.QueueAnswers({Answer::Cancel});
    h.frame.Action(QStringLiteral("fileNew"))->trigger();
    QCOMPARE(h.prompt.questions.last(), unlogged);
    QVERIFY(h.frame.Document().DataPresent());
    QCOMPARE(Edit(h.frame, "forceActual")->text(), actualForce);

    // So does the next run, which would reset the record first.
    h.prompt.QueueAnswers({Answer::Cancel});
    ClickStart(h.frame);
    QCOMPARE(h.prompt.questions.last(), unlogged);
    QCOMPARE(h.box.ImpactCount(), 1);
    QCOMPARE(Edit(h.frame, "forceActual")->text(), actualForce);

    // A run the log holds is discarded without a question.
    qputenv("ZENTAK_RUN_LOG", m_strLog.toLocal8Bit());
    h.prompt.QueueAnswers({Answer::No, Answer::Yes});
    ClickStart(h.frame);
    QVERIFY(!h.frame.Document().IsModified());
    const qsizetype questionsBefore = h.prompt.questions.size();
    h.frame.Action(QStringLiteral("fileNew"))->trigger();
    QCOMPARE(h.prompt.questions.size(), questionsBefore);
    QVERIFY(!h.frame.Document().DataPresent());
}

void TestLeftView::commentsTakeOnlyWhatAFileCanHold()
{
    CFrameHarness h;
    QVERIFY(h.Show());
    QPlainTextEdit* comments = Comments(h.frame);
    TypeAnyText(comments, QStringLiteral("rat \u00b5 7 \u03b1-toxin"));
    TypeAnyText(comments, QStringLiteral(" \U0001F400 end"));
    QCOMPARE(comments->toPlainText(), QStringLiteral("rat \u00b5 7 -toxin  end"));
    QCOMPARE(comments->textCursor().position(), comments->toPlainText().size());

    comments->moveCursor(QTextCursor::Start);
    comments->insertPlainText(QStringLiteral("\u2192T10\n"));
    QCOMPARE(comments->toPlainText(), QStringLiteral("T10\nrat \u00b5 7 -toxin  end"));
    QCOMPARE(comments->textCursor().position(), 4);
}

void TestLeftView::qualityVerdictOfTheImpactShown_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("verdict");
    QTest::newRow("clean") << QString() << "QC pass";
    QTest::newRow("second hit") << "second-hit"
                                << "QC flags: second hit";
    QTest::newRow("bone") << "bone"
                          << "QC flags: force off target, bone contact";
}

// Shown beside the actual values after the run and for the file it was
// saved to; gone while no impact is shown; never written anywhere.
void TestLeftView::qualityVerdictOfTheImpactShown()
{
    QFETCH(QString, fault);
    QFETCH(QString, verdict);
    CFrameHarness h(CFrameHarness::WithFault(fault));
    QVERIFY(h.Show());
    auto* label = h.frame.findChild<QLabel*>(QStringLiteral("qualityVerdict"));
    QVERIFY(!label->isVisible());
    Type(Edit(h.frame, "velocityDesired"), "100");
    h.prompt.QueueAnswers({Answer::Yes});
    ClickStart(h.frame);
    QVERIFY(label->isVisible());
    QCOMPARE(label->text(), verdict);
    // The measures the verdict is judged by, with their units, beside it.
    auto* measures = h.frame.findChild<QLabel*>(QStringLiteral("impactMeasures"));
    QVERIFY(measures->isVisible());
    const CImpactMeasures measured = CImpactMeasures::Of(h.frame.Document().Record());
    QVERIFY(measured.m_nPeakForceKdyn && measured.m_nForceTimeIntegralKdynMs);
    for (const QString& part :
         {QString::number(*measured.m_nPeakForceKdyn, 'f', 1) + QStringLiteral(" K dynes\n"),
          QString::number(*measured.m_nForceTimeIntegralKdynMs, 'f', 1) +
              QStringLiteral(" K dynes·ms")})
        QVERIFY2(measures->text().contains(part), qPrintable(measures->text()));
    if (measured.m_nTimeToPeakMs)
        QVERIFY(measures->text().contains(QString::number(*measured.m_nTimeToPeakMs, 'f', 2) +
                                          QStringLiteral(" ms, ")));

    const QString path = m_dir.filePath(QStringLiteral("verdict.exp"));
    QVERIFY(h.frame.Document().Save(path));
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QFile log(m_strLog);
    QVERIFY(log.open(QIODevice::ReadOnly));
    for (const QByteArray& bytes : {saved.readAll(), log.readAll()}) {
        QVERIFY(!bytes.contains("QC"));
        QVERIFY(!bytes.contains("flags"));
    }

    h.frame.OnFileNew();
    QVERIFY(!label->isVisible());
    QVERIFY(h.frame.OpenDocumentFile(path));
    QVERIFY(label->isVisible());
    QCOMPARE(label->text(), verdict);
    // A run that found no box shows no verdict of the impact before it.
    h.frame.ApplySerialSettings(QStringLiteral("/nonexistent/tty"), 9600, "None", "1", 8);
    ClickStart(h.frame);
    QVERIFY(!label->isVisible());
}

void TestLeftView::subjectNamesTheNextImpactOnly_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("fieldAfter");
    QTest::addColumn<QByteArray>("loggedLine");
    QTest::newRow("impact made") << " rat 17 " << Answer::Yes << ""
                                 << ""
                                 << QByteArray(
                                        "\r\nSubject: rat 17\r\n\r\n\r\n-----End of File-----");
    QTest::newRow("no subject") << "" << Answer::Yes << ""
                                << "" << QByteArray(".\r\n\r\n\r\n-----End of File-----");
    QTest::newRow("impact declined") << "rat 17" << Answer::No << "Impact Aborted."
                                     << "rat 17" << QByteArray();
    QTest::newRow("refused before anything is sent")
        << "rat End of File" << Answer::Yes
        << "The subject may not hold \"End of File\": experiment files and the run log are "
           "divided at that text."
        << "rat End of File" << QByteArray();
}

// The subject follows the stamp in the comments and the log; once an animal
// is struck the field is empty, so the next impact never takes its ID.
void TestLeftView::subjectNamesTheNextImpactOnly()
{
    QFETCH(QString, typed);
    QFETCH(Answer, answer);
    QFETCH(QString, message);
    QFETCH(QByteArray, loggedLine);
    QFile::remove(m_strLog);
    CFrameHarness h;
    QVERIFY(h.Show());
    QLineEdit* subject = Edit(h.frame, "subject");
    Type(subject, typed);
    h.prompt.QueueAnswers({answer});

    ClickStart(h.frame);

    QCOMPARE(h.prompt.messages.isEmpty() ? QString() : h.prompt.messages.last().text, message);
    QTEST(subject->text(), "fieldAfter");
    QCOMPARE(BusyPane(h.frame), QString());
    QFile log(m_strLog);
    if (loggedLine.isEmpty()) {
        QVERIFY(!log.exists());
        QCOMPARE(h.box.ImpactCount(), 0);
        return;
    }
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray logged = log.readAll();
    QVERIFY2(logged.endsWith(loggedLine), logged.right(120).constData());
    QCOMPARE(Comments(h.frame)->toPlainText().toLatin1(),
             logged.mid(logged.indexOf("Comments:\r\n") + 11).chopped(25).replace("\r\n", "\n"));
}

// The file's actual values, stamp and subject are its run's: after a run
// that made no impact they are neither shown nor saved with the entries.
void TestLeftView::runThatMadeNoImpactKeepsNothingOfTheFileBefore()
{
    CFrameHarness h;
    QVERIFY(h.ShowActive());
    Type(Edit(h.frame, "subject"), "rat 3");
    h.prompt.QueueAnswers({Answer::Yes});
    ClickStart(h.frame);
    const QString path = m_dir.filePath(QStringLiteral("ghost.exp"));
    QVERIFY(h.frame.Document().Save(path) && h.frame.OpenDocumentFile(path));
    h.frame.ApplySerialSettings(QStringLiteral("/nonexistent/tty"), 9600, "None", "1", 8);
    Type(Edit(h.frame, "forceDesired"), "120");
    ClickStart(h.frame);

    for (const char* actual : {"forceActual", "dispActual", "velocityActual", "dwellActual"})
        QCOMPARE(Edit(h.frame, actual)->text(), QString());
    h.files.names << path;
    QTest::keyClick(&h.frame, Qt::Key_S, Qt::ControlModifier);
    CZentakDoc saved;
    QVERIFY(saved.Load(path));
    CImpactRecord entered;
    entered.m_nDesiredForce = 120;
    QCOMPARE(CExperimentFileWriter::Text(saved.Record()), CExperimentFileWriter::Text(entered));
}

void TestLeftView::notesAfterARunAreNotLostToTheNextCommand_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<Answer>("answer");
    for (const char* command : {"New", "Open", "Open from Run Log", "Start Experiment"}) {
        QTest::addRow("%s, Cancel", command) << command << Answer::Cancel;
        QTest::addRow("%s, Yes", command) << command << Answer::Yes;
    }
    QTest::newRow("Start Experiment, No") << "Start Experiment" << Answer::No;
}

// Notes typed after a run are offered for saving by every command that
// replaces the record; Cancel keeps them and starts nothing.
void TestLeftView::notesAfterARunAreNotLostToTheNextCommand()
{
    QFETCH(QString, command);
    QFETCH(Answer, answer);
    QFile::remove(m_strLog);
    CFrameHarness h;
    QVERIFY(h.ShowActive());
    h.prompt.QueueAnswers({Answer::Yes});
    ClickStart(h.frame);
    const QString other = m_dir.filePath(QStringLiteral("other.exp"));
    const QString saved = m_dir.filePath(QStringLiteral("notes.exp"));
    QFile::remove(saved);
    QVERIFY(h.frame.Document().Save(other));
    h.frame.Document().SetPathName(QString());
    QTest::keyClicks(Comments(h.frame), "flaccid");
    h.files.names << (command == "Open" ? other : saved) << saved;
    h.prompt.QueueAnswers({answer, Answer::Yes});
    CRunLogReader log(QString{});
    QString error;
    if (command == "New")
        QTest::keyClick(&h.frame, Qt::Key_N, Qt::ControlModifier);
    else if (command == "Open")
        QTest::keyClick(&h.frame, Qt::Key_O, Qt::ControlModifier);
    else if (command == "Start Experiment")
        ClickStart(h.frame);
    else if (log.Open(m_strLog, error) == CRunLogReader::OpenResult::Opened)
        h.frame.OpenRunLogEntry(log, 0);

    QCOMPARE(h.prompt.questions.value(1), CMainFrame::kSaveChanges);
    QCOMPARE(Comments(h.frame)->toPlainText().contains("flaccid"), answer == Answer::Cancel);
    QCOMPARE(h.box.ImpactCount(),
             command == "Start Experiment" && answer != Answer::Cancel ? 2 : 1);
    QCOMPARE(QFile::exists(saved), answer == Answer::Yes);
}

// "Impact Now?" says what will be done; after No the entries stay for the retry.
void TestLeftView::declinedImpactIsRetriedWithTheSameEntries()
{
    CFrameHarness h;
    QVERIFY(h.Show());
    Type(Edit(h.frame, "forceDesired"), "120");
    Type(Edit(h.frame, "velocityDesired"), "60");
    Type(Edit(h.frame, "subject"), "rat-21");
    h.prompt.QueueAnswers({Answer::No, Answer::Yes});
    ClickStart(h.frame);
    ClickStart(h.frame);
    const QString question = QStringLiteral(
        "Impact Now?\nForce 120 K dynes, velocity 60 mm/s, dwell 0 s. Subject: rat-21");
    QCOMPARE(h.prompt.questions, QStringList({question, question}));
    QCOMPARE(h.box.LastImpact().forceTenths, 1200);
}

QTEST_MAIN(TestLeftView)
#include "tst_left_view.moc"
