// zentak-cli firmware: reprogram the control box from a firmware file, as
// File > Reprogram Firmware does, with the progress on one terminal line.

#include "cli/CCliArguments.h"
#include "cli/CCliPrompt.h"
#include "cli/CCliSerialOptions.h"
#include "cli/CliCommands.h"
#include "core/device/CPortFactory.h"
#include "core/device/CSystemClock.h"
#include "core/files/CFirmwareFile.h"
#include "core/protocol/CFirmwareTransfer.h"

#include <QTextStream>

#include <optional>

namespace {

// The terminal operator, with the transfer's progress on one line that a
// message ends first.
class CFirmwarePrompt : public CCliPrompt
{
public:
    using CCliPrompt::CCliPrompt;

    void ShowMessage(const QString& text, Icon icon = Icon::Exclamation) override
    {
        EndProgress();
        CCliPrompt::ShowMessage(text, icon);
    }

    void ShowPercent(int percent)
    {
        if (percent == m_nShownPercent)
            return;
        m_nShownPercent = percent;
        Err() << "\rWriting Firmware... " << percent << '%';
        Err().flush();
    }

    void EndProgress()
    {
        if (m_nShownPercent >= 0)
            Err() << '\n';
        m_nShownPercent = -1;
    }

private:
    int m_nShownPercent = -1;
};

struct Request {
    CSerialSettings serial;
    QString path;
    bool answerYes = false;
};

std::optional<Request> Parse(const CCliArguments& arguments, QString& error)
{
    Request request;
    request.path = arguments.Operands().constFirst();
    request.answerYes = arguments.IsSet("yes");
    if (!CCliSerialOptions::Read(arguments, request.serial, error))
        return std::nullopt;
    return request;
}

int Execute(const Request& request)
{
    CFirmwarePrompt prompt(request.answerYes);
    QStringList lines;
    QString error;
    if (!CFirmwareFile::ReadLines(request.path, lines, error)) {
        prompt.ShowMessage(error);
        return CliCommands::kExitFailure;
    }
    if (!prompt.AskYesNo(CFirmwareTransfer::kQuestion))
        return CliCommands::kExitFailure;

    CSystemClock clock;
    CPortFactory ports;
    CFirmwareTransfer transfer(ports, clock, prompt);
    transfer.SetProgressCallback([&prompt](int percent) { prompt.ShowPercent(percent); });
    prompt.Err() << lines.size() << " lines to " << request.serial.m_strPort << '\n';
    const int result = transfer.Run(request.serial, lines);
    prompt.ShowMessage(
        CFirmwareTransfer::OutcomeMessage(result, transfer.UnansweredLines(), lines.size()));
    return result == CFirmwareTransfer::kResultSuccess ? CliCommands::kExitSuccess
                                                       : CliCommands::kExitFailure;
}

}  // namespace

int CliCommands::RunFirmware(const CCliArguments& arguments)
{
    QString error;
    const std::optional<Request> request = Parse(arguments, error);
    return request ? Execute(*request) : arguments.BadArguments(error);
}
