#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

class CCliVerb;

// A command's arguments read by its verb's table: each option under its
// canonical name whichever spelling was given, the operands in order.
class CCliArguments
{
public:
    struct Result {
        bool ok = false;
        QString message;  // what is wrong with the arguments
    };

    // A verb of actions takes its action's name first.
    Result Parse(const CCliVerb& verb, const QStringList& arguments);

    bool IsSet(const QString& name) const { return m_values.contains(name); }
    // The value given last; empty when not given.
    QString Value(const QString& name) const;
    QStringList Values(const QString& name) const { return m_values.value(name); }
    const QStringList& Operands() const { return m_operands; }
    // The action's name for a verb of actions.
    QString ActionName() const;

    // "zentak-cli VERB: problem" and the verb's usage on stderr; exit code 2.
    int BadArguments(const QString& problem) const;

private:
    Result ParseOptions(const CCliVerb& table, const QStringList& arguments);
    // One option and its value; empty, or what is wrong.
    QString TakeOption(const CCliVerb& table, const QStringList& arguments, qsizetype& i);

    const CCliVerb* m_pVerb = nullptr;
    const CCliVerb* m_pAction = nullptr;
    QHash<QString, QStringList> m_values;
    QStringList m_operands;
};
