#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class CClock;
class COperatorPrompt;
class CPortFactory;
class CSerialLink;
class CSerialSettings;

// Sends a firmware image to the control box, line by line, over a link made
// for this one transfer. The box is either at its main prompt (it is switched
// into its reprogram state first) or already waiting for data after a failed
// upgrade (the data goes at once). Only the box's answer to the closing "24"
// decides success: the box checks the image, the program only carries it.
class CFirmwareTransfer
{
public:
    static constexpr int kResultSuccess = 5;
    static constexpr int kResultFailure = 0;
    // Fixed pauses the box's loader needs: after entering the reprogram
    // state, after its "R", and between the last line and the closing "24".
    static constexpr qint64 kReprogramStateWaitMs = 2000;
    static constexpr qint64 kLoaderWaitMs = 3000;
    static constexpr qint64 kBeforeEndWaitMs = 2000;
    // The box's line buffer: a longer line is broken here.
    static constexpr qsizetype kLineBreakPosition = 1000;

    enum class Route { None, MainPrompt, Loader };
    using ProgressCallback = std::function<void(int percent)>;

    static inline const QString kQuestion = QStringLiteral("Reprogram Firmware Now?");
    static inline const QString kSucceeded = QStringLiteral("Firmware Upgrade Successful!");
    static inline const QString kFailed = QStringLiteral("Firmware Upgrade Failed!");

    CFirmwareTransfer(CPortFactory& ports, CClock& clock, COperatorPrompt& prompt);

    // Called with 0 at the start and after every line sent.
    void SetProgressCallback(ProgressCallback callback) { m_progress = std::move(callback); }

    // kResultSuccess or kResultFailure; a failure has told the operator the
    // box is not responding.
    int Run(const CSerialSettings& settings, const QStringList& lines);

    Route TakenRoute() const { return m_route; }
    int UnansweredLines() const { return m_nUnansweredLines; }

    // The line with "\n" inserted at kLineBreakPosition, or at its end.
    static QString LineToSend(const QString& line);
    // Lines sent before line index out of count, in whole percent.
    static int Percent(qsizetype index, qsizetype count);
    // The operator's outcome message, with the lines the box left unanswered.
    static QString OutcomeMessage(int result, int unansweredLines, qsizetype lineCount);

private:
    bool Probe(CSerialLink& link);
    Route ChooseRoute() const;
    bool EnterReprogramState(CSerialLink& link);
    bool SendImageAndEnd(CSerialLink& link, const QStringList& lines);
    void SendLines(CSerialLink& link, const QStringList& lines);
    void ReportPercent(int percent);

    // The box's last answer, trimmed, as the route and the steps judge it.
    QString m_strReply;
    CPortFactory& m_rPorts;
    CClock& m_rClock;
    COperatorPrompt& m_rPrompt;
    ProgressCallback m_progress;
    bool m_bReady = false;
    Route m_route = Route::None;
    int m_nUnansweredLines = 0;
};
