#include "cli/CCliArguments.h"

#include "cli/CCliVerb.h"
#include "cli/CliCommands.h"

namespace {

CCliArguments::Result Fail(const QString& message)
{
    return {false, message};
}

}  // namespace

CCliArguments::Result CCliArguments::Parse(const CCliVerb& verb, const QStringList& arguments)
{
    m_pVerb = &verb;
    if (verb.actions.isEmpty())
        return ParseOptions(verb, arguments);
    const QString action = arguments.value(0);
    m_pAction = verb.Action(action);
    if (m_pAction)
        return ParseOptions(*m_pAction, arguments.mid(1));
    if (!action.isEmpty())
        return Fail(QStringLiteral("unknown action: %1").arg(action));
    QStringList names;
    for (const CCliVerb& known : verb.actions)
        names.append(known.name);
    return Fail(QStringLiteral("give an action: ") + names.join(QStringLiteral(", ")));
}

CCliArguments::Result CCliArguments::ParseOptions(const CCliVerb& table,
                                                  const QStringList& arguments)
{
    bool onlyOperands = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (onlyOperands || argument == u'-' || !argument.startsWith(u'-')) {
            m_operands.append(argument);
        } else if (argument == QLatin1String("--")) {
            onlyOperands = true;
        } else if (const QString problem = TakeOption(table, arguments, i); !problem.isEmpty()) {
            return Fail(problem);
        }
    }
    if (table.maxOperands >= 0 && m_operands.size() > table.maxOperands)
        return Fail(
            QStringLiteral("unexpected argument '%1'").arg(m_operands.at(table.maxOperands)));
    if (m_operands.size() < table.minOperands)
        return Fail(table.missingOperands);
    for (const CCliVerb::OptionGroup& group : table.options) {
        for (const CCliVerb::Option& option : group.options) {
            const bool others = m_values.size() > 1 || !m_operands.isEmpty();
            if (option.use == CCliVerb::Use::Alone && IsSet(option.names.first()) && others)
                return Fail(option.Spelling().section(u' ', 0, 0) +
                            QStringLiteral(" takes nothing else"));
        }
    }
    return {true, QString()};
}

QString CCliArguments::TakeOption(const CCliVerb& table, const QStringList& arguments, qsizetype& i)
{
    const QString& argument = arguments.at(i);
    const bool isLong = argument.startsWith(QLatin1String("--"));
    const qsizetype equals = isLong ? argument.indexOf(u'=') : -1;
    const QString spelt = equals < 0 ? argument : argument.left(equals);
    const QString name = spelt.mid(isLong ? 2 : 1);
    const CCliVerb::Option* option = (name.size() == 1) != isLong ? table.Find(name) : nullptr;
    if (!option)
        return QStringLiteral("unknown option '%1'").arg(spelt);
    QStringList& values = m_values[option->names.first()];
    if (option->value.isEmpty() && equals >= 0)
        return QStringLiteral("%1 takes no value").arg(spelt);
    if (option->value.isEmpty())
        values.append(QString());
    else if (equals >= 0)
        values.append(argument.mid(equals + 1));
    else if (i + 1 < arguments.size())
        values.append(arguments.at(++i));
    else
        return QStringLiteral("%1 needs a value").arg(spelt);
    return QString();
}

QString CCliArguments::Value(const QString& name) const
{
    const QStringList values = m_values.value(name);
    return values.isEmpty() ? QString() : values.constLast();
}

QString CCliArguments::ActionName() const
{
    return m_pAction ? m_pAction->name : QString();
}

int CCliArguments::BadArguments(const QString& problem) const
{
    return CliCommands::BadArguments(m_pVerb->name, problem, m_pVerb->UsageLines());
}
