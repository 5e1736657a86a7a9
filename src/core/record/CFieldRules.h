#pragma once

#include <QString>

#include <optional>

// The rules by which dialog fields are read and checked, with the messages
// the operator knows from every form of the program.
class CFieldRules
{
public:
    static inline const QString kIntegerMessage = QStringLiteral("Please enter an integer.");

    // A signed decimal number with blanks or tabs around it and nothing
    // else, read from the first 31 characters of the field; empty fails.
    static std::optional<int> ParseInteger(const QString& fieldText);

    // "Please enter an integer between 1 and 1000."
    static QString RangeMessage(int minimum, int maximum);

    // "Please enter no more than 128 characters."
    static QString LengthMessage(int maximumCharacters);

    // A number typed into a settings box: leading blanks, an optional minus
    // and digits to the end; any other text gives 0.
    static int ItemInteger(const QString& fieldText);
};
