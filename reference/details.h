#pragma once

#include <QWidget>

class QLabel;
class QListWidget;
class QSplitter;
class QTextBrowser;

// The detail pane of the exam-point browser: the points of one catalogue section on the left, the
// selected point's text on the right and its counters on a note line underneath. The browser makes a new
// pane for every section it opens and places it in its body; the pane is never a window of its own.
class TfrmLawDetail : public QWidget {
    Q_OBJECT

public:
    explicit TfrmLawDetail(QWidget* parent);
    Q_DISABLE_COPY_MOVE(TfrmLawDetail)

    // Shows a stored rich-text blob in the viewer; an empty blob clears it.
    void showText(const QByteArray& richText);

    QListWidget* m_LBmenu;
    QSplitter* m_Splitter;
    QTextBrowser* Re;
    QLabel* m_pNote;
};
