#include "authoring/ExamPointList.h"

#include <QKeyEvent>

ExamPointList::ExamPointList(QWidget* parent) : QListWidget(parent) {
    setToolTip(QStringLiteral("点击\"Delete\"键可以删除考点"));
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void ExamPointList::addPoint(const QString& ftid, const QString& text) {
    m_ftids << ftid;
    addItem(text);
}

bool ExamPointList::hasPoint(const QString& ftid) const {
    for (const QString& f : m_ftids)
        if (f.compare(ftid, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool ExamPointList::removeSelected() {
    const QList<QListWidgetItem*> selected = selectedItems();
    if (selected.isEmpty())
        return false;
    const int r = row(selected.first());
    delete takeItem(r);
    m_ftids.removeAt(r);
    return true;
}

void ExamPointList::clearPoints() {
    clear();
    m_ftids.clear();
}

void ExamPointList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete) {
        removeSelected();
        return;
    }
    QListWidget::keyPressEvent(event);
}
