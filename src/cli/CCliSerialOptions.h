#pragma once

#include "core/record/CSerialSettings.h"

#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <QStringList>

class QCommandLineParser;

// The serial options of every command that talks to the control box, read
// over the settings every start of the window begins with.
class CCliSerialOptions
{
public:
    static constexpr const char* kSynopsis =
        "[--port NAME] [--baud N] [--parity P] [--stop-bits S] [--byte-size N]";
    static constexpr int kMinBaudRate = 1;
    static constexpr int kMaxBaudRate = 4000000;
    static constexpr int kMinByteSize = 5;
    static constexpr int kMaxByteSize = 8;
    static inline const QStringList kParityNames{"None", "Odd", "Even", "Mark", "Space"};
    static inline const QStringList kStopBitsTexts{"1", "1.5", "2"};

    static QList<QCommandLineOption> Options();

    // Parses the arguments of a command that takes options only; false with
    // error set on an unknown option or any other argument.
    static bool ParseOptionsOnly(QCommandLineParser& parser, const QString& command,
                                 const QStringList& arguments, QString& error);

    // The settings given, the defaults for the rest; false with error set.
    static bool Read(const QCommandLineParser& parser, CSerialSettings& settings, QString& error);

    // An option that must name one of choices exactly, when it is given.
    static bool ReadChoice(const QCommandLineParser& parser, const QString& name,
                           const QStringList& choices, QString& value, QString& error);
};
