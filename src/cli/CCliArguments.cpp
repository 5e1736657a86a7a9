#include "cli/CCliArguments.h"

#include "cli/CCliVerb.h"
#include "cli/CliCommands.h"

CCliArguments::Result CCliArguments::Parse(const CCliVerb& verb, const QStringList& arguments)
{
    m_pVerb = &verb;
    if (verb.actions.isEmpty())
        return ParseOptions(verb, arguments);
    const QString action = arguments.value(0);
    if (const CCliVerb* table = verb.Action(action))
        return ParseOptions(*table, arguments.mid(1));
    if (!action.isEmpty())
        return {false, QStringLiteral("unknown action: %1").arg(action)};
    QStringList names;
    for (const CCliVerb& known : verb.actions)
        names.append(known.name);
    return {false, QStringLiteral("give an action: ") + names.join(QStringLiteral(", "))};
}

CCliArguments::Result CCliArguments::ParseOptions(const CCliVerb& table,
                                                  const QStringList& arguments)
{
    m_pTable = &table;
    for (const CCliVerb::OptionGroup& group : table.options) {
        for (const CCliVerb::Option& option : group.options)
            m_parser.addOption(QCommandLineOption(option.names, option.help, option.value));
    }
    if (!m_parser.parse(QStringList{m_pVerb->name} + arguments))
        return {false, ParseError()};
    const QString problem = OperandsProblem(table);
    return {problem.isEmpty(), problem};
}

// An unknown option is named as it was spelt, whichever command it was given to.
QString CCliArguments::ParseError() const
{
    const QStringList unknown = m_parser.unknownOptionNames();
    if (unknown.isEmpty())
        return m_parser.errorText();
    const QString& name = unknown.constFirst();
    return QStringLiteral("unknown option '%1%2'")
        .arg(name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), name);
}

QString CCliArguments::OperandsProblem(const CCliVerb& table) const
{
    const QStringList operands = Operands();
    if (table.maxOperands >= 0 && operands.size() > table.maxOperands)
        return QStringLiteral("unexpected argument '%1'").arg(operands.at(table.maxOperands));
    if (operands.size() < table.minOperands)
        return table.missingOperands;
    for (const CCliVerb::OptionGroup& group : table.options) {
        for (const CCliVerb::Option& option : group.options) {
            const bool others = m_parser.optionNames().size() > 1 || !operands.isEmpty();
            if (option.use == CCliVerb::Use::Alone && IsSet(option.names.first()) && others)
                return QStringLiteral("--%1 takes nothing else").arg(option.names.first());
        }
    }
    return QString();
}

bool CCliArguments::IsSet(const QString& name) const
{
    return m_pTable && m_pTable->Find(name) && m_parser.isSet(name);
}

QString CCliArguments::Value(const QString& name) const
{
    return IsSet(name) ? m_parser.value(name) : QString();
}

QStringList CCliArguments::Values(const QString& name) const
{
    return IsSet(name) ? m_parser.values(name) : QStringList();
}

QString CCliArguments::ActionName() const
{
    return m_pTable && m_pTable != m_pVerb ? m_pTable->name : QString();
}

int CCliArguments::BadArguments(const QString& problem) const
{
    return CliCommands::BadArguments(m_pVerb->name, problem, m_pVerb->UsageLines());
}
