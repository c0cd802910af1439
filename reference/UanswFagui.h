#pragma once

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

class QLabel;
class QListWidget;
class QPushButton;
class QSplitter;
class QTextBrowser;

namespace store {
class Database;
}

// The exam points of one question: their titles on the left, the selected point's text on the right
// and its catalogue heading above. Opened by the practice and exam windows for the question shown.
class TfrmAnswFagui : public QDialog {
    Q_OBJECT

public:
    // db is the question bank (DM1's connection when null). The window only reads.
    explicit TfrmAnswFagui(QWidget* parent = nullptr, store::Database* db = nullptr);
    Q_DISABLE_COPY_MOVE(TfrmAnswFagui)

    // Reads the exam points (K3..K12) of the question and, when it has any, fills the window. False
    // when the question is not in the bank or has no exam point: the caller then shows nothing.
    // Engine errors are thrown (store::DbError).
    bool LoadRelatedPoints(const QString& questionId);

    // The question's exam-point ids in K3..K12 order, as LoadRelatedPoints found them.
    const QStringList& pointIds() const { return m_ftids; }
    // Position of the point shown in the viewer, -1 when there is none.
    int currentPoint() const { return m_current; }

    QLabel* epLabel1;
    QListWidget* ListBox1;
    QTextBrowser* Re;
    QSplitter* Splitter1;
    QPushButton* CloseButton;

private:
    void fillPoints();
    void ListBox1Click(int row);
    void showPoint(int row);
    QString headingOf(const QString& sectionId);
    void closeAndReturn();

    store::Database* m_db;
    QStringList m_ftids;
    QList<QVariant> m_texts; // n of each point, in list order
    int m_current = -1;
    bool m_filling = false;
};
