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

const QStringList kQuestionPictures{QStringLiteral("mivoup.bmp"),  QStringLiteral("mivodw.bmp"),
                                    QStringLiteral("mivoyes.bmp"), QStringLiteral("mivodw_r.bmp"),
                                    QStringLiteral("mivono.bmp"),  QStringLiteral("mivodw_w.bmp"),
                                    QStringLiteral("mivoover.bmp")};
const QStringList kTabPictures{QStringLiteral("mivotxup.bmp"), QStringLiteral("mivotxdw.bmp")};

QString deliveredFolder() {
    return qEnvironmentVariable("VQ_SOURCE_DIR") + QStringLiteral("/pic/");
}

} // namespace

class PicturesTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_pic; // a program folder's pic/ with copies of the delivered pictures

    QImage fileImage(const QString& name) { return QImage(m_pic + name, "BMP"); }

private slots:
    void init() {
        // A fresh folder for every case, each data row included.
        static int folders = 0;
        m_pic = m_dir.path() + QStringLiteral("/%1/pic/").arg(++folders);
        QVERIFY(QDir().mkpath(m_pic));
        for (const QString& name : kQuestionPictures + kTabPictures)
            QVERIFY2(QFile::copy(deliveredFolder() + name, m_pic + name), qPrintable(name));
    }

    void deliveredPicturesAreTwentyFourBitBitmaps() {
        for (const QString& name : kQuestionPictures + kTabPictures) {
            QFile f(deliveredFolder() + name);
            QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(name));
            const QByteArray head = f.read(30);
            QVERIFY(head.startsWith("BM"));
            QCOMPARE(quint8(head[28]) | (quint8(head[29]) << 8), 24);
            const QImage image(deliveredFolder() + name, "BMP");
            QCOMPARE(image.size(), kTabPictures.contains(name) ? QSize(96, 28) : QSize(44, 36));
        }
    }

    void eachStateHasItsOwnPictures() {
        QuestionPictures pictures;
        QString missing = QStringLiteral("stale");
        QVERIFY(pictures.load(&missing, m_pic));
        QVERIFY(missing.isEmpty());
        const struct {
            QuestionState state;
            const char* normal;
            const char* pressed;
        } table[] = {{QuestionState::NotAnswered, "mivoup.bmp", "mivodw.bmp"},
                     {QuestionState::Right, "mivoyes.bmp", "mivodw_r.bmp"},
                     {QuestionState::Wrong, "mivono.bmp", "mivodw_w.bmp"}};
        QList<QImage> seen;
        for (const auto& row : table) {
            const QImage normal =
                pictures.normalFor(row.state).toImage().convertToFormat(QImage::Format_RGB888);
            const QImage pressed =
                pictures.pressedFor(row.state).toImage().convertToFormat(QImage::Format_RGB888);
            QCOMPARE(normal, fileImage(QLatin1String(row.normal)).convertToFormat(QImage::Format_RGB888));
            QCOMPARE(pressed, fileImage(QLatin1String(row.pressed)).convertToFormat(QImage::Format_RGB888));
            seen << normal << pressed;
        }
        seen << pictures.answered.toImage().convertToFormat(QImage::Format_RGB888);
        // Seven different pictures: a learner can tell every state apart.
        for (qsizetype i = 0; i < seen.size(); ++i)
            for (qsizetype j = i + 1; j < seen.size(); ++j)
                QVERIFY2(seen[i] != seen[j],
                         qPrintable(QStringLiteral("%1 and %2 look the same").arg(i).arg(j)));
        // The tab pictures are loaded on their own.
        QVERIFY(pictures.tabUp.isNull());
        QVERIFY(pictures.loadTabPictures(&missing, m_pic));
        QCOMPARE(pictures.tabDown.size(), QSize(96, 28));
        QVERIFY(pictures.tabUp.toImage() != pictures.tabDown.toImage());
    }

    void theProgramFolderIsTheDefault() {
        const QString saved = ProgramFolder;
        ProgramFolder = QDir(m_pic + QStringLiteral("..")).absolutePath() + u'/';
        QuestionPictures pictures;
        const bool loaded = pictures.load() && pictures.loadTabPictures();
        ProgramFolder = saved;
        QVERIFY(loaded);
        QCOMPARE(pictures.up.size(), QSize(44, 36));
    }

    void aMissingOrBrokenPictureIsNamed_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("broken"); // present but not a bitmap
        QTest::addColumn<bool>("tab");
        QTest::newRow("first missing") << QStringLiteral("mivoup.bmp") << false << false;
        QTest::newRow("pressed right missing") << QStringLiteral("mivodw_r.bmp") << false << false;
        QTest::newRow("exam picture missing") << QStringLiteral("mivoover.bmp") << false << false;
        QTest::newRow("wrong is not a picture") << QStringLiteral("mivono.bmp") << true << false;
        QTest::newRow("tab missing") << QStringLiteral("mivotxdw.bmp") << false << true;
    }
    void aMissingOrBrokenPictureIsNamed() {
        QFETCH(QString, name);
        QFETCH(bool, broken);
        QFETCH(bool, tab);
        QVERIFY(QFile::remove(m_pic + name));
        if (broken) {
            QFile f(m_pic + name);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("BM this is not a picture");
        }
        QuestionPictures pictures;
        QString missing;
        QVERIFY(!(tab ? pictures.loadTabPictures(&missing, m_pic) : pictures.load(&missing, m_pic)));
        QCOMPARE(missing, m_pic + name);
        // Nothing half loaded: the window must not go on with some buttons blank.
        QVERIFY(pictures.up.isNull() && pictures.tabUp.isNull());
        // The other set does not need the missing file.
        QVERIFY(tab ? pictures.load(nullptr, m_pic) : pictures.loadTabPictures(nullptr, m_pic));
    }

    void missingPicturesEndTheProgram() {
        ScopedMessages shown;
        ScopedExit exit;
        QVERIFY_THROWS_EXCEPTION(ProgramEnded, EndForMissingPictures());
        QVERIFY(exit->requested);
        QCOMPARE(shown->shown.size(), 1);
        QCOMPARE(shown->shown[0].caption, QStringLiteral("错误"));
        QCOMPARE(shown->shown[0].text, QStringLiteral("无法提取资源文件！"));
        QCOMPARE(shown->shown[0].buttonSet, 1);
        QCOMPARE(shown->shown[0].page, 2);
        QCOMPARE(shown->shown[0].style, QStringLiteral("NO"));
    }

    void stateFollowsTheAnswerGiven() {
        QCOMPARE(QuestionStateFor(QString(), QStringLiteral("A")), QuestionState::NotAnswered);
        QCOMPARE(QuestionStateFor(QStringLiteral(""), QString()), QuestionState::NotAnswered);
        QCOMPARE(QuestionStateFor(QStringLiteral("AC"), QStringLiteral("AC")), QuestionState::Right);
        QCOMPARE(QuestionStateFor(QStringLiteral("A"), QStringLiteral("AC")), QuestionState::Wrong);
        QCOMPARE(QuestionStateFor(QStringLiteral("ac"), QStringLiteral("AC")), QuestionState::Wrong);
        QCOMPARE(QuestionStateFor(QStringLiteral("B"), QString()), QuestionState::Wrong);
    }

    void showDesktopMinimisesTheProgramsVisibleWindows() {
        QWidget main;
        QWidget practice;
        QWidget hidden;
        main.show();
        practice.show();
        QVERIFY(QTest::qWaitForWindowExposed(&practice));
        ShowDesktop();
        QTRY_VERIFY(main.isMinimized());
        QTRY_VERIFY(practice.isMinimized());
        // A window that was not on screen is not brought up by minimising it.
        QVERIFY(!hidden.isVisible());
        QVERIFY(!hidden.isMinimized());
    }
};

QTEST_MAIN(PicturesTest)
#include "tst_notes_pictures.moc"
