#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

class CCliVerb;

// A command's arguments read by its verb's table: an option by its canonical
// name whichever spelling was given, the operands in order.
class CCliArguments
{
public:
    struct Result {
        bool ok = false;
        QString message;  // what is wrong with the arguments
    };

    // A verb of actions takes its action's name first.
    Result Parse(const CCliVerb& verb, const QStringList& arguments);

    // False for an option the command does not take.
    bool IsSet(const QString& name) const;
    // The value given last; empty when not given.
    QString Value(const QString& name) const;
    QStringList Values(const QString& name) const;
    QStringList Operands() const { return m_parser.positionalArguments(); }
    // The action's name for a verb of actions.
    QString ActionName() const;

    // "zentak-cli VERB: problem" and the verb's usage on stderr; exit code 2.
    int BadArguments(const QString& problem) const;

private:
    Result ParseOptions(const CCliVerb& table, const QStringList& arguments);
    QString ParseError() const;
    QString OperandsProblem(const CCliVerb& table) const;

    const CCliVerb* m_pVerb = nullptr;
    const CCliVerb* m_pTable = nullptr;  // the verb's, or its action's
    QCommandLineParser m_parser;
};
