#pragma once

#include "cli/CCliVerb.h"
#include "core/record/CSerialSettings.h"

#include <QList>
#include <QString>
#include <QStringList>

class CCliArguments;

// The serial options of every command that talks to the control box, read
// over the settings every start of the window begins with.
class CCliSerialOptions
{
public:
    static constexpr int kMinBaudRate = 1;
    static constexpr int kMaxBaudRate = 4000000;
    static constexpr int kMinByteSize = 5;
    static constexpr int kMaxByteSize = 8;
    static inline const QStringList kParityNames{"None", "Odd", "Even", "Mark", "Space"};
    static inline const QStringList kStopBitsTexts{"1", "1.5", "2"};

    // The options with their help, for a command's table entry.
    static QList<CCliVerb::Option> Options();

    // The settings given, the defaults for the rest; false with error set.
    static bool Read(const CCliArguments& arguments, CSerialSettings& settings, QString& error);

    // An option that must name one of choices exactly, when it is given.
    static bool ReadChoice(const CCliArguments& arguments, const QString& name,
                           const QStringList& choices, QString& value, QString& error);
};
