#include "core/study/COdcChecker.h"
#include "core/study/CStudyDecisions.h"
#include "core/study/CSubjectTable.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <functional>

using Breaker = std::function<void(CCsvTable& dataset, CCsvTable& dictionary)>;
Q_DECLARE_METATYPE(Breaker)

namespace {

QStringList Described(const QString& name, const QString& type)
{
    return {
        name, name + QStringLiteral(" title"), "", QStringLiteral("What it is."), type, "", "", "",
        ""};
}

// Two impacts of two rats, with a dictionary of exactly their columns.
void GoodPair(CCsvTable& dataset, CCsvTable& dictionary)
{
    dataset.m_header = {"Subject_ID", "Sex", "Actual_force"};
    dataset.m_rows = {{"rat-1", "F", "101"}, {"rat-2", "M", "99"}};
    dictionary.m_header = COdcChecker::DictionaryHeader();
    dictionary.m_rows = {Described("Subject_ID", "Free Text"), Described("Sex", "Categorical"),
                         Described("Actual_force", "Numeric")};
}

bool Write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace

class TestStudy : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void checkerRefusesEachRule_data();
    void checkerRefusesEachRule();
    void csvReadsWhatItWrites_data();
    void csvReadsWhatItWrites();
    void latestDecisionHolds_data();
    void latestDecisionHolds();
    void subjectTableRefusals_data();
    void subjectTableRefusals();
};

// One row per rule of the checker, each breaking that rule in a pair that
// passes; a rule without its row stops the test.
void TestStudy::checkerRefusesEachRule_data()
{
    QTest::addColumn<QString>("rule");
    QTest::addColumn<Breaker>("breaker");
    const QHash<QString, Breaker> breakers = {
        {"no blank header", [](CCsvTable& s, CCsvTable&) { s.m_header[1] = ""; }},
        {"no repeated header", [](CCsvTable& s, CCsvTable&) { s.m_header[2] = "Sex"; }},
        {"rows as wide as the header", [](CCsvTable& s, CCsvTable&) { s.m_rows[1].append("x"); }},
        {"no blank row",
         [](CCsvTable& s, CCsvTable&) {
             s.m_rows.append({"", "", ""});
         }},
        {"Subject_ID first", [](CCsvTable& s, CCsvTable&) { s.m_rows[1][0] = ""; }},
        {"variable names",
         [](CCsvTable& s, CCsvTable& d) { s.m_header[1] = d.m_rows[1][0] = "1Sex"; }},
        {"no blank column", [](CCsvTable& s, CCsvTable&) { s.m_rows[0][1] = s.m_rows[1][1] = ""; }},
        {"no repeated row", [](CCsvTable& s, CCsvTable&) { s.m_rows.append(s.m_rows[0]); }},
        {"dictionary columns", [](CCsvTable&, CCsvTable& d) { d.m_header[2] = "Unit"; }},
        {"every variable described", [](CCsvTable&, CCsvTable& d) { d.m_rows[1][4] = "Text"; }},
        {"dictionary matches dataset", [](CCsvTable&, CCsvTable& d) { d.m_rows.removeLast(); }},
        {"numbers in Numeric columns",
         [](CCsvTable& s, CCsvTable&) { s.m_rows[0][2] = "101 K dynes"; }},
    };
    for (const COdcChecker::Rule& rule : COdcChecker::Rules()) {
        if (!breakers.contains(QLatin1String(rule.name)))
            qFatal("no table breaks the rule \"%s\"", rule.name);
        QTest::newRow(rule.name) << QString::fromLatin1(rule.name)
                                 << breakers[QLatin1String(rule.name)];
    }
}

void TestStudy::checkerRefusesEachRule()
{
    QFETCH(QString, rule);
    QFETCH(Breaker, breaker);
    CCsvTable dataset;
    CCsvTable dictionary;
    GoodPair(dataset, dictionary);
    QCOMPARE(COdcChecker::Check(dataset, dictionary), QStringList());
    breaker(dataset, dictionary);
    const QStringList problems = COdcChecker::Check(dataset, dictionary);
    QVERIFY2(std::any_of(problems.cbegin(), problems.cend(),
                         [&rule](const QString& p) { return p.startsWith(rule + u':'); }),
             qPrintable(problems.join(u'\n')));
}

void TestStudy::csvReadsWhatItWrites_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QList<QStringList>>("rows");  // the header first
    QTest::newRow("CR LF") << "a,b\r\n1,2\r\n"
                           << true << QList<QStringList>{{"a", "b"}, {"1", "2"}};
    QTest::newRow("LF, no last line end")
        << "a,b\n1,2" << true << QList<QStringList>{{"a", "b"}, {"1", "2"}};
    QTest::newRow("quoted comma, quote, line end")
        << "a\r\n\"x, \"\"y\"\"\r\nz\"\r\n"
        << true << QList<QStringList>{{"a"}, {"x, \"y\"\r\nz"}};
    QTest::newRow("blank line kept") << "a\r\n\r\nb\r\n"
                                     << true << QList<QStringList>{{"a"}, {""}, {"b"}};
    QTest::newRow("byte order mark") << QStringLiteral("\uFEFFSubject_ID\r\nrat-1\r\n") << true
                                     << QList<QStringList>{{"Subject_ID"}, {"rat-1"}};
    QTest::newRow("quote never closed") << "a\r\n\"b\r\n" << false << QList<QStringList>{};
    QTest::newRow("empty") << "" << false << QList<QStringList>{};
}

void TestStudy::csvReadsWhatItWrites()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(QList<QStringList>, rows);
    CCsvTable table;
    QCOMPARE(CCsvTable::Parse(text, table).ok, ok);
    if (!ok)
        return;
    QCOMPARE(QList<QStringList>{table.m_header} + table.m_rows, rows);
    CCsvTable again;
    QVERIFY(CCsvTable::Parse(table.Text(), again).ok);
    QCOMPARE(again.m_rows, table.m_rows);
}

// Decisions appended in turn on a.exp and entry 2 of run.log; what holds.
void TestStudy::latestDecisionHolds_data()
{
    QTest::addColumn<QStringList>("appended");  // TARGET ENTRY KIND
    QTest::addColumn<QString>("onFile");        // the kind that holds, or "none"
    QTest::addColumn<QString>("onEntry");
    QTest::newRow("none") << QStringList{} << "none"
                          << "none";
    QTest::newRow("one each") << QStringList{"a.exp 0 exclude", "run.log 2 include"} << "exclude"
                              << "include";
    QTest::newRow("reversed") << QStringList{"a.exp 0 exclude", "a.exp 0 include"} << "include"
                              << "none";
    QTest::newRow("another entry") << QStringList{"run.log 1 exclude"} << "none"
                                   << "none";
}

void TestStudy::latestDecisionHolds()
{
    QFETCH(QStringList, appended);
    QFETCH(QString, onFile);
    QFETCH(QString, onEntry);
    QTemporaryDir dir;
    for (const QString& line : appended) {
        const QStringList part = line.split(u' ');
        const auto kind =
            part[2] == "exclude" ? CStudyDecisions::Kind::Exclude : CStudyDecisions::Kind::Include;
        QVERIFY(
            CStudyDecisions::Append(dir.filePath(part[0]), part[1].toInt(),
                                    {kind, "why, \"so\"", "op", QDateTime::currentDateTimeUtc()})
                .ok);
    }
    CStudyDecisions decisions;
    const auto kindOf = [&decisions, &dir](const QString& file, int entry) {
        const auto decision = decisions.Find(dir.filePath(file), entry);
        if (!decision)
            return QStringLiteral("none");
        return decision->reason == "why, \"so\"" ? CStudyDecisions::KindText(decision->kind)
                                                 : QStringLiteral("reason lost");
    };
    QCOMPARE(kindOf("a.exp", 0), onFile);
    QCOMPARE(kindOf("run.log", 2), onEntry);
    QCOMPARE(decisions.Problems(), QStringList());
}

void TestStudy::subjectTableRefusals_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QString>("refusal");  // ends the message; empty: loads
    QTest::newRow("loads") << QByteArray("Sex,Subject_ID\r\nF,rat-1\r\nM,rat-2\r\n") << "";
    QTest::newRow("no Subject_ID")
        << QByteArray("Sex,ID\r\nF,rat-1\r\n") << "It has no Subject_ID column.";
    QTest::newRow("narrow row") << QByteArray("Subject_ID,Sex\r\nrat-1\r\n")
                                << "line 2 has 1 fields; the header has 2.";
    QTest::newRow("blank subject")
        << QByteArray("Subject_ID,Sex\r\n ,F\r\n") << "line 2 has no Subject_ID.";
    QTest::newRow("repeated") << QByteArray("Subject_ID,Sex\r\nrat-1,F\r\nrat-1,M\r\n")
                              << "line 3 repeats the subject rat-1.";
}

void TestStudy::subjectTableRefusals()
{
    QFETCH(QByteArray, csv);
    QFETCH(QString, refusal);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("subjects.csv"));
    QVERIFY(Write(path, csv));
    CSubjectTable subjects;
    const CCsvTable::Result loaded = subjects.Load(path);
    QCOMPARE(loaded.ok, refusal.isEmpty());
    QVERIFY2(refusal.isEmpty() || loaded.message.endsWith(refusal), qPrintable(loaded.message));
    if (!loaded.ok)
        return;
    QCOMPARE(subjects.Columns(), QStringList{"Sex"});
    QCOMPARE(*subjects.Find("rat-2"), QStringList{"M"});
    QCOMPARE(subjects.Find("rat-3"), nullptr);
    QCOMPARE(subjects.Unjoined(), QStringList{"rat-1"});
}

QTEST_GUILESS_MAIN(TestStudy)
#include "tst_study.moc"
