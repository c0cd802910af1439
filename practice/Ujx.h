#pragma once

#include <QDialog>
#include <QString>

class QPushButton;
class QTextBrowser;

namespace store {
class DataSet;
}

// The explanation viewer: the rich-text explanation of the current row of the caller's question
// list, read-only.
class TFrmJx : public QDialog {
    Q_OBJECT

public:
    explicit TFrmJx(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TFrmJx)

    // Shows fieldName of dataSet's current row. Any failure (no set, a closed set, no current row,
    // no such field) leaves the view empty: the learner still gets a window to close.
    void bind(store::DataSet* dataSet, const QString& fieldName);

    QTextBrowser* DBRichEdit1;
    QPushButton* CloseButton;

protected:
    void showEvent(QShowEvent* event) override;
};
