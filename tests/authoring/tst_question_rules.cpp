// The rules a learner's answer key must keep: only keys that can be marked right are stored, and the bank
// check accepts every key the rules let through.
#include "authoring/QuestionRules.h"
#include "authoring/QuestionSave.h"
#include "tools/AnswerKey.h"

#include <QtTest>

using authoring::AnswerRule;

class TestQuestionRules : public QObject {
    Q_OBJECT

private slots:
    void rulesFollowTypeAndName_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("rule");
        QTest::newRow("single") << 61 << QStringLiteral("单项选择题") << int(AnswerRule::Single);
        QTest::newRow("case single") << 62 << QStringLiteral("案例单选题") << int(AnswerRule::Single);
        QTest::newRow("case multiple") << 64 << QStringLiteral("案例多选题") << int(AnswerRule::Multiple);
        QTest::newRow("multiple") << 65 << QStringLiteral("多项选择题") << int(AnswerRule::Multiple);
        QTest::newRow("indefinite") << 66 << QStringLiteral("不定项选择题") << int(AnswerRule::Letters);
        QTest::newRow("judgement") << 70 << QStringLiteral("判断题") << int(AnswerRule::Judgement);
        QTest::newRow("judgement by name") << 80 << QStringLiteral("判断") << int(AnswerRule::Judgement);
        QTest::newRow("subjective by code")
            << 73 << QStringLiteral("案例分析题") << int(AnswerRule::Subjective);
        QTest::newRow("subjective by name")
            << 90 << QStringLiteral(" 名词解释 ") << int(AnswerRule::Subjective);
        QTest::newRow("a name that only contains one")
            << 91 << QStringLiteral("计算机题") << int(AnswerRule::Letters);
        QTest::newRow("fill-in") << 67 << QStringLiteral("填空题") << int(AnswerRule::Text);
    }
    void rulesFollowTypeAndName() {
        QFETCH(int, type);
        QFETCH(QString, name);
        QFETCH(int, rule);
        QCOMPARE(int(authoring::AnswerRuleFor(type, name)), rule);
    }

    void keysThatCanBeMarkedRight_data() {
        QTest::addColumn<int>("rule");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("options");
        QTest::addColumn<QString>("stored"); // empty: refused
        const int single = int(AnswerRule::Single), multiple = int(AnswerRule::Multiple);
        const int letters = int(AnswerRule::Letters), judgement = int(AnswerRule::Judgement);
        QTest::newRow("single") << single << QStringLiteral("c") << 4 << QStringLiteral("C");
        QTest::newRow("single, two letters") << single << QStringLiteral("AB") << 4 << QString();
        QTest::newRow("single, repeated letter")
            << single << QStringLiteral("AA") << 4 << QStringLiteral("A");
        QTest::newRow("single, last option") << single << QStringLiteral("F") << 6 << QStringLiteral("F");
        QTest::newRow("G never answerable") << single << QStringLiteral("G") << 6 << QString();
        QTest::newRow("beyond the options") << single << QStringLiteral("E") << 4 << QString();
        QTest::newRow("multiple sorted") << multiple << QStringLiteral("DA") << 5 << QStringLiteral("AD");
        QTest::newRow("multiple with separators")
            << multiple << QStringLiteral(" b, a、D ") << 4 << QStringLiteral("ABD");
        QTest::newRow("multiple, one letter") << multiple << QStringLiteral("A") << 4 << QString();
        QTest::newRow("multiple, deduplicated to one") << multiple << QStringLiteral("BB") << 4 << QString();
        QTest::newRow("full-width letters") << letters << QStringLiteral("ＣＡ") << 4 << QStringLiteral("AC");
        QTest::newRow("indefinite, one letter") << letters << QStringLiteral("b") << 3 << QStringLiteral("B");
        QTest::newRow("not a letter") << letters << QStringLiteral("A1") << 4 << QString();
        QTest::newRow("Chinese") << letters << QStringLiteral("对") << 4 << QString();
        QTest::newRow("judgement right") << judgement << QStringLiteral("a") << 2 << QStringLiteral("A");
        QTest::newRow("judgement wrong") << judgement << QStringLiteral("B") << 4 << QStringLiteral("B");
        QTest::newRow("judgement C") << judgement << QStringLiteral("C") << 4 << QString();
        QTest::newRow("judgement AB") << judgement << QStringLiteral("AB") << 4 << QString();
        QTest::newRow("judgement B with one option") << judgement << QStringLiteral("B") << 1 << QString();
        QTest::newRow("blank") << letters << QStringLiteral("   ") << 4 << QString();
        QTest::newRow("subjective keeps 1")
            << int(AnswerRule::Subjective) << QStringLiteral("XYZ") << 5 << QStringLiteral("1");
        QTest::newRow("fill-in keeps the text")
            << int(AnswerRule::Text) << QStringLiteral(" it's 是 ") << 1 << QStringLiteral("it's 是");
    }
    void keysThatCanBeMarkedRight() {
        QFETCH(int, rule);
        QFETCH(QString, typed);
        QFETCH(int, options);
        QFETCH(QString, stored);
        const authoring::AnswerCheck check = authoring::CheckAnswer(AnswerRule(rule), typed, options);
        QCOMPARE(check.answer, stored);
        QCOMPARE(check.problem.isEmpty(), !stored.isEmpty());
    }

    // Every key the rules store is one the bank check accepts for its type.
    void storedKeysPassTheBankCheck() {
        const struct {
            int type;
            const char* name;
        } types[] = {{61, "单项选择题"},   {62, "案例单选题"}, {64, "案例多选题"}, {65, "多项选择题"},
                     {66, "不定项选择题"}, {70, "判断题"},     {71, "简答"}};
        const QStringList typed{QStringLiteral("A"),  QStringLiteral("B"),     QStringLiteral("BA"),
                                QStringLiteral("FE"), QStringLiteral("ACE"),   QStringLiteral("C C"),
                                QStringLiteral("G"),  QStringLiteral("ABCDEF")};
        int stored = 0;
        for (const auto& t : types) {
            const QString name = QString::fromUtf8(t.name);
            const AnswerRule rule = authoring::AnswerRuleFor(t.type, name);
            for (int options = 1; options <= authoring::MaxOptions; ++options) {
                for (const QString& key : typed) {
                    const authoring::AnswerCheck check = authoring::CheckAnswer(rule, key, options);
                    if (!check.problem.isEmpty())
                        continue;
                    ++stored;
                    const int kept = rule == AnswerRule::Subjective ? 1 : options;
                    const QString problem = tools::answerKeyProblem(
                        t.type, tools::isSubjectiveType(t.type, name), check.answer, kept);
                    QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("type %1, %2 options, \"%3\": %4")
                                                               .arg(t.type)
                                                               .arg(options)
                                                               .arg(key, problem)));
                }
            }
        }
        QVERIFY(stored > 50);
    }

    void questionIds() {
        // The serial takes five characters below 1000 and four from there on.
        QCOMPARE(authoring::QuestionIdFor(QStringLiteral("050101"), 61, 4, 1), QStringLiteral("US050101614"
                                                                                              "00001"));
        QCOMPARE(authoring::QuestionIdFor(QStringLiteral("0501"), 65, 5, 999),
                 QStringLiteral("US050165500999"));
        QCOMPARE(authoring::QuestionIdFor(QStringLiteral("0501"), 65, 5, 1000),
                 QStringLiteral("US05016551000"));
        QCOMPARE(authoring::QuestionIdFor(QStringLiteral("300101"), 71, 1, 9999), QStringLiteral("US300101711"
                                                                                                 "9999"));
    }
};

QTEST_MAIN(TestQuestionRules)
#include "tst_question_rules.moc"
