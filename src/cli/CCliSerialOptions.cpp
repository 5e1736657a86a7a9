#include "cli/CCliSerialOptions.h"

#include "core/record/CDesiredValueRules.h"

#include <QCommandLineParser>
#include <QStringList>

#include <optional>

namespace {

bool ReadSetting(const QCommandLineParser& parser, const QString& name, int min, int max,
                 int& value, QString& error)
{
    if (!parser.isSet(name))
        return true;
    const std::optional<int> parsed = CDesiredValueRules::ParseInteger(parser.value(name));
    if (!parsed || *parsed < min || *parsed > max) {
        error = QStringLiteral("--%1: a whole number from %2 to %3").arg(name).arg(min).arg(max);
        return false;
    }
    value = *parsed;
    return true;
}

}  // namespace

QList<QCommandLineOption> CCliSerialOptions::Options()
{
    const auto valued = [](const char* name, const char* valueName) {
        return QCommandLineOption(QString::fromLatin1(name), QString(),
                                  QString::fromLatin1(valueName));
    };
    return {valued("port", "NAME"), valued("baud", "N"), valued("parity", "P"),
            valued("stop-bits", "S"), valued("byte-size", "N")};
}

bool CCliSerialOptions::Read(const QCommandLineParser& parser, CSerialSettings& settings,
                             QString& error)
{
    settings = CSerialSettings();
    if (parser.isSet("port"))
        settings.m_strPort = parser.value("port");
    return ReadSetting(parser, "baud", kMinBaudRate, kMaxBaudRate, settings.m_nBaudRate, error) &&
           ReadSetting(parser, "byte-size", kMinByteSize, kMaxByteSize, settings.m_nByteSize,
                       error) &&
           ReadChoice(parser, "parity", kParityNames, settings.m_strParity, error) &&
           ReadChoice(parser, "stop-bits", kStopBitsTexts, settings.m_strStopBits, error);
}

bool CCliSerialOptions::ParseOptionsOnly(QCommandLineParser& parser, const QString& command,
                                         const QStringList& arguments, QString& error)
{
    if (!parser.parse(QStringList{command} + arguments)) {
        error = parser.errorText();
        return false;
    }
    if (!parser.positionalArguments().isEmpty()) {
        error =
            QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first());
        return false;
    }
    return true;
}

bool CCliSerialOptions::ReadChoice(const QCommandLineParser& parser, const QString& name,
                                   const QStringList& choices, QString& value, QString& error)
{
    if (!parser.isSet(name))
        return true;
    value = parser.value(name);
    if (choices.contains(value))
        return true;
    error = QStringLiteral("--%1: one of %2").arg(name, choices.join(QStringLiteral(", ")));
    return false;
}
