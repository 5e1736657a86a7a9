// zentak-cli firmware of an Intel hex file against zentak-boxsim on a
// pseudo-terminal, the box pacing its bytes at the line's speed. Prints the
// wall time of the whole command next to two floors:
//   lines floor     per line, its bytes and the box's "OK\r\n" at the baud
//                   rate plus the 50 ms read interval that ends the reply;
//   protocol floor  the lines floor plus the fixed pauses the box's loader
//                   needs (2 s + 3 s + 2 s by the main prompt, 2 s straight
//                   into a waiting loader) and the read intervals of the
//                   hand-shake exchanges.
//
//   bench_firmware [lines] [baud]

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

constexpr int kBitsPerCharacter = 10;  // start, 8 data, stop
constexpr qsizetype kReplyBytes = 4;   // "OK\r\n"
constexpr double kReadIntervalMs = 50;
constexpr double kSlowReadIntervalMs = 500;

// A data record of 16 bytes with its checksum, as a compiler writes it.
QByteArray HexRecord(int index)
{
    const int address = (index * 16) & 0xffff;
    QByteArray data;
    for (int i = 0; i < 16; ++i)
        data.append(char((index * 7 + i * 13) & 0xff));
    int sum = 16 + (address >> 8) + (address & 0xff);
    for (char byte : data)
        sum += quint8(byte);
    const QByteArray head = QByteArray::number(address, 16).rightJustified(4, '0');
    return (":10" + head + "00" + data.toHex() +
            QByteArray::number((0x100 - (sum & 0xff)) & 0xff, 16).rightJustified(2, '0'))
        .toUpper();
}

struct Route {
    const char* name;
    QStringList boxArguments;
    double fixedWaitsMs;
    double handshakeMs;  // read intervals of the exchanges around the lines
};

struct Result {
    bool ok = false;
    qint64 wallMs = 0;
};

Result RunOnce(const Route& route, const QString& hexPath, int baudRate, QTextStream& out)
{
    QProcess box;
    box.start(QStringLiteral(ZENTAK_BOXSIM),
              QStringList{"--until-stdin-closes"} + route.boxArguments);
    Result result;
    if (!box.waitForStarted(5000) || !box.waitForReadyRead(5000)) {
        out << "cannot start " << ZENTAK_BOXSIM << '\n';
        return result;
    }
    const QString device = QString::fromLocal8Bit(box.readLine()).trimmed();

    QProcess cli;
    cli.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    QElapsedTimer timer;
    timer.start();
    cli.start(QStringLiteral(ZENTAK_CLI), {"firmware", hexPath, "--port", device, "--baud",
                                           QString::number(baudRate), "--yes"});
    cli.waitForFinished(-1);
    result.wallMs = timer.elapsed();
    const QByteArray err = cli.readAllStandardError();
    result.ok = cli.exitCode() == 0 && err.contains("Firmware Upgrade Successful!");
    if (!result.ok)
        out << err << '\n';
    box.closeWriteChannel();
    box.waitForFinished(3000);
    return result;
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int lineCount = args.size() > 1 ? qMax(1, args[1].toInt()) : 500;
    const int baudRate = args.size() > 2 ? args[2].toInt() : 115200;
    QTextStream out(stdout);

    QTemporaryDir dir;
    const QString hexPath = dir.filePath(QStringLiteral("image.hex"));
    QFile hex(hexPath);
    if (!hex.open(QIODevice::WriteOnly))
        return 1;
    double linesFloorMs = 0;
    for (int i = 0; i < lineCount; ++i) {
        const QByteArray record = HexRecord(i);
        hex.write(record + "\r\n");
        const qsizetype wireBytes = record.size() + 1 + kReplyBytes;
        linesFloorMs += 1000.0 * double(wireBytes * kBitsPerCharacter) / baudRate + kReadIntervalMs;
    }
    hex.close();

    const QList<Route> routes{
        {"main prompt", {}, 7000, kSlowReadIntervalMs + 5 * kReadIntervalMs},
        {"waiting loader", {"--fault", "returning"}, 2000, kSlowReadIntervalMs + kReadIntervalMs},
    };
    out << "zentak-cli firmware, " << lineCount << " lines of " << HexRecord(0).size()
        << " characters, zentak-boxsim at " << baudRate << " baud\n";
    out << QString::asprintf("%-15s %9s %12s %7s %15s %7s\n", "box", "wall ms", "lines floor",
                             "ratio", "protocol floor", "ratio");
    for (const Route& route : routes) {
        const Result result = RunOnce(route, hexPath, baudRate, out);
        if (!result.ok) {
            out << route.name << ": the upgrade failed\n";
            return 1;
        }
        const double protocolFloorMs = linesFloorMs + route.fixedWaitsMs + route.handshakeMs;
        out << QString::asprintf("%-15s %9lld %12.0f %7.3f %15.0f %7.3f\n", route.name,
                                 static_cast<long long>(result.wallMs), linesFloorMs,
                                 double(result.wallMs) / linesFloorMs, protocolFloorMs,
                                 double(result.wallMs) / protocolFloorMs);
        out.flush();
    }
    return 0;
}
