// zentak-cli sensitivity: read the force sensitivity stored in the control
// box, or set a new one after confirmation, as the Force Settings dialog does.

#include "cli/CCliArguments.h"
#include "cli/CCliPrompt.h"
#include "cli/CCliSerialOptions.h"
#include "cli/CliCommands.h"
#include "cli/CliQuality.h"
#include "core/device/CPortFactory.h"
#include "core/device/CSystemClock.h"
#include "core/protocol/CForceSensitivity.h"
#include "core/record/CFieldRules.h"

#include <QJsonObject>
#include <QTextStream>

#include <optional>

namespace {

using ReadOutcome = CForceSensitivity::ReadOutcome;
using WriteOutcome = CForceSensitivity::WriteOutcome;

const QString kNotAtMainPrompt =
    QStringLiteral("The control box is not at its main prompt; nothing more was sent.");

struct Request {
    CSerialSettings serial;
    std::optional<int> newValue;
    bool answerYes = false;
    bool bJson = false;
};

void PrintValue(int value, bool json)
{
    if (json)
        CliQuality::PrintJson({{QStringLiteral("forceSensitivity"), value}});
    else
        QTextStream(stdout) << "Force Sensitivity: " << value << '\n';
}

// The dialog's field rules for the value to set.
bool ReadNewValue(const CCliArguments& arguments, Request& request, QString& error)
{
    if (!arguments.IsSet("set"))
        return true;
    const std::optional<int> value = CFieldRules::ParseInteger(arguments.Value("set"));
    if (!value) {
        error = QStringLiteral("--set: ") + CFieldRules::kIntegerMessage;
        return false;
    }
    if (*value < CForceSensitivity::kMinValue || *value > CForceSensitivity::kMaxValue) {
        error = QStringLiteral("--set: ") + CFieldRules::RangeMessage(CForceSensitivity::kMinValue,
                                                                      CForceSensitivity::kMaxValue);
        return false;
    }
    request.newValue = value;
    return true;
}

std::optional<Request> Parse(const CCliArguments& arguments, QString& error)
{
    Request request;
    request.answerYes = arguments.IsSet("yes");
    request.bJson = arguments.IsSet("json");
    if (!CCliSerialOptions::Read(arguments, request.serial, error) ||
        !ReadNewValue(arguments, request, error))
        return std::nullopt;
    return request;
}

int Execute(const Request& request)
{
    CCliPrompt prompt(request.answerYes);
    CSystemClock clock;
    CPortFactory ports;
    CForceSensitivity sensitivity(ports, clock, prompt);

    const CForceSensitivity::Reading reading = sensitivity.Read(request.serial);
    if (reading.outcome == ReadOutcome::LeftAlone)
        prompt.ShowMessage(kNotAtMainPrompt);
    if (reading.outcome != ReadOutcome::Reported)
        return CliCommands::kExitFailure;
    const bool inRange = reading.sensitivity == reading.reported;
    if (!request.newValue) {
        PrintValue(reading.reported, request.bJson);
        return inRange ? CliCommands::kExitSuccess : CliCommands::kExitFailure;
    }

    prompt.Err() << "The control box holds " << reading.reported << ".\n";
    switch (sensitivity.Write(request.serial, *request.newValue)) {
    case WriteOutcome::Stored:
        PrintValue(*request.newValue, request.bJson);
        return CliCommands::kExitSuccess;
    case WriteOutcome::Declined:
        prompt.ShowMessage(QStringLiteral("The sensitivity was not changed."));
        break;
    case WriteOutcome::LeftAlone:
        prompt.ShowMessage(kNotAtMainPrompt);
        break;
    case WriteOutcome::NotResponding:
        break;
    }
    return CliCommands::kExitFailure;
}

}  // namespace

int CliCommands::RunSensitivity(const CCliArguments& arguments)
{
    QString error;
    const std::optional<Request> request = Parse(arguments, error);
    return request ? Execute(*request) : arguments.BadArguments(error);
}
