// The question-button and type-tab pictures, and "show the desktop" used by the same windows.
#include "platform/Desktop.h"
#include "practice/Pictures.h"
#include "store/dm.h"
#include "ui/Services.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

namespace {

const QStringList kButtons{QStringLiteral("mivoup.bmp"),  QStringLiteral("mivodw.bmp"),
                           QStringLiteral("mivoyes.bmp"), QStringLiteral("mivodw_r.bmp"),
                           QStringLiteral("mivono.bmp"),  QStringLiteral("mivodw_w.bmp"),
                           QStringLiteral("mivoover.bmp")};
const QStringList kTabs{QStringLiteral("mivotxup.bmp"), QStringLiteral("mivotxdw.bmp")};

QString delivered() {
    return qEnvironmentVariable("VQ_SOURCE_DIR") + QStringLiteral("/pic/");
}

QImage rgb(const QPixmap& p) {
    return p.toImage().convertToFormat(QImage::Format_RGB888);
}

} // namespace

class PicturesTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_pic; // pic/ of a program folder, with copies of the delivered pictures

private slots:
    void init() {
        static int folders = 0;
        m_pic = m_dir.path() + QStringLiteral("/%1/pic/").arg(++folders);
        QVERIFY(QDir().mkpath(m_pic));
        for (const QString& name : kButtons + kTabs)
            QVERIFY(QFile::copy(delivered() + name, m_pic + name));
    }

    void deliveredPicturesAreTwentyFourBitBitmaps() {
        for (const QString& name : kButtons + kTabs) {
            QFile f(delivered() + name);
            QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(name));
            const QByteArray head = f.read(30);
            QVERIFY(head.startsWith("BM") && head[28] == 24 && head[29] == 0);
            QCOMPARE(QImage(f.fileName()).size(), kTabs.contains(name) ? QSize(96, 28) : QSize(44, 36));
        }
    }

    void eachStateHasItsOwnPictures() {
        const QString saved = ProgramFolder;
        ProgramFolder = QDir::cleanPath(m_pic + QStringLiteral("..")) + u'/'; // the default folder
        QuestionPictures pics;
        QString missing = QStringLiteral("stale");
        const bool loaded = pics.load(&missing) && pics.loadTabPictures(&missing);
        ProgramFolder = saved;
        QVERIFY(loaded && missing.isEmpty());
        const QList<QPair<QPixmap, QString>> shown{{pics.normalFor(QuestionState::NotAnswered), kButtons[0]},
                                                   {pics.pressedFor(QuestionState::NotAnswered), kButtons[1]},
                                                   {pics.normalFor(QuestionState::Right), kButtons[2]},
                                                   {pics.pressedFor(QuestionState::Right), kButtons[3]},
                                                   {pics.normalFor(QuestionState::Wrong), kButtons[4]},
                                                   {pics.pressedFor(QuestionState::Wrong), kButtons[5]},
                                                   {pics.answered, kButtons[6]},
                                                   {pics.tabUp, kTabs[0]},
                                                   {pics.tabDown, kTabs[1]}};
        for (qsizetype i = 0; i < shown.size(); ++i) {
            QCOMPARE(rgb(shown[i].first),
                     QImage(m_pic + shown[i].second).convertToFormat(QImage::Format_RGB888));
            for (qsizetype j = 0; j < i; ++j) // every state can be told apart
                QVERIFY(rgb(shown[i].first) != rgb(shown[j].first));
        }
    }

    void aMissingOrBrokenPictureIsNamed_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("broken"); // present, but not a bitmap
        QTest::newRow("first") << kButtons[0] << false;
        QTest::newRow("pressed right") << kButtons[3] << false;
        QTest::newRow("exam") << kButtons[6] << false;
        QTest::newRow("wrong, broken") << kButtons[4] << true;
        QTest::newRow("tab") << kTabs[1] << false;
    }
    void aMissingOrBrokenPictureIsNamed() {
        QFETCH(QString, name);
        QFETCH(bool, broken);
        QFile f(m_pic + name);
        QVERIFY(broken ? f.open(QIODevice::WriteOnly) && f.write("BM not a picture") > 0 : f.remove());
        f.close();
        const bool tab = kTabs.contains(name);
        QuestionPictures pics;
        QString missing;
        QVERIFY(!(tab ? pics.loadTabPictures(&missing, m_pic) : pics.load(&missing, m_pic)));
        QCOMPARE(missing, m_pic + name);
        QVERIFY(pics.up.isNull() && pics.tabUp.isNull()); // nothing half loaded
        QVERIFY(tab ? pics.load(nullptr, m_pic)
                    : pics.loadTabPictures(nullptr, m_pic)); // the other set is whole
    }

    void missingPicturesEndTheProgram() {
        ScopedMessages shown;
        ScopedExit exit;
        QVERIFY_THROWS_EXCEPTION(ProgramEnded, EndForMissingPictures());
        QVERIFY(exit->requested);
        QCOMPARE(shown->shown.size(), 1);
        const auto& p = shown->shown[0];
        QCOMPARE(QStringList({p.caption, p.text, p.style}),
                 QStringList(
                     {QStringLiteral("错误"), QStringLiteral("无法提取资源文件！"), QStringLiteral("NO")}));
        QCOMPARE(QPair(p.buttonSet, p.page), QPair(1, 2));
    }

    void stateFollowsTheAnswerGiven() {
        QCOMPARE(QuestionStateFor(QString(), QStringLiteral("A")), QuestionState::NotAnswered);
        QCOMPARE(QuestionStateFor(QStringLiteral("AC"), QStringLiteral("AC")), QuestionState::Right);
        QCOMPARE(QuestionStateFor(QStringLiteral("A"), QStringLiteral("AC")), QuestionState::Wrong);
        QCOMPARE(QuestionStateFor(QStringLiteral("ac"), QStringLiteral("AC")), QuestionState::Wrong);
        QCOMPARE(QuestionStateFor(QStringLiteral("B"), QString()), QuestionState::Wrong);
    }

    void showDesktopMinimisesTheProgramsVisibleWindows() {
        QWidget main, practice, hidden;
        main.show();
        practice.show();
        QVERIFY(QTest::qWaitForWindowExposed(&practice));
        ShowDesktop();
        QTRY_VERIFY(main.isMinimized() && practice.isMinimized());
        QVERIFY(!hidden.isVisible() && !hidden.isMinimized()); // not brought up by minimising it
    }
};

QTEST_MAIN(PicturesTest)
#include "tst_notes_pictures.moc"
