// The study log, the score charts and the study plan, from the menu and on their own.
#include "app/Startup.h"
#include "app/start.h"
#include "records/StudyRecords.h"
#include "records/Uplan.h"
#include "records/Urz.h"
#include "records/uchart.h"
#include "store/BankKey.h"
#include "store/Clock.h"
#include "store/dm.h"
#include "tests/support/MenuClick.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WindowFit.h"
#include "ui/AppState.h"
#include "ui/FileDialogs.h"
#include "ui/Services.h"

#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QDateEdit>
#include <QLineEdit>
#include <QPieSeries>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace records;

class TestRecords : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    store::FixedClock m_clock{QDateTime(QDate(2027, 1, 2), QTime(9, 0))};
    std::unique_ptr<TDM1> m_dm;

    void openBank() {
        if (DM1 == m_dm.get())
            DM1 = nullptr;
        m_dm.reset();
        QFile::remove(m_dir.filePath(QStringLiteral("bank.mdb")));
        m_dm = std::make_unique<TDM1>(
            testsupport::buildBank(m_dir.path(), testsupport::baseContent() + testsupport::smallSyllabus()));
        QVERIFY(m_dm->DataModuleConnected);
        DM1 = m_dm.get();
    }
    void exec(const QString& sql, const QVariantList& params = {}) { m_dm->ADOCn1.execute(sql, params); }
    QVariant scalar(const QString& sql) { return m_dm->ADOCn1.scalar(sql); }

private slots:
    void initTestCase() { store::setClock(&m_clock); }
    void cleanupTestCase() {
        DM1 = nullptr;
        store::setClock(nullptr);
    }

    void scoreTexts() {
        QCOMPARE(ScoreText(0, 0), QStringLiteral("0"));
        QCOMPARE(ScoreText(7, 2), QStringLiteral("71.43"));
        QCOMPARE(ScoreText(3, 0), QStringLiteral("100.00"));
        QCOMPARE(ScoreText(4, 4), QStringLiteral("0.00"));
    }

    void logNewestFirstAcrossAYearAndItsTotals() {
        openBank();
        {
            TFrmRz empty;
            QCOMPARE(empty.Grid()->rowCount(), 0);
            QCOMPARE(empty.TotalText(0), QStringLiteral("0"));
            QCOMPARE(empty.TotalText(1), QStringLiteral("0"));
            QCOMPARE(empty.TotalText(2), QStringLiteral("0"));
        }
        const char* rows[][7] = {{"2026-12-31", "3", "1", "4", "1", "0:20:00", "75.00"},
                                 {"2027-01-02", "2", "1", "2", "1", "0:05:10", "50.00"},
                                 {"2026-02-10", "1", "0", "1", "0", "0:01:00", "100.00"}};
        for (const auto& r : rows)
            exec(QStringLiteral("insert into tab_rz (A1,B1,B2,A2,A3,D1,A4) values (:a,:b,:c,:d,:e,:f,:g)"),
                 {QString::fromLatin1(r[0]), QString::fromLatin1(r[1]).toInt(),
                  QString::fromLatin1(r[2]).toInt(), QString::fromLatin1(r[3]).toInt(),
                  QString::fromLatin1(r[4]).toInt(), QString::fromLatin1(r[5]), QString::fromLatin1(r[6])});
        TFrmRz log;
        QCOMPARE(log.Grid()->rowCount(), 3);
        QCOMPARE(log.Grid()->item(0, 0)->text(), QStringLiteral("2027-01-02"));
        QCOMPARE(log.Grid()->item(1, 0)->text(), QStringLiteral("2026-12-31"));
        QCOMPARE(log.Grid()->item(2, 0)->text(), QStringLiteral("2026-02-10"));
        QCOMPARE(log.Grid()->item(1, 5)->text(), QStringLiteral("0:20:00"));
        QCOMPARE(log.Grid()->item(1, 6)->text(), QStringLiteral("75.00"));
        QCOMPARE(log.TotalText(0), QStringLiteral("7"));
        QCOMPARE(log.TotalText(1), QStringLiteral("2"));
        QCOMPARE(log.TotalText(2), QStringLiteral("71.43"));
    }

    void countdown_data() {
        QTest::addColumn<int>("offset");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<QString>("days");
        QTest::addColumn<int>("colour");
        QTest::newRow("yesterday") << -1 << "考试已结束！"
                                   << "" << int(Countdown::Colour::None);
        QTest::newRow("today") << 0 << "祝考试成功！"
                               << "" << int(Countdown::Colour::None);
        QTest::newRow("in 3 days") << 3 << "距离考试还有"
                                   << "3" << int(Countdown::Colour::Red);
        QTest::newRow("in 7 days") << 7 << "距离考试还有"
                                   << "7" << int(Countdown::Colour::Red);
        QTest::newRow("in 8 days") << 8 << "距离考试还有"
                                   << "8" << int(Countdown::Colour::Green);
        QTest::newRow("in 30 days") << 30 << "距离考试还有"
                                    << "30" << int(Countdown::Colour::Green);
        QTest::newRow("in 1200 days") << 1200 << "距离考试还有"
                                      << "999" << int(Countdown::Colour::Green);
    }
    void countdown() {
        QFETCH(int, offset);
        QFETCH(QString, heading);
        QFETCH(QString, days);
        QFETCH(int, colour);
        openBank();
        exec(QStringLiteral("update tab_plan set ExamDate=:d"),
             {m_clock.today().addDays(offset).toString(Qt::ISODate)});
        TFrmplan plan;
        plan.show();
        QCOMPARE(plan.CountdownHeading(), heading);
        QCOMPARE(plan.CountdownDays(), days);
        QCOMPARE(plan.CountdownColour(), CountdownColour(Countdown::Colour(colour)));
        if (colour == int(Countdown::Colour::Green))
            QCOMPARE(plan.CountdownColour(), QColor(100, 203, 37));
        plan.close();
    }

    void planWithoutARowOrADateAndEmptyFields() {
        openBank();
        exec(QStringLiteral("delete from tab_plan"));
        ScopedMessages shown;
        TFrmplan plan;
        plan.show();
        // A bank without its plan row gets one; no exam date asks for one.
        QCOMPARE(scalar(QStringLiteral("select count(*) from tab_plan")).toInt(), 1);
        QCOMPARE(plan.CountdownHeading(), QStringLiteral("请设定考试日期"));
        QCOMPARE(plan.CountdownDays(), QString());
        QVERIFY(!plan.DateField()->isEnabled());
        // Set: answers field 25; then switch to minutes, empty the minutes field and save.
        QTest::mouseClick(plan.SetButton(), Qt::LeftButton);
        QCOMPARE(plan.SetButton()->text(), QStringLiteral("保存"));
        QVERIFY(plan.DateField()->isEnabled());
        plan.AmountField()->setText(QStringLiteral("25"));
        plan.ChoosePlan(1);
        QVERIFY(!plan.AmountField()->isEnabled());
        plan.MinutesField()->clear();
        plan.DateField()->setDate(m_clock.today().addDays(10));
        QTest::mouseClick(plan.SetButton(), Qt::LeftButton);
        QCOMPARE(plan.SetButton()->text(), QStringLiteral("设定"));
        QVERIFY(shown->shown.isEmpty());
        // The other plan's figure is kept as typed; an empty field is a target of 0, not an empty text.
        const auto row =
            m_dm->ADOCn1.query(QStringLiteral("select PlanMark,PlanAmount,PlanTime,ExamDate from tab_plan"))
                .rows;
        QCOMPARE(row.size(), 1);
        QCOMPARE(row[0][0].toInt(), 1);
        QCOMPARE(row[0][1].toInt(), 25);
        QCOMPARE(row[0][2], QVariant(0));
        QCOMPARE(row[0][3].toString(), m_clock.today().addDays(10).toString(Qt::ISODate));
        QCOMPARE(plan.CountdownDays(), QStringLiteral("10"));
        plan.close();
        // The quit reminder reads the plan now saved: 0 minutes is met.
        QCOMPARE(StudyPlanReminder(*m_dm), true);
    }

    void chartsOfTheChapters() {
        openBank();
        // Chapters drawn: 0501 (7 questions, 3 answered), 3001 (no question yet).
        exec(QStringLiteral("update tab_kmmc set C7='1'"));
        exec(QStringLiteral("update tab_kmmc set C7='0', C3=7, C4=3, D1=9, D2=4 where C1='0501'"));
        exec(QStringLiteral("update tab_kmmc set C7='0', C3=0, C4=0, D1=0, D2=0 where C1='3001'"));
        ScopedMessages shown;
        Tfrmchart chart;
        chart.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chart));
        QCOMPARE(chart.CurrentPage(), int(Tfrmchart::Frequency));
        auto bars = [&](int page) {
            QList<QBarSet*> sets;
            for (QAbstractSeries* s : chart.ChartOf(page)->series())
                if (auto* b = qobject_cast<QBarSeries*>(s))
                    sets += b->barSets();
            return sets;
        };
        const QList<QBarSet*> frequency = bars(Tfrmchart::Frequency);
        QCOMPARE(frequency.size(), 2);
        QCOMPARE(frequency[0]->at(0), 9.0);
        QCOMPARE(frequency[1]->at(0), 4.0);
        // Progress: 3 of 7 is 42; the chapter without questions has no bar.
        const QList<QBarSet*> progress = bars(Tfrmchart::Progress);
        QCOMPARE(progress.size(), 1);
        QCOMPARE(progress[0]->at(0), 42.0);
        QCOMPARE(progress[0]->property("base").value<QColor>(), RowColour(0));
        // Distribution: a slice per chapter, the empty one of size 0 in the second row's colour.
        chart.ChooseChartType(0);
        QCOMPARE(chart.CurrentPage(), int(Tfrmchart::Distribution));
        QCOMPARE(chart.TotalText(), QStringLiteral("习题总数:7"));
        auto* pie = qobject_cast<QPieSeries*>(chart.ChartOf(Tfrmchart::Distribution)->series().value(0));
        QVERIFY(pie);
        QCOMPARE(pie->count(), 2);
        QCOMPARE(pie->slices()[1]->value(), 0.0);
        QCOMPARE(pie->slices()[1]->property("base").value<QColor>(), RowColour(1));
        // Switches act on the chart shown; a new chart type comes back with the defaults.
        chart.SetLegendShown(false);
        QVERIFY(!chart.ChartOf(Tfrmchart::Distribution)->legend()->isVisible());
        chart.ChooseChartType(2);
        QVERIFY(chart.ChartOf(Tfrmchart::Progress)->legend()->isVisible());
        QVERIFY(shown->shown.isEmpty());
        chart.close();
    }

    void chartColoursStayValid() {
        QCOMPARE(RowColour(0), QColor(255, 0, 0));
        QCOMPARE(RowColour(1), QColor(0x7f, 0x39, 0x01)); // 80255 = 0x01397f, red in the low byte
        for (int i : {209, 210, 211, 500, 5000}) {
            const QColor c = RowColour(i);
            QVERIFY(c.isValid());
            QVERIFY(c != RowColour(i - 1));
        }
    }

    void savingAndPrintingACharts() {
        openBank();
        exec(QStringLiteral("update tab_kmmc set C7='0', C3=5, C4=1, D1=2, D2=1 where C1='0501'"));
        ScopedMessages shown;
        ScopedFileDialogs files;
        Tfrmchart chart;
        chart.resize(900, 600);
        chart.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chart));
        const QSize size = chart.findChild<QWidget*>(QStringLiteral("Chart0"))->size();
        const QString bmp = m_dir.filePath(QStringLiteral("chart.bmp"));
        const QString png = m_dir.filePath(QStringLiteral("chart"));
        files->setNextFileName(bmp);
        files->setNextFileName(png, QStringLiteral("PNG图片 (*.png)"));
        chart.findChild<QPushButton*>(QStringLiteral("SaveAs"))->click();
        chart.findChild<QPushButton*>(QStringLiteral("SaveAs"))->click();
        QCOMPARE(files->asked.size(), 2);
        QVERIFY(files->asked[0].filter.contains(QStringLiteral("Bitmaps图片 (*.bmp)")));
        for (const QString& name : {bmp, png + QStringLiteral(".png")}) {
            QImage saved(name);
            QVERIFY2(!saved.isNull(), qPrintable(name));
            QCOMPARE(saved.size(), size);
            // Something was drawn: not all of it is the white background.
            bool drawn = false;
            for (int y = 0; y < saved.height() && !drawn; y += 7)
                for (int x = 0; x < saved.width() && !drawn; x += 7)
                    drawn = saved.pixelColor(x, y) != QColor(Qt::white);
            QVERIFY(drawn);
        }
        QVERIFY(shown->shown.isEmpty());

        // No printer here: the warning, then the offer of a PDF file, which is written landscape.
        const QString pdf = m_dir.filePath(QStringLiteral("chart.pdf"));
        files->setNextFileName(pdf);
        shown->answerPrompt(3);
        shown->answerPrompt(1);
        chart.findChild<QPushButton*>(QStringLiteral("Print"))->click();
        QCOMPARE(shown->shown.size(), 2);
        QCOMPARE(shown->shown[0].text, QStringLiteral("没有发现打印机！"));
        QCOMPARE(shown->shown[0].page, 1);
        QFile written(pdf);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.readAll().startsWith("%PDF"));
        // Declining the PDF prints nothing.
        shown->clear();
        shown->answerPrompt(3);
        shown->answerPrompt(2);
        chart.findChild<QPushButton*>(QStringLiteral("Print"))->click();
        QCOMPARE(shown->shown.size(), 2);
        QCOMPARE(files->asked.size(), 3);
        chart.close();
    }

    void windowsFitBothScreens() {
        openBank();
        for (const QString& mode : {QStringLiteral("800"), QStringLiteral("1024")}) {
            ScreenMode = mode;
            ScopedMessages shown;
            TFrmRz log;
            testsupport::checkFits(&log, mode);
            Tfrmchart chart;
            testsupport::checkFits(&chart, mode);
            TFrmplan plan;
            testsupport::checkFits(&plan, mode);
            QVERIFY(shown->shown.isEmpty());
        }
        ScreenMode = QStringLiteral("1024");
    }

    void fromTheMenuAndBack() {
        if (DM1 == m_dm.get())
            DM1 = nullptr;
        m_dm.reset();
        ScopedMessages shown;
        StartOptions o;
        QFile::remove(m_dir.filePath(QStringLiteral("menu.mdb")));
        o.bankPath =
            testsupport::buildBank(m_dir.path(), testsupport::baseContent() + testsupport::smallSyllabus(),
                                   false, QStringLiteral("menu.mdb"));
        o.menuFile = QFINDTESTDATA("../../pic/main.menu");
        o.singleInstance = false;
        QCOMPARE(StartProgram(o), StartResult::Running);
        QStringList seen;
        testsupport::whenModal<TFrmRz>([&](TFrmRz* w) {
            seen << w->windowTitle();
            QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("Close")), Qt::LeftButton);
        });
        testsupport::clickMenu(QStringLiteral("rz"));
        testsupport::whenModal<Tfrmchart>([&](Tfrmchart* w) {
            seen << w->windowTitle();
            QTest::keyClick(w, Qt::Key_Escape);
        });
        testsupport::clickMenu(QStringLiteral("tj"));
        testsupport::whenModal<TFrmplan>([&](TFrmplan* w) {
            seen << w->windowTitle();
            QTest::mouseClick(w->SetButton(), Qt::LeftButton);
            w->AmountField()->setText(QStringLiteral("40"));
            QTest::mouseClick(w->SetButton(), Qt::LeftButton);
            QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("Close")), Qt::LeftButton);
        });
        testsupport::clickMenu(QStringLiteral("szjh"));
        QCOMPARE(seen, (QStringList{QStringLiteral("学习日志"), QStringLiteral("成绩图表"),
                                    QStringLiteral("学习计划")}));
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(DM1->ADOCn1.scalar(QStringLiteral("select PlanAmount from tab_plan")).toInt(), 40);
        QVERIFY(shown->shown.isEmpty());
        FinishProgram();
    }
};

QTEST_MAIN(TestRecords)
#include "tst_records.moc"
