// zentak-cli sensitivity: read the force sensitivity stored in the control
// box, or set a new one after confirmation, as the Force Settings dialog does.

#include "cli/CCliPrompt.h"
#include "cli/CCliSerialOptions.h"
#include "cli/CliCommands.h"
#include "core/device/CPortFactory.h"
#include "core/device/CSystemClock.h"
#include "core/protocol/CForceSensitivity.h"
#include "core/record/CFieldRules.h"

#include <QCommandLineParser>
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
};

// The dialog's field rules for the value to set.
bool ReadNewValue(const QCommandLineParser& parser, Request& request, QString& error)
{
    if (!parser.isSet("set"))
        return true;
    const std::optional<int> value = CFieldRules::ParseInteger(parser.value("set"));
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

std::optional<Request> Parse(const QStringList& arguments, QString& error)
{
    QCommandLineParser parser;
    parser.addOptions({QCommandLineOption("set", QString(), "N"), QCommandLineOption("yes")});
    parser.addOptions(CCliSerialOptions::Options());
    if (!CCliSerialOptions::ParseOptionsOnly(parser, QStringLiteral("sensitivity"), arguments,
                                             error))
        return std::nullopt;
    Request request;
    request.answerYes = parser.isSet("yes");
    if (!CCliSerialOptions::Read(parser, request.serial, error) ||
        !ReadNewValue(parser, request, error))
        return std::nullopt;
    return request;
}

int Execute(const Request& request)
{
    CCliPrompt prompt(request.answerYes);
    CSystemClock clock;
    CPortFactory ports;
    CForceSensitivity sensitivity(ports, clock, prompt);
    QTextStream out(stdout);

    const CForceSensitivity::Reading reading = sensitivity.Read(request.serial);
    if (reading.outcome == ReadOutcome::LeftAlone)
        prompt.ShowMessage(kNotAtMainPrompt);
    if (reading.outcome != ReadOutcome::Reported)
        return CliCommands::kExitFailure;
    const bool inRange = reading.sensitivity == reading.reported;
    if (!request.newValue) {
        out << "Force Sensitivity: " << reading.reported << '\n';
        return inRange ? CliCommands::kExitSuccess : CliCommands::kExitFailure;
    }

    prompt.Err() << "The control box holds " << reading.reported << ".\n";
    switch (sensitivity.Write(request.serial, *request.newValue)) {
    case WriteOutcome::Stored:
        out << "Force Sensitivity: " << *request.newValue << '\n';
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

int CliCommands::RunSensitivity(const QStringList& arguments)
{
    QString error;
    const std::optional<Request> request = Parse(arguments, error);
    if (!request) {
        QTextStream(stderr) << "zentak-cli sensitivity: " << error << "\nusage: zentak-cli "
                            << kSensitivitySynopsis << '\n';
        return kExitBadArguments;
    }
    return Execute(*request);
}
