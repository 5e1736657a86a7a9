// How long File > Open from Run Log... takes to fill its table.
//
//   build/bench/bench_run_log_dialog LOG
//
// LOG as bench_run_log generate makes it (10000 entries of 1000 samples).
// Goal: the dialog filled under 2 s, the first time (no index kept) and
// after (the index kept from the first opening). Runs offscreen.
#include "core/protocol/COperatorPrompt.h"
#include "gui/CRunLogDialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTableView>
#include <QTemporaryDir>

#include <cstdio>

namespace {

class CPrintingPrompt : public COperatorPrompt
{
public:
    void ShowMessage(const QString& text, Icon) override
    {
        std::fprintf(stderr, "%s\n", qPrintable(text));
    }
    bool AskYesNo(const QString&) override { return false; }
    Answer AskYesNoCancel(const QString&) override { return Answer::Cancel; }
    bool AskText(const QString&, QString&) override { return false; }
};

bool TimeDialog(const char* what, const QString& log, const QString& cache)
{
    CPrintingPrompt prompt;
    QElapsedTimer timer;
    timer.start();
    CRunLogDialog dialog(log, prompt, nullptr, cache);
    dialog.show();
    if (!dialog.IndexLog())
        return false;
    QApplication::processEvents();
    dialog.Table()->viewport()->repaint();
    std::printf("%-32s %8.1f ms  %d rows\n", what, double(timer.nsecsElapsed()) / 1e6,
                dialog.Table()->model()->rowCount());
    return true;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_run_log_dialog LOG\n");
        return 2;
    }
    const QString log = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir cache;
    return TimeDialog("dialog filled, no index kept", log, cache.path()) &&
                   TimeDialog("dialog filled, index kept", log, cache.path())
               ? 0
               : 1;
}
