#pragma once

#include "authoring/QuestionRules.h"

#include <QDialog>
#include <QList>

class ExamPointList;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QToolButton;
class QVBoxLayout;
class RichTextEditor;

// What question entry and question editing share: the rich-text editors with their tool buttons, the
// option count, the answer, the type list of the current paper kind and the exam-point list with the
// picker behind "添加考点".
class AuthoringForm : public QDialog {
    Q_OBJECT

public:
    explicit AuthoringForm(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(AuthoringForm)

    QSpinBox* SE_Num;
    QLineEdit* Edit1;
    QComboBox* ComboBox1;
    ExamPointList* ListBox1;
    QPushButton* AddPointsButton;

    // The type chosen in the list (row of the type table), or nullptr.
    const authoring::QuestionType* ChosenType() const;
    // Adds exam points through the picker, as the "添加考点" button does.
    void AddExamPoints();
    // Opens the picker's help page, as the "使用说明" button does.
    void ShowHelp();
    // Inserts a picture file, asked for with the file dialog, into the editor last worked in.
    void InsertPicture();

protected:
    // Builds the editors' tool row and the side panel into the window's layout; the subclass adds its
    // editors with addEditor first.
    RichTextEditor* addEditor(const QString& label, const QString& name, QVBoxLayout* column, int stretch);
    QWidget* buildToolRow();
    QWidget* buildSidePanel(const QString& optionsLabel, const QString& answerLabel, const QString& typeLabel,
                            const QList<QPushButton*>& buttons);
    QPushButton* makeButton(const QString& caption, const QString& name);

    // Fills the type list from the current paper kind's table (a kind of 0 becomes 1).
    void LoadTypes();
    // Subjective types: one option and the answer "1", both fixed.
    void FixForSubjective();
    void EnableOptionsAndAnswer();
    // The limit message when ten points are listed already.
    virtual QString PointLimitText() const = 0;
    virtual int CallerMark() const = 0;

    // Checks the form before a save: the stem, the answer, the type, then the answer against the type.
    // Shows the first problem, puts the focus on its field and returns false; on success *answer is the
    // key to store.
    bool Validate(RichTextEditor* stem, const authoring::QuestionType* type, QString* answer);

    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    QList<authoring::QuestionType> m_types;
    QList<RichTextEditor*> m_editors;
    RichTextEditor* m_lastEditor = nullptr;
    bool m_settingType = false;
};
