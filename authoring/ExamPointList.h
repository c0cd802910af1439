#pragma once

#include <QListWidget>
#include <QStringList>

// The exam points of a question being entered or edited: the visible entries, and beside them at the
// same positions the points' ids (the hidden list). The Delete key removes the selected point from both.
class ExamPointList : public QListWidget {
    Q_OBJECT

public:
    explicit ExamPointList(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(ExamPointList)

    void addPoint(const QString& ftid, const QString& text);
    // True when the id is listed already (ids compare without regard to case).
    bool hasPoint(const QString& ftid) const;
    // Removes the selected entry; false when none is selected.
    bool removeSelected();
    void clearPoints();
    const QStringList& ftids() const { return m_ftids; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QStringList m_ftids;
};
