#include "CManualClock.h"
#include "CPaintCounter.h"
#include "CScriptedBox.h"
#include "CScriptedPrompt.h"
#include "core/device/CPortFactory.h"
#include "core/protocol/CRunOutcome.h"
#include "core/record/CSerialSettings.h"
#include "core/simulator/ControlBoxSimulator.h"
#include "gui/CFileChooser.h"
#include "gui/CForcePropDialog.h"
#include "gui/CMaintenanceCommands.h"
#include "gui/CProgressDialog.h"
#include "gui/CSerialIODialog.h"
#include "gui/CSerialPropDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using Answer = COperatorPrompt::Answer;
using Icon = COperatorPrompt::Icon;
using Shown = CScriptedPrompt::Shown;

namespace {

const QList<Shown> kNotResponding{{CRunOutcome::kNotResponding, Icon::Exclamation}};

QAbstractButton* Button(QWidget* dialog, const QString& text)
{
    for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
        if (button->text() == text)
            return button;
    }
    qFatal("no button %s", qPrintable(text));
    return nullptr;
}

void Click(QWidget* dialog, const QString& text)
{
    QTest::mouseClick(Button(dialog, text), Qt::LeftButton);
}

void TypeInto(QLineEdit* edit, const QString& text)
{
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

void TypeInto(QComboBox* combo, const QString& text)
{
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), text);
}

// Runs act on the modal dialog once it is up, so that a test can go
// through a command that blocks in exec(); act must close it.
void WhenModal(const std::function<void(QWidget*)>& act)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog)
            return;
        timer->stop();
        timer->deleteLater();
        act(dialog);
    });
    timer->start();
}

// The file dialog as a script: one answer, and the request it was given.
class CScriptedFiles : public CFileChooser
{
public:
    QString answer;
    int asked = 0;
    Request lastRequest;

    QString ChooseFileToOpen(QWidget*, const Request& request) override
    {
        ++asked;
        lastRequest = request;
        return answer;
    }
    QString ChooseFileToSave(QWidget*, const Request&) override { return QString(); }
};

// The window's side of the maintenance commands, on a simulated box.
struct Window {
    explicit Window(CSimulatedBox& box) : factory(box) {}

    CManualClock clock;
    CPortFactory factory;
    CScriptedPrompt prompt;
    CSerialSettings settings{CPortFactory::kSimulatorPort};
};

QString WriteHexFile(const QTemporaryDir& dir, const QStringList& lines)
{
    const QString path = dir.filePath(QStringLiteral("image.hex"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    for (const QString& line : lines)
        file.write(line.toLatin1() + "\r\n");
    return path;
}

}  // namespace

class TestMaintenanceDialogs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Serial port settings
    void settingsDialogShowsTheCurrentSettings();
    void settingsListsAndGroups();
    void portListEndsWithPresentPortsAndTheSimulator_data();
    void portListEndsWithPresentPortsAndTheSimulator();
    void settingsChangeIsKeptAndShownAgain();
    void lettersInNumberBoxesGiveZero_data();
    void lettersInNumberBoxesGiveZero();
    void typedTextsGoOnAsTyped_data();
    void typedTextsGoOnAsTyped();
    void cancelAndDefaultChangeNothing();

    // Serial terminal
    void terminalKeepsItsTextsAfterDone();
    void terminalDropsEditsAfterCancel();
    void terminalSendBoxTakes128Characters();
    void terminalRefusesOverlongKeptText();
    void terminalSendTalksToTheBox();
    void terminalReceiveBoxKeepsItsLast1024Characters();
    void terminalReplyText_data();
    void terminalReplyText();

    // Force sensitivity
    void forceDialogTexts();
    void forceDialogShowsTheBoxValue_data();
    void forceDialogShowsTheBoxValue();
    void forceDialogValidation_data();
    void forceDialogValidation();
    void forceDialogWritesAfterConfirmation();
    void forceDialogStaysOpenWhenNotConfirmed();
    void outOfRangeReadMustBeCorrectedBeforeWriting();
    void forceDialogWithoutAReadOnlyCloses();

    // Firmware
    void progressDialogLayout();
    void progressDialogRunsTheTransfer();
    void progressDialogReportsFailure();

    // The window's commands
    void reprogramCommand();
    void reprogramCommandReportsUnansweredLines();
    void reprogramCommandStopsEarly_data();
    void reprogramCommandStopsEarly();
    void terminalCommandRepaintsAfterDoneOnly();
    void settingsAndForceCommands();
};

void TestMaintenanceDialogs::settingsDialogShowsTheCurrentSettings()
{
    CSerialSettings settings;
    CSerialPropDialog dialog(settings);
    dialog.OnInitDialog();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Serial Port Settings"));
    QCOMPARE(dialog.m_comboPort->currentText(), QStringLiteral("Com1"));
    QCOMPARE(dialog.m_comboBaudRate->currentText(), QStringLiteral("9600"));
    QCOMPARE(dialog.m_comboParity->currentText(), QStringLiteral("None"));
    QCOMPARE(dialog.m_comboStopBits->currentText(), QStringLiteral("1"));
    QCOMPARE(dialog.m_comboByteSize->currentText(), QStringLiteral("8"));

    // Texts beyond the lists are shown as they are.
    settings = {"/dev/pts/7", -5, "odd", "3", 0};
    dialog.OnInitDialog();
    QCOMPARE(dialog.m_comboPort->currentText(), QStringLiteral("/dev/pts/7"));
    QCOMPARE(dialog.m_comboBaudRate->currentText(), QStringLiteral("-5"));
    QCOMPARE(dialog.m_comboParity->currentText(), QStringLiteral("odd"));
    QCOMPARE(dialog.m_comboStopBits->currentText(), QStringLiteral("3"));
    QCOMPARE(dialog.m_comboByteSize->currentText(), QStringLiteral("0"));
}

void TestMaintenanceDialogs::settingsListsAndGroups()
{
    CSerialSettings settings;
    CSerialPropDialog dialog(settings);
    dialog.OnInitDialog();
    const auto items = [](const QComboBox* combo) {
        QStringList list;
        for (int i = 0; i < combo->count(); ++i)
            list.append(combo->itemText(i));
        return list;
    };
    QCOMPARE(items(dialog.m_comboBaudRate),
             (QStringList{"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200",
                          "230400", "460800", "921600"}));
    QCOMPARE(items(dialog.m_comboParity), (QStringList{"None", "Even", "Odd", "Mark", "Space"}));
    QCOMPARE(items(dialog.m_comboStopBits), (QStringList{"1", "1.5", "2"}));
    QCOMPARE(items(dialog.m_comboByteSize), (QStringList{"8", "7", "6", "5"}));
    const QStringList ports = items(dialog.m_comboPort);
    QCOMPARE(ports.first(9),
             (QStringList{"Com1", "Com2", "Com3", "Com4", "Com5", "Com6", "Com7", "Com8", "Com9"}));
    QCOMPARE(ports.last(), QStringLiteral("Simulator"));
    for (const QComboBox* combo : dialog.findChildren<QComboBox*>())
        QVERIFY(combo->isEditable());

    const auto* properties = dialog.m_comboPort->parentWidget();
    const auto* advanced = dialog.m_comboParity->parentWidget();
    QCOMPARE(qobject_cast<const QGroupBox*>(properties)->title(), QStringLiteral("Properties"));
    QCOMPARE(qobject_cast<const QGroupBox*>(advanced)->title(), QStringLiteral("Advanced"));
    QCOMPARE(advanced->parentWidget(), properties);
    QCOMPARE(dialog.m_comboByteSize->parentWidget(), advanced);
    QCOMPARE(dialog.m_comboBaudRate->parentWidget(), properties);
    QCOMPARE(dialog.m_buttonDefault->text(), QStringLiteral("&Default"));
}

void TestMaintenanceDialogs::portListEndsWithPresentPortsAndTheSimulator_data()
{
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("after");
    QTest::newRow("none") << QStringList{} << QStringList{"Simulator"};
    QTest::newRow("a USB adapter")
        << QStringList{"/dev/ttyUSB0"} << QStringList{"/dev/ttyUSB0", "Simulator"};
    QTest::newRow("listed ports are not repeated")
        << QStringList{"COM3", "COM12"} << QStringList{"COM12", "Simulator"};
}

void TestMaintenanceDialogs::portListEndsWithPresentPortsAndTheSimulator()
{
    QFETCH(QStringList, present);
    QFETCH(QStringList, after);
    const QStringList items = CSerialPropDialog::PortItems(present);
    QCOMPARE(items.first(9).last(), QStringLiteral("Com9"));
    QCOMPARE(items.mid(9), after);
}

void TestMaintenanceDialogs::settingsChangeIsKeptAndShownAgain()
{
    CSerialSettings settings;
    CSerialPropDialog dialog(settings);
    dialog.OnInitDialog();
    dialog.show();
    dialog.m_comboPort->setCurrentIndex(2);
    TypeInto(dialog.m_comboBaudRate, "19200");
    dialog.m_comboParity->setCurrentText("Even");
    TypeInto(dialog.m_comboStopBits, "2");
    TypeInto(dialog.m_comboByteSize, "7");
    Click(&dialog, "OK");
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(settings, (CSerialSettings{QStringLiteral("Com3"), 19200, QStringLiteral("Even"),
                                        QStringLiteral("2"), 7}));

    dialog.OnInitDialog();
    QCOMPARE(dialog.m_comboPort->currentText(), QStringLiteral("Com3"));
    QCOMPARE(dialog.m_comboBaudRate->currentText(), QStringLiteral("19200"));

    // A typed port name beyond the list goes on unchanged.
    dialog.show();
    TypeInto(dialog.m_comboPort, "Com12");
    Click(&dialog, "OK");
    QCOMPARE(settings.m_strPort, QStringLiteral("Com12"));
    QCOMPARE(dialog.m_comboPort->findText("Com12"), -1);
}

void TestMaintenanceDialogs::lettersInNumberBoxesGiveZero_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("stored");
    QTest::newRow("letters") << "fast" << 0;
    QTest::newRow("digits then letters") << "9600x" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("leading blanks") << "  4800" << 4800;
    QTest::newRow("negative") << "-1" << -1;
}

void TestMaintenanceDialogs::lettersInNumberBoxesGiveZero()
{
    QFETCH(QString, typed);
    QFETCH(int, stored);
    CSerialSettings settings;
    CSerialPropDialog dialog(settings);
    dialog.OnInitDialog();
    dialog.show();
    dialog.m_comboBaudRate->setEditText(typed);
    dialog.m_comboByteSize->setEditText(typed);
    Click(&dialog, "OK");
    QCOMPARE(settings.m_nBaudRate, stored);
    QCOMPARE(settings.m_nByteSize, stored);
    QCOMPARE(settings.m_strPort, QStringLiteral("Com1"));
}

void TestMaintenanceDialogs::typedTextsGoOnAsTyped_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("closeWithEnter");
    QTest::addColumn<QString>("stored");
    for (const bool enter : {true, false}) {
        const char* closing = enter ? "Enter" : "OK";
        QTest::addRow("parity odd, %s", closing) << "parity"
                                                 << "odd" << enter << "odd";
        QTest::addRow("parity EVEN, %s", closing) << "parity"
                                                  << "EVEN" << enter << "EVEN";
        QTest::addRow("port com3, %s", closing) << "port"
                                                << "com3" << enter << "com3";
        QTest::addRow("port Com1, %s", closing) << "port"
                                                << "Com1" << enter << "Com1";
        QTest::addRow("baud 96, %s", closing) << "baud"
                                              << "96" << enter << "96";
        QTest::addRow("stop bits 1., %s", closing) << "stopBits"
                                                   << "1." << enter << "1.";
    }
}

// The completer of an editable box would fill in or recase what was typed;
// the settings are the texts as typed, however the dialog is closed.
void TestMaintenanceDialogs::typedTextsGoOnAsTyped()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(bool, closeWithEnter);
    QFETCH(QString, stored);
    CSerialSettings settings{"Com2", 19200, "Mark", "2", 7};
    CSerialPropDialog dialog(settings);
    dialog.OnInitDialog();
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    const QMap<QString, QComboBox*> boxes{{"parity", dialog.m_comboParity},
                                          {"port", dialog.m_comboPort},
                                          {"baud", dialog.m_comboBaudRate},
                                          {"stopBits", dialog.m_comboStopBits}};
    QComboBox* combo = boxes.value(box);
    combo->setFocus();
    TypeInto(combo, typed);
    if (closeWithEnter)
        QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
    else
        Click(&dialog, "OK");

    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
    const QMap<QString, QString> texts{{"parity", settings.m_strParity},
                                       {"port", settings.m_strPort},
                                       {"baud", QString::number(settings.m_nBaudRate)},
                                       {"stopBits", settings.m_strStopBits}};
    QCOMPARE(texts.value(box), stored);
}

void TestMaintenanceDialogs::cancelAndDefaultChangeNothing()
{
    CSerialSettings settings{"Com4", 19200, "Odd", "2", 7};
    CSerialPropDialog dialog(settings);
    dialog.OnInitDialog();
    dialog.show();
    TypeInto(dialog.m_comboPort, "Com8");
    TypeInto(dialog.m_comboBaudRate, "1200");

    Click(&dialog, "&Default");
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.m_comboPort->currentText(), QStringLiteral("Com8"));
    QCOMPARE(dialog.m_comboBaudRate->currentText(), QStringLiteral("1200"));
    QCOMPARE(settings.m_strPort, QStringLiteral("Com4"));

    Click(&dialog, "Cancel");
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(settings, (CSerialSettings{QStringLiteral("Com4"), 19200, QStringLiteral("Odd"),
                                        QStringLiteral("2"), 7}));
    dialog.OnInitDialog();
    QCOMPARE(dialog.m_comboPort->currentText(), QStringLiteral("Com4"));
}

void TestMaintenanceDialogs::terminalKeepsItsTextsAfterDone()
{
    ControlBoxSimulator box;
    Window window(box);
    CSerialIODialog dialog(window.factory, window.clock, window.prompt, window.settings);
    dialog.OnInitDialog();
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Serial I/O"));
    QVERIFY(dialog.m_buttonSend->isDefault());
    QTest::keyClicks(dialog.m_editSend, "hello box");
    Click(&dialog, "&Done");
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.m_strSend, QStringLiteral("hello box"));

    dialog.m_editSend->clear();
    dialog.OnInitDialog();
    QCOMPARE(dialog.m_editSend->toPlainText(), QStringLiteral("hello box"));
    QVERIFY(box.Writes().isEmpty());
}

void TestMaintenanceDialogs::terminalDropsEditsAfterCancel()
{
    ControlBoxSimulator box;
    Window window(box);
    CSerialIODialog dialog(window.factory, window.clock, window.prompt, window.settings);
    dialog.m_strSend = QStringLiteral("57");
    dialog.m_strReceive = QStringLiteral("Enter Mode: ");
    dialog.OnInitDialog();
    dialog.show();
    QTest::keyClicks(dialog.m_editSend, "123");
    Click(&dialog, "&Send");
    Click(&dialog, "&Cancel");
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(dialog.m_strSend, QStringLiteral("57"));
    QCOMPARE(dialog.m_strReceive, QStringLiteral("Enter Mode: "));
    dialog.OnInitDialog();
    QCOMPARE(dialog.m_editSend->toPlainText(), QStringLiteral("57"));
    QCOMPARE(dialog.m_editReceive->toPlainText(), QStringLiteral("Enter Mode: "));
}

void TestMaintenanceDialogs::terminalSendBoxTakes128Characters()
{
    ControlBoxSimulator box;
    Window window(box);
    CSerialIODialog dialog(window.factory, window.clock, window.prompt, window.settings);
    dialog.OnInitDialog();
    dialog.show();
    QTest::keyClicks(dialog.m_editSend, QString(120, u'a'));
    QTest::keyClicks(dialog.m_editSend, QString(20, u'b'));
    QCOMPARE(dialog.m_editSend->toPlainText(), QString(120, u'a') + QString(8, u'b'));
    Click(&dialog, "&Done");
    QCOMPARE(dialog.m_strSend.size(), 128);
    QVERIFY(window.prompt.messages.isEmpty());
}

void TestMaintenanceDialogs::terminalRefusesOverlongKeptText()
{
    ControlBoxSimulator box;
    Window window(box);
    CSerialIODialog dialog(window.factory, window.clock, window.prompt, window.settings);
    dialog.m_strSend = QString(129, u'x');
    dialog.OnInitDialog();
    dialog.show();
    Click(&dialog, "&Done");
    QVERIFY(dialog.isVisible());
    QCOMPARE(window.prompt.messages,
             (QList<Shown>{{"Please enter no more than 128 characters.", Icon::Exclamation}}));
    dialog.reject();
}

void TestMaintenanceDialogs::terminalSendTalksToTheBox()
{
    ControlBoxSimulator box;
    Window window(box);
    CSerialIODialog dialog(window.factory, window.clock, window.prompt, window.settings);
    dialog.OnInitDialog();
    dialog.show();
    Click(&dialog, "&Send");
    QCOMPARE(dialog.m_editReceive->toPlainText(), QStringLiteral("\nEnter Mode: "));

    QTest::keyClicks(dialog.m_editSend, "57");
    QTest::keyClick(dialog.m_editSend, Qt::Key_Return);  // Enter sends
    QCOMPARE(dialog.m_editReceive->toPlainText(),
             QStringLiteral("\nEnter Mode: 57\nR5.04 - Force Sensitivity (5431)\nEnter Mode: "));
    QCOMPARE(box.Writes(), (QByteArrayList{"\n", "57\n"}));
    QCOMPARE(dialog.m_editSend->toPlainText(), QStringLiteral("57"));

    // Nothing goes to the box before "&Done" keeps it.
    Click(&dialog, "&Done");
    QVERIFY(dialog.m_strReceive.endsWith(QLatin1String("(5431)\nEnter Mode: ")));

    ControlBoxSimulator silent([] {
        ControlBoxSimulator::Options options;
        options.AddFault("silent");
        return options;
    }());
    Window quiet(silent);
    CSerialIODialog deaf(quiet.factory, quiet.clock, quiet.prompt, quiet.settings);
    deaf.m_strReceive = QStringLiteral("earlier");
    deaf.OnInitDialog();
    deaf.show();
    Click(&deaf, "&Send");
    QCOMPARE(deaf.m_editReceive->toPlainText(), QStringLiteral("earlier\n(no reply)\n"));
    QVERIFY(quiet.prompt.messages.isEmpty());
}

void TestMaintenanceDialogs::terminalReceiveBoxKeepsItsLast1024Characters()
{
    CScriptedBox box;
    box.SetFallback(QByteArray(99, 'r') + "\n");
    Window window(box);
    CSerialIODialog dialog(window.factory, window.clock, window.prompt, window.settings);
    dialog.OnInitDialog();
    dialog.show();
    for (int send = 0; send < 12; ++send)
        Click(&dialog, "&Send");
    const QString received = dialog.m_editReceive->toPlainText();
    QCOMPARE(received.size(), 1024);
    QVERIFY(received.endsWith(QString(99, u'r') + u'\n'));
    Click(&dialog, "&Done");
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(window.prompt.messages.isEmpty());
}

void TestMaintenanceDialogs::terminalReplyText_data()
{
    QTest::addColumn<QString>("received");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("answered");
    QTest::addColumn<QString>("shown");
    QTest::newRow("CR LF as a line break") << ""
                                           << "a\r\nb\r\n"
                                           << true << "a\nb\n";
    QTest::newRow("lone CR as a line break") << "x"
                                             << "a\rb" << true << "xa\nb";
    QTest::newRow("no reply on its own line") << "x"
                                              << "" << false << "x\n(no reply)\n";
    QTest::newRow("no reply after a line end") << "x\n"
                                               << "" << false << "x\n(no reply)\n";
    QTest::newRow("oldest characters go")
        << QString(1020, u'o') << "123456" << true << QString(1018, u'o') + "123456";
}

void TestMaintenanceDialogs::terminalReplyText()
{
    QFETCH(QString, received);
    QFETCH(QString, reply);
    QFETCH(bool, answered);
    QFETCH(QString, shown);
    QCOMPARE(CSerialIODialog::AppendReply(received, reply, answered), shown);
}

void TestMaintenanceDialogs::forceDialogTexts()
{
    ControlBoxSimulator box;
    Window window(box);
    CForcePropDialog dialog(window.factory, window.clock, window.prompt, window.settings);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Force Settings"));
    QStringList labels;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        labels.append(label->text());
    QVERIFY(labels.contains("Force Sensitivity:"));
    QVERIFY(labels.contains(
        "*Force sensitivity value entered is the sensitivity from the sensor calibration sheet "
        "multiplied by 10 (e.g. 543.1 mV/N is entered as 5431). Resulting value should be in the "
        "range of 4000 to 6000."));
    QVERIFY(labels.contains("*WARNING: Improper force sensitivity setting may adversely affect "
                            "all force measurements made by the impactor."));
    QVERIFY(box.Writes().isEmpty());  // nothing is read before the dialog opens
}

void TestMaintenanceDialogs::forceDialogShowsTheBoxValue_data()
{
    QTest::addColumn<int>("release");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("state");
    QTest::newRow("release 5") << 5 << ""
                               << "5431" << true << 5;
    QTest::newRow("out of range") << 5 << "bad-sensitivity"
                                  << "2900" << true << 5;
    QTest::newRow("release 4") << 4 << ""
                               << "3000" << false << 4;
    QTest::newRow("silent") << 5 << "silent"
                            << "3000" << false << 0;
}

void TestMaintenanceDialogs::forceDialogShowsTheBoxValue()
{
    QFETCH(int, release);
    QFETCH(QString, fault);
    QFETCH(QString, shown);
    QFETCH(bool, enabled);
    QFETCH(int, state);
    ControlBoxSimulator::Options options;
    options.release = release;
    if (!fault.isEmpty())
        options.AddFault(fault);
    ControlBoxSimulator box(options);
    Window window(box);
    CForcePropDialog dialog(window.factory, window.clock, window.prompt, window.settings);
    dialog.OnInitDialog();
    QCOMPARE(dialog.m_editSensitivity->text(), shown);
    QCOMPARE(dialog.m_editSensitivity->isEnabled(), enabled);
    QCOMPARE(dialog.m_nState, state);
}

void TestMaintenanceDialogs::forceDialogValidation_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    const QString range = QStringLiteral("Please enter an integer between 3000 and 7000.");
    const QString integer = QStringLiteral("Please enter an integer.");
    QTest::newRow("7001") << "7001" << range;
    QTest::newRow("2999") << "2999" << range;
    QTest::newRow("letters") << "abc" << integer;
    QTest::newRow("decimal") << "543.1" << integer;
    QTest::newRow("empty") << "" << integer;
}

void TestMaintenanceDialogs::forceDialogValidation()
{
    QFETCH(QString, typed);
    QFETCH(QString, message);
    ControlBoxSimulator box;
    Window window(box);
    CForcePropDialog dialog(window.factory, window.clock, window.prompt, window.settings);
    dialog.OnInitDialog();
    dialog.show();
    const qsizetype writesAfterRead = box.Writes().size();
    TypeInto(dialog.m_editSensitivity, typed);
    Click(&dialog, "OK");
    QVERIFY(dialog.isVisible());
    QCOMPARE(window.prompt.messages, (QList<Shown>{{message, Icon::Exclamation}}));
    QCOMPARE(box.Writes().size(), writesAfterRead);
    QVERIFY(window.prompt.questions.isEmpty());
    QCOMPARE(dialog.m_editSensitivity->text(), typed);
    dialog.reject();
}

void TestMaintenanceDialogs::forceDialogWritesAfterConfirmation()
{
    ControlBoxSimulator box;
    Window window(box);
    CForcePropDialog dialog(window.factory, window.clock, window.prompt, window.settings);
    dialog.OnInitDialog();
    dialog.show();
    box.ClearReceived();
    TypeInto(dialog.m_editSensitivity, "6000");
    window.prompt.QueueAnswers({Answer::Yes});
    Click(&dialog, "OK");
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
    QCOMPARE(box.Writes(), (QByteArrayList{"\n", "86\n", "6000\n", "Y"}));
    QCOMPARE(box.Sensitivity(), 6000);
    QVERIFY(window.prompt.messages.isEmpty());

    // Every opening reads afresh.
    dialog.OnInitDialog();
    QCOMPARE(dialog.m_editSensitivity->text(), QStringLiteral("6000"));
}

void TestMaintenanceDialogs::forceDialogStaysOpenWhenNotConfirmed()
{
    ControlBoxSimulator box;
    Window window(box);
    CForcePropDialog dialog(window.factory, window.clock, window.prompt, window.settings);
    dialog.OnInitDialog();
    dialog.show();
    TypeInto(dialog.m_editSensitivity, "4500");
    window.prompt.QueueAnswers({Answer::No});
    Click(&dialog, "OK");
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.m_editSensitivity->text(), QStringLiteral("4500"));
    QCOMPARE(window.prompt.questions, QStringList{"Confirm Setting?"});
    QVERIFY(window.prompt.messages.isEmpty());
    QCOMPARE(box.Sensitivity(), 5431);
    QVERIFY(box.AtMainPrompt());

    // A second OK with Yes stores it.
    window.prompt.QueueAnswers({Answer::Yes});
    Click(&dialog, "OK");
    QVERIFY(!dialog.isVisible());
    QCOMPARE(box.Sensitivity(), 4500);
}

void TestMaintenanceDialogs::outOfRangeReadMustBeCorrectedBeforeWriting()
{
    ControlBoxSimulator::Options options;
    options.AddFault("bad-sensitivity");
    ControlBoxSimulator box(options);
    Window window(box);
    CForcePropDialog dialog(window.factory, window.clock, window.prompt, window.settings);
    dialog.OnInitDialog();
    dialog.show();
    Click(&dialog, "OK");
    QVERIFY(dialog.isVisible());
    QCOMPARE(window.prompt.messages.last().text,
             QStringLiteral("Please enter an integer between 3000 and 7000."));
    TypeInto(dialog.m_editSensitivity, "5200");
    window.prompt.QueueAnswers({Answer::Yes});
    Click(&dialog, "OK");
    QVERIFY(!dialog.isVisible());
    QCOMPARE(box.Sensitivity(), 5200);
}

void TestMaintenanceDialogs::forceDialogWithoutAReadOnlyCloses()
{
    ControlBoxSimulator::Options options;
    options.release = 4;
    ControlBoxSimulator box(options);
    Window window(box);
    CForcePropDialog dialog(window.factory, window.clock, window.prompt, window.settings);
    dialog.OnInitDialog();
    dialog.show();
    const qsizetype writesAfterRead = box.Writes().size();
    Click(&dialog, "OK");
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(box.Writes().size(), writesAfterRead);
    QVERIFY(window.prompt.questions.isEmpty());
}

void TestMaintenanceDialogs::progressDialogLayout()
{
    ControlBoxSimulator box;
    Window window(box);
    CProgressDialog dialog(window.factory, window.clock, window.prompt);
    QStringList labels;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        labels.append(label->text());
    labels.sort();
    QCOMPARE(labels, (QStringList{"0%", "Process may take several minutes.",
                                  "WARNING: Do not disconnect power or serial cable.",
                                  "Writing Firmware..."}));
    QCOMPARE(dialog.findChild<QLabel*>("percent")->text(), QStringLiteral("0%"));
    QVERIFY(dialog.findChildren<QAbstractButton*>().isEmpty());
    QVERIFY(!(dialog.windowFlags() & Qt::WindowTitleHint));
    const QProgressBar* bar = dialog.findChild<QProgressBar*>();
    QCOMPARE(bar->minimum(), 0);
    QCOMPARE(bar->maximum(), 100);
}

void TestMaintenanceDialogs::progressDialogRunsTheTransfer()
{
    ControlBoxSimulator box;
    Window window(box);
    CProgressDialog dialog(window.factory, window.clock, window.prompt);
    QProgressBar* bar = dialog.findChild<QProgressBar*>();
    QSignalSpy positions(bar, &QProgressBar::valueChanged);
    CPaintCounter paints;
    bar->installEventFilter(&paints);

    QStringList lines;
    for (int i = 0; i < 200; ++i)
        lines.append(QStringLiteral(":020000040000FA"));
    QCOMPARE(dialog.Execute(window.settings, lines), 5);
    QCOMPARE(box.ProgrammedLines().size(), 200);
    QCOMPARE(positions.size(), 99);  // 1 to 99: the bar moves with the lines
    QCOMPARE(positions.last().first().toInt(), 99);
    QCOMPARE(dialog.m_strPercent, QStringLiteral("99%"));
    QCOMPARE(dialog.findChild<QLabel*>("percent")->text(), QStringLiteral("99%"));
    // The bar was painted while the transfer held the thread.
    QVERIFY2(paints.paints >= 99, qPrintable(QString::number(paints.paints)));
    QVERIFY(window.prompt.messages.isEmpty());

    // The next run starts again at 0%.
    positions.clear();
    QCOMPARE(dialog.Execute(window.settings, {}), 5);
    QCOMPARE(positions.first().first().toInt(), 0);
    QCOMPARE(dialog.m_strPercent, QStringLiteral("0%"));
}

void TestMaintenanceDialogs::progressDialogReportsFailure()
{
    ControlBoxSimulator::Options options;
    options.AddFault("silent");
    ControlBoxSimulator box(options);
    Window window(box);
    CProgressDialog dialog(window.factory, window.clock, window.prompt);
    QCOMPARE(dialog.Execute(window.settings, {":00"}), 0);
    QCOMPARE(window.prompt.messages, kNotResponding);
}

void TestMaintenanceDialogs::reprogramCommand()
{
    ControlBoxSimulator box;
    Window window(box);
    QTemporaryDir dir;
    CScriptedFiles files;
    const QStringList lines{":10000000A1", ":10001000B2", ":00000001FF"};
    files.answer = WriteHexFile(dir, lines);
    QWidget frame;
    CMaintenanceCommands commands(&frame, window.settings, window.prompt, window.factory,
                                  window.clock, files);
    QSignalSpy busy(&commands, &CMaintenanceCommands::busyTextChanged);
    window.prompt.QueueAnswers({Answer::Yes});
    commands.OnFileReprogram();

    QCOMPARE(files.lastRequest.filter, QStringLiteral("Hex Files (*.hex);;All Files (*.*)"));
    QCOMPARE(files.lastRequest.defaultSuffix, QStringLiteral("hex"));
    QCOMPARE(files.lastRequest.initialName, QStringLiteral("*.hex"));
    QCOMPARE(window.prompt.questions, QStringList{"Reprogram Firmware Now?"});
    QCOMPARE(box.ProgrammedLines(), lines);
    QCOMPARE(busy.size(), 2);
    QCOMPARE(busy.at(0).first().toString(), QStringLiteral("BUSY"));
    QCOMPARE(busy.at(1).first().toString(), QString());
    QCOMPARE(window.prompt.messages,
             (QList<Shown>{{"Firmware Upgrade Successful!", Icon::Exclamation}}));
}

void TestMaintenanceDialogs::reprogramCommandReportsUnansweredLines()
{
    CScriptedBox box;
    box.QueueReply("R\r\nSend Data Now\r\n");
    box.QueueSilence();
    box.QueueReply("OK\r\n");
    box.QueueSilence();  // "24"
    Window window(box);
    QTemporaryDir dir;
    CScriptedFiles files;
    files.answer = WriteHexFile(dir, {":01", ":02"});
    CMaintenanceCommands commands(nullptr, window.settings, window.prompt, window.factory,
                                  window.clock, files);
    QSignalSpy busy(&commands, &CMaintenanceCommands::busyTextChanged);
    window.prompt.QueueAnswers({Answer::Yes});
    commands.OnFileReprogram();
    QCOMPARE(window.prompt.messages,
             (QList<Shown>{{CRunOutcome::kNotResponding, Icon::Exclamation},
                           {"Firmware Upgrade Failed!\r\n1 of 2 firmware lines got no reply from "
                            "the control box.",
                            Icon::Exclamation}}));
    QCOMPARE(busy.last().first().toString(), QString());
}

void TestMaintenanceDialogs::reprogramCommandStopsEarly_data()
{
    QTest::addColumn<bool>("chosen");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QStringList>("questions");
    QTest::addColumn<int>("messages");
    QTest::newRow("file dialog cancelled") << false << true << QStringList{} << 0;
    QTest::newRow("file missing") << true << false << QStringList{} << 1;
    QTest::newRow("answered No") << true << true << QStringList{"Reprogram Firmware Now?"} << 0;
}

void TestMaintenanceDialogs::reprogramCommandStopsEarly()
{
    QFETCH(bool, chosen);
    QFETCH(bool, exists);
    QFETCH(QStringList, questions);
    QFETCH(int, messages);
    ControlBoxSimulator box;
    Window window(box);
    QTemporaryDir dir;
    CScriptedFiles files;
    CMaintenanceCommands commands(nullptr, window.settings, window.prompt, window.factory,
                                  window.clock, files);
    // An earlier upgrade leaves nothing behind for this one.
    files.answer = WriteHexFile(dir, {":01"});
    window.prompt.QueueAnswers({Answer::Yes});
    commands.OnFileReprogram();
    box.ClearReceived();
    window.prompt.messages.clear();
    window.prompt.questions.clear();

    const QString missing = dir.filePath(QStringLiteral("missing.hex"));
    files.answer = !chosen ? QString() : exists ? files.answer : missing;
    QSignalSpy busy(&commands, &CMaintenanceCommands::busyTextChanged);
    window.prompt.QueueAnswers({Answer::No});
    commands.OnFileReprogram();
    QCOMPARE(window.prompt.questions, questions);
    QCOMPARE(window.prompt.messages.size(), messages);
    if (messages)
        QCOMPARE(window.prompt.messages.first().text,
                 QStringLiteral("%1 was not found.").arg(QDir::toNativeSeparators(missing)));
    QVERIFY(box.Writes().isEmpty());
    QVERIFY(busy.isEmpty());
}

void TestMaintenanceDialogs::terminalCommandRepaintsAfterDoneOnly()
{
    ControlBoxSimulator box;
    Window window(box);
    CScriptedFiles files;
    QWidget frame;
    CMaintenanceCommands commands(&frame, window.settings, window.prompt, window.factory,
                                  window.clock, files);
    QSignalSpy repaints(&commands, &CMaintenanceCommands::repaintRequested);

    WhenModal([](QWidget* dialog) {
        QTest::keyClicks(dialog->findChild<QPlainTextEdit*>(), "kept");
        Click(dialog, "&Done");
    });
    commands.OnViewSerialTerminal();
    QCOMPARE(repaints.size(), 1);

    QString shownAgain;
    WhenModal([&shownAgain](QWidget* dialog) {
        shownAgain = dialog->findChild<QPlainTextEdit*>()->toPlainText();
        Click(dialog, "&Cancel");
    });
    commands.OnViewSerialTerminal();
    QCOMPARE(shownAgain, QStringLiteral("kept"));
    QCOMPARE(repaints.size(), 1);
}

void TestMaintenanceDialogs::settingsAndForceCommands()
{
    ControlBoxSimulator box;
    Window window(box);
    CScriptedFiles files;
    CMaintenanceCommands commands(nullptr, window.settings, window.prompt, window.factory,
                                  window.clock, files);

    QString value;
    WhenModal([&value](QWidget* dialog) {
        value = dialog->findChild<QLineEdit*>()->text();
        Click(dialog, "Cancel");
    });
    commands.OnViewForceSensitivity();
    QCOMPARE(value, QStringLiteral("5431"));
    QCOMPARE(box.Writes(), (QByteArrayList{"\n", "57\n"}));

    WhenModal([](QWidget* dialog) {
        auto* port = dialog->findChildren<QComboBox*>().first();
        port->setEditText(QStringLiteral("Com2"));
        Click(dialog, "OK");
    });
    commands.OnViewSerialSettings();
    QCOMPARE(window.settings.m_strPort, QStringLiteral("Com2"));
    QVERIFY(files.asked == 0);
}

QTEST_MAIN(TestMaintenanceDialogs)
#include "tst_maintenance_dialogs.moc"
