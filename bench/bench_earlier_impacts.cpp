// How long the Earlier Impacts list takes to fill with 200 impacts of one
// day (1000 samples a stroke), the first time (the log indexed) and after
// (the index kept). Goal: under 100 ms with the index kept. Runs offscreen;
// the log and the index live in a temporary folder.
#include "core/CZentakDoc.h"
#include "core/files/CExperimentFileWriter.h"
#include "core/record/CImpactRecord.h"
#include "gui/CEarlierImpactsDock.h"
#include "gui/CEarlierImpactsModel.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QTableView>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int kEntries = 200;
constexpr int kSamplesPerStroke = 1000;

QByteArray MadeEntry(const QDateTime& stamp, int i)
{
    CImpactRecord record;
    record.m_nFirmwareRelease = 5;
    for (int k = 0; k < kSamplesPerStroke; ++k) {
        const double phase = double(k) / kSamplesPerStroke;
        record.m_arrDispDown.append(1000 + quint32(150 * phase));
        record.m_arrForceDown.append(quint32((900 + i) * phase));
        record.m_arrDispUp.append(1150 - quint32(150 * phase));
        record.m_arrForceUp.append(quint32((900 + i) * (1 - phase)));
        record.m_arrStepTimeDown.append(6000);
        record.m_arrStepTimeUp.append(6000);
    }
    record.m_bDataPresent = true;
    record.DeriveActualValues();
    record.StampRun(stamp, QStringLiteral("rat %1").arg(i + 1));
    return CExperimentFileWriter::Text(record);
}

void TimeFill(const char* what, CEarlierImpactsDock& dock)
{
    QElapsedTimer timer;
    timer.start();
    dock.Refresh();
    QApplication::processEvents();
    dock.Table().viewport()->repaint();
    std::printf("%-36s %8.1f ms  %d rows\n", what, double(timer.nsecsElapsed()) / 1e6,
                dock.Model().rowCount());
}

}  // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(dir.filePath(QStringLiteral("cache"))));
    QApplication app(argc, argv);
    const QString log = dir.filePath(QStringLiteral("run.log"));
    QFile file(log);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    const QDateTime morning(QDate::currentDate(), QTime(8, 0));
    for (int i = 0; i < kEntries; ++i)
        file.write(MadeEntry(morning.addSecs(60 * i), i));
    file.close();

    CZentakDoc doc;
    doc.SetRunLogPath(log);
    CEarlierImpactsDock dock(doc);
    dock.resize(900, 400);
    dock.show();
    TimeFill("list filled, log indexed", dock);
    TimeFill("list filled, index kept", dock);
    return 0;
}
