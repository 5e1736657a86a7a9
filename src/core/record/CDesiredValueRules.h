#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// The control panel's rules for the desired values: an integer field holds a
// signed decimal number with blanks or tabs around it and nothing else (only
// its first 31 characters are read), and three of the values have ranges.
class CDesiredValueRules
{
public:
    struct Range {
        int min;
        int max;
    };

    static constexpr Range kForceRange{1, 1000};
    static constexpr Range kVelocityRange{0, 100};
    static constexpr Range kDwellRange{0, 60};

    static std::optional<int> ParseInteger(QStringView field);

    // The panel's message for a field that fails, or empty when it passes;
    // value receives the number when it is one.
    static QString Check(QStringView field, std::optional<Range> range, int& value);

    static QString NotAnIntegerMessage();
    static QString OutOfRangeMessage(Range range);
};
