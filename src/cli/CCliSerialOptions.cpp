#include "cli/CCliSerialOptions.h"

#include "cli/CCliArguments.h"
#include "core/record/CDesiredValueRules.h"

#include <optional>

namespace {

bool ReadSetting(const CCliArguments& arguments, const QString& name, int min, int max, int& value,
                 QString& error)
{
    if (!arguments.IsSet(name))
        return true;
    const std::optional<int> parsed = CDesiredValueRules::ParseInteger(arguments.Value(name));
    if (!parsed || *parsed < min || *parsed > max) {
        error = QStringLiteral("--%1: a whole number from %2 to %3").arg(name).arg(min).arg(max);
        return false;
    }
    value = *parsed;
    return true;
}

QString Choices(const QStringList& names)
{
    return names.mid(0, names.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" or ") +
           names.constLast();
}

}  // namespace

QList<CCliVerb::Option> CCliSerialOptions::Options()
{
    return {
        {{QStringLiteral("port")},
         QStringLiteral("NAME"),
         QStringLiteral("Serial port the control box is on: Com1 to Com9 (on Linux /dev/ttyS0 to "
                        "/dev/ttyS8), a device path such as /dev/ttyUSB0, or Simulator, the "
                        "control box simulated inside Zentak (default %1).")
             .arg(CSerialSettings::kDefaultPort)},
        {{QStringLiteral("baud")},
         QStringLiteral("N"),
         QStringLiteral("Baud rate in bits per second, %1 to %2 (default %3).")
             .arg(kMinBaudRate)
             .arg(kMaxBaudRate)
             .arg(CSerialSettings::kDefaultBaudRate)},
        {{QStringLiteral("parity")},
         QStringLiteral("P"),
         QStringLiteral("Parity: %1, spelt exactly so (default %2).")
             .arg(Choices(kParityNames), CSerialSettings::kDefaultParity)},
        {{QStringLiteral("stop-bits")},
         QStringLiteral("S"),
         QStringLiteral("Stop bits: %1 (default %2).")
             .arg(Choices(kStopBitsTexts), CSerialSettings::kDefaultStopBits)},
        {{QStringLiteral("byte-size")},
         QStringLiteral("N"),
         QStringLiteral("Data bits per character, %1 to %2 (default %3).")
             .arg(kMinByteSize)
             .arg(kMaxByteSize)
             .arg(CSerialSettings::kDefaultByteSize)},
    };
}

bool CCliSerialOptions::Read(const CCliArguments& arguments, CSerialSettings& settings,
                             QString& error)
{
    settings = CSerialSettings();
    if (arguments.IsSet(QStringLiteral("port")))
        settings.m_strPort = arguments.Value(QStringLiteral("port"));
    return ReadSetting(arguments, "baud", kMinBaudRate, kMaxBaudRate, settings.m_nBaudRate,
                       error) &&
           ReadSetting(arguments, "byte-size", kMinByteSize, kMaxByteSize, settings.m_nByteSize,
                       error) &&
           ReadChoice(arguments, "parity", kParityNames, settings.m_strParity, error) &&
           ReadChoice(arguments, "stop-bits", kStopBitsTexts, settings.m_strStopBits, error);
}

bool CCliSerialOptions::ReadChoice(const CCliArguments& arguments, const QString& name,
                                   const QStringList& choices, QString& value, QString& error)
{
    if (!arguments.IsSet(name))
        return true;
    value = arguments.Value(name);
    if (choices.contains(value))
        return true;
    error = QStringLiteral("--%1: one of %2").arg(name, choices.join(QStringLiteral(", ")));
    return false;
}
