#pragma once

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;

namespace store {
class Database;
}

// The exam-point picker: on its selection page the learner chooses a catalogue heading and ticks exam
// points filed under it for the question being entered or edited; its help page explains how a question
// is filled in.
class TFrmSelectFG : public QDialog {
    Q_OBJECT

public:
    enum Page { SelectionPage = 0, HelpPage = 1 };
    enum Caller { Entry = 1, Editing = 2 };

    // db is the question bank (DM1's connection when null). The picker only reads.
    explicit TFrmSelectFG(QWidget* parent = nullptr, store::Database* db = nullptr);
    Q_DISABLE_COPY_MOVE(TFrmSelectFG)

    void ShowPage(Page page);
    // Which window asks and the exam points its question carries while the picker is open (the list is
    // read, never changed, and must outlive the picker); alreadyListed is how many it carries.
    void SetAsking(Caller caller, const QStringList* askingPoints, int alreadyListed);

    // After an OK close: the heading chosen, and for every point listed its id, its title and whether
    // the learner ticked it (ticks the picker set itself for points already carried do not count).
    struct Point {
        QString ftid;
        QString title;
        bool ticked = false;
    };
    QString ChosenHeading() const;
    QList<Point> Points() const;

    // Choosing a heading as the learner does.
    void ChooseHeading(int index);

    // The fixed help text, one entry per line.
    static QStringList HelpLines();

    QStackedWidget* Pages;
    QComboBox* ComboBox1;
    QListWidget* CheckListBox1;
    QPushButton* OkButton;
    QPushButton* CloseButton;
    QPlainTextEdit* HelpText;
    QPushButton* HelpCloseButton;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void LoadHeadings();
    void FillPoints(const QString& headingId, bool preTick);
    void HeadingChanged(int index);
    void PointTicked(QListWidgetItem* item);
    void Confirm();
    bool carried(const QString& ftid) const;

    store::Database* m_db;
    Caller m_caller = Entry;
    const QStringList* m_asking = nullptr;
    int m_alreadyListed = 0;
    QStringList m_headingIds;  // the hidden heading-code list
    QStringList m_pointIds;    // the hidden point list
    QVector<bool> m_userTicks; // its tick states, set only by the learner's clicks
    bool m_filling = false;
    bool m_loaded = false;
};
