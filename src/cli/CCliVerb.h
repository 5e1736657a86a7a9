#pragma once

#include "core/program/CHelpText.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class CCliArguments;

// One command of zentak-cli with its operands and options: its parsing, its
// usage lines, its --help and so the manual page all come from this entry.
class CCliVerb
{
public:
    enum class Use {
        Optional,   // "[--name VALUE]" in the usage
        Required,   // "--name VALUE"; the command says what is missing
        Alone,      // a usage line of its own that takes nothing else
        InOperands  // spelt in the operands' text of the usage
    };
    struct Option {
        QStringList names{};  // canonical long name first, then the aliases
        QString value{};      // empty for a switch
        QString help{};
        Use use = Use::Optional;

        QString ShortName() const;
        // "-o, --output, --out FILE": every spelling, as the help lists it.
        QString Term() const;
        // "-o FILE" or "--name": how the usage spells it.
        QString Spelling() const;
    };
    struct OptionGroup {
        QString title{};
        QList<Option> options{};
    };

    QString name{};
    QString summary{};  // one line, for the program's list of commands
    QString operands{};
    int minOperands = 0;
    int maxOperands = 0;  // -1: any number
    QString missingOperands{};
    QStringList description{};
    CHelpText::Section operandHelp{};
    QList<OptionGroup> options{};
    QList<CCliVerb> actions{};  // a verb of actions reads the action first
    std::function<int(const CCliArguments&)> run{};
    bool bDraws = false;  // draws pictures: needs fonts, never a display

    // The option one of its names (without dashes) names; null for none.
    const Option* Find(const QString& optionName) const;
    const CCliVerb* Action(const QString& actionName) const;
    // "zentak-cli VERB ..." lines, those wrapped indented under the first.
    QStringList UsageLines() const;
    QString Help() const;

private:
    QStringList Forms(const QString& prefix) const;
    QList<OptionGroup> HelpGroups() const;
};
