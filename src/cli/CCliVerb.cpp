#include "cli/CCliVerb.h"

#include <algorithm>

namespace {

const QString kProgram = QStringLiteral("zentak-cli ");
// Usage lines go after "usage: ", wrapped ones under the command's name.
const int kUsageWidth = CHelpText::kLineWidth - 7;
const QString kWrapIndent = QString(kProgram.size(), u' ');

const CHelpText::Entry kHelpEntry{QStringLiteral("-h, --help"),
                                  QStringLiteral("Print this help and exit.")};

QString Dashed(const QString& name)
{
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

QString WithValue(const QString& spelling, const QString& value)
{
    return value.isEmpty() ? spelling : spelling + u' ' + value;
}

// The words of one usage, wrapped between them.
QStringList Wrapped(const QStringList& words)
{
    QStringList lines{kProgram + words.first()};
    for (const QString& word : words.mid(1)) {
        if (lines.constLast().size() + 1 + word.size() > kUsageWidth)
            lines.append(kWrapIndent + word);
        else
            lines.last() += u' ' + word;
    }
    return lines;
}

}  // namespace

QString CCliVerb::Option::ShortName() const
{
    for (const QString& optionName : names) {
        if (optionName.size() == 1)
            return optionName;
    }
    return QString();
}

QString CCliVerb::Option::Term() const
{
    QStringList spellings;
    const QString shortName = ShortName();
    if (!shortName.isEmpty())
        spellings.append(Dashed(shortName));
    for (const QString& optionName : names) {
        if (optionName != shortName)
            spellings.append(Dashed(optionName));
    }
    return WithValue(spellings.join(QStringLiteral(", ")), value);
}

QString CCliVerb::Option::Spelling() const
{
    const QString shortName = ShortName();
    return WithValue(Dashed(shortName.isEmpty() ? names.first() : shortName), value);
}

const CCliVerb::Option* CCliVerb::Find(const QString& optionName) const
{
    for (const OptionGroup& group : options) {
        for (const Option& option : group.options) {
            if (option.names.contains(optionName))
                return &option;
        }
    }
    return nullptr;
}

const CCliVerb* CCliVerb::Action(const QString& actionName) const
{
    for (const CCliVerb& action : actions) {
        if (action.name == actionName)
            return &action;
    }
    return nullptr;
}

QStringList CCliVerb::Forms(const QString& prefix) const
{
    QStringList forms;
    for (const CCliVerb& action : actions)
        forms += action.Forms(prefix + name + u' ');
    if (!actions.isEmpty())
        return forms;
    QStringList words{prefix + name};
    if (!operands.isEmpty())
        words.append(operands);
    QStringList alone;
    for (const OptionGroup& group : options) {
        for (const Option& option : group.options) {
            if (option.use == Use::Required)
                words.append(option.Spelling());
            else if (option.use == Use::Optional)
                words.append(u'[' + option.Spelling() + u']');
            else if (option.use == Use::Alone)
                alone.append(Wrapped({prefix + name, option.Spelling()}));
        }
    }
    return Wrapped(words) + alone;
}

QStringList CCliVerb::UsageLines() const
{
    return Forms(QString());
}

// A verb of actions lists once each option its actions take.
QList<CCliVerb::OptionGroup> CCliVerb::HelpGroups() const
{
    if (actions.isEmpty() && !options.isEmpty())
        return options;
    OptionGroup merged{QStringLiteral("Options"), {}};
    for (const CCliVerb& action : actions) {
        for (const OptionGroup& group : action.options) {
            for (const Option& option : group.options) {
                const auto same = [&option](const Option& o) { return o.names == option.names; };
                if (std::none_of(merged.options.cbegin(), merged.options.cend(), same))
                    merged.options.append(option);
            }
        }
    }
    return {merged};
}

QString CCliVerb::Help() const
{
    QList<CHelpText::Section> sections;
    if (!actions.isEmpty()) {
        CHelpText::Section actionHelp{QStringLiteral("Actions"), {}};
        for (const CCliVerb& action : actions)
            actionHelp.entries.append({WithValue(action.name, action.operands), action.summary});
        sections.append(actionHelp);
    }
    if (!operandHelp.title.isEmpty())
        sections.append(operandHelp);
    for (const OptionGroup& group : HelpGroups()) {
        CHelpText::Section section{group.title, {}};
        for (const Option& option : group.options)
            section.entries.append({option.Term(), option.help});
        sections.append(section);
    }
    sections.last().entries.append(kHelpEntry);
    return CHelpText::Format(UsageLines(), description, sections);
}
