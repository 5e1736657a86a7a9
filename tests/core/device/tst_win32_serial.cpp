// The Win32 serial line (Windows builds only, where it replaces QtSerialPort).
#include "CManualClock.h"
#include "core/device/CSerialLink.h"
#include "core/device/CWin32SerialBackend.h"

#include <QTest>

#include <map>

class TestWin32Serial : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void changesOneSettingOfTheDcb_data();
    void changesOneSettingOfTheDcb();
    void readsWaitOneSliceAndWritesKeepTheLinkTimeouts();
    void absentPortDoesNotOpen();
};

void TestWin32Serial::changesOneSettingOfTheDcb_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("field");
    QTest::newRow("baud rate") << "baud" << 115200 << true << 115200;
    QTest::newRow("no baud rate") << "baud" << 0 << false << 9600;
    QTest::newRow("five data bits") << "bytes" << 5 << true << 5;
    QTest::newRow("size is one byte") << "bytes" << 0x107 << true << 7;
    QTest::newRow("nine data bits") << "bytes" << 9 << false << 8;
    QTest::newRow("mark parity") << "parity" << int(CSerialLink::ParityCode("Mark")) << true
                                 << MARKPARITY;
    QTest::newRow("no parity code") << "parity" << 5 << false << NOPARITY;
    QTest::newRow("1.5 stop bits")
        << "stop" << int(CSerialLink::StopBitsCode("1.5")) << true << ONE5STOPBITS;
    QTest::newRow("no stop bits code") << "stop" << 3 << false << ONESTOPBIT;
}

void TestWin32Serial::changesOneSettingOfTheDcb()
{
    QFETCH(QString, setting);
    QFETCH(int, value);
    QFETCH(bool, accepted);
    QFETCH(int, field);
    DCB before = {};
    before.BaudRate = 9600;
    before.ByteSize = 8;
    const std::map<QString, CWin32SerialBackend::DcbChange> changes{
        {"baud", CWin32SerialBackend::WithBaudRate(before, value)},
        {"bytes", CWin32SerialBackend::WithByteSize(before, value)},
        {"parity", CWin32SerialBackend::WithParity(before, quint8(value))},
        {"stop", CWin32SerialBackend::WithStopBits(before, quint8(value))}};
    const CWin32SerialBackend::DcbChange change = changes.at(setting);
    QCOMPARE(change.has_value(), accepted);
    const DCB after = change.value_or(before);
    const std::map<QString, int> fields{{"baud", int(after.BaudRate)},
                                        {"bytes", after.ByteSize},
                                        {"parity", after.Parity},
                                        {"stop", after.StopBits}};
    QCOMPARE(fields.at(setting), field);
    QCOMPARE(bool(after.fParity), after.Parity != NOPARITY);
}

void TestWin32Serial::readsWaitOneSliceAndWritesKeepTheLinkTimeouts()
{
    const CTimeouts link{50, 2, 2000, 3, 500};
    const COMMTIMEOUTS slice = CWin32SerialBackend::CommTimeouts(link, 10);
    QCOMPARE(slice.ReadIntervalTimeout, MAXDWORD);
    QCOMPARE(slice.ReadTotalTimeoutMultiplier, MAXDWORD);
    QCOMPARE(slice.ReadTotalTimeoutConstant, DWORD(10));
    QCOMPARE(slice.WriteTotalTimeoutMultiplier, DWORD(3));
    QCOMPARE(slice.WriteTotalTimeoutConstant, DWORD(500));
    // No wait at all: only what has already come.
    const COMMTIMEOUTS look = CWin32SerialBackend::CommTimeouts(link, 0);
    QCOMPARE(look.ReadTotalTimeoutMultiplier, DWORD(0));
    QCOMPARE(look.ReadTotalTimeoutConstant, DWORD(0));
}

void TestWin32Serial::absentPortDoesNotOpen()
{
    CManualClock clock;
    CWin32SerialBackend port(clock);
    QVERIFY(!port.Open(QStringLiteral("COM250")));
    QVERIFY(!port.ApplyLineSettings(CLineSettings()));
    QCOMPARE(port.Write("57\n"), qint64(0));
    QVERIFY(port.Read(3).isEmpty());
    QCOMPARE(CWin32SerialBackend::DevicePath(QStringLiteral("COM12")),
             QStringLiteral("\\\\.\\COM12"));
}

QTEST_GUILESS_MAIN(TestWin32Serial)
#include "tst_win32_serial.moc"
