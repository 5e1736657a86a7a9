#include "CliProcess.h"
#include "cli/CCliArguments.h"
#include "cli/CliVerbs.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QTest>

namespace {

QString HelpOf(const QString& verb)
{
    static QHash<QString, QString> helps;
    if (!helps.contains(verb))
        helps.insert(verb, RunCli({verb, QStringLiteral("--help")}).out);
    return helps.value(verb);
}

// The manual page as it reads, its roff dashes plain again.
QString ManPage()
{
    QFile page(QStringLiteral(ZENTAK_CLI_MAN_PAGE));
    if (!page.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(page.readAll()).replace(QLatin1String("\\-"), QLatin1String("-"));
}

}  // namespace

class TestCliVerbs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyOptionParsesAndIsDocumented_data();
    void everyOptionParsesAndIsDocumented();
};

void TestCliVerbs::everyOptionParsesAndIsDocumented_data()
{
    QTest::addColumn<QString>("verb");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("name");
    for (const CCliVerb& verb : CliVerbs::All()) {
        const QList<CCliVerb> tables = verb.actions.isEmpty() ? QList{verb} : verb.actions;
        for (const CCliVerb& table : tables) {
            const QString action = verb.actions.isEmpty() ? QString() : table.name;
            for (const CCliVerb::OptionGroup& group : table.options) {
                for (const CCliVerb::Option& option : group.options) {
                    for (const QString& name : option.names)
                        QTest::addRow("%s %s %s", qPrintable(verb.name), qPrintable(action),
                                      qPrintable(name))
                            << verb.name << action << name;
                }
            }
        }
    }
}

void TestCliVerbs::everyOptionParsesAndIsDocumented()
{
    QFETCH(QString, verb);
    QFETCH(QString, action);
    QFETCH(QString, name);
    const CCliVerb& command = *CliVerbs::Find(verb);
    const CCliVerb& table = action.isEmpty() ? command : *command.Action(action);
    const CCliVerb::Option& option = *table.Find(name);
    const QString spelt = (name.size() == 1 ? "-" : "--") + name;
    QStringList arguments{action, spelt};
    arguments.removeAll(QString());
    if (!option.value.isEmpty())
        arguments.append(QStringLiteral("x"));
    arguments += QStringList(table.minOperands, QStringLiteral("a"));

    CCliArguments parsed;
    const CCliArguments::Result result = parsed.Parse(command, arguments);
    QVERIFY2(result.ok, qPrintable(result.message));
    QVERIFY(parsed.IsSet(option.names.first()));
    QCOMPARE(parsed.Value(option.names.first()),
             option.value.isEmpty() ? QString() : QStringLiteral("x"));
    // A term of its own: "  -o, --output, --out FILE" in the help, ".B -o, ..." in the page.
    const auto listed = [&spelt](const QString& text, const QString& lead) {
        const QRegularExpression term(QStringLiteral("^%1(-[\\w-]+, )*%2(,| |$)")
                                          .arg(lead, QRegularExpression::escape(spelt)),
                                      QRegularExpression::MultilineOption);
        return text.contains(term);
    };
    QVERIFY2(listed(HelpOf(verb), QStringLiteral("  ")), qPrintable(HelpOf(verb)));
    QVERIFY(listed(ManPage(), QStringLiteral("\\.B ")));
}

QTEST_GUILESS_MAIN(TestCliVerbs)
#include "tst_cli_verbs.moc"
