#pragma once

#include <QHash>
#include <QWidget>

#include <functional>
#include <memory>

class MenuPlayer;
class MusicPlayer;
class TDM1;

// The main window: borderless, filling the screen, with the animated menu whose command strings it
// turns into windows.
class TFrmStart : public QWidget {
    Q_OBJECT

public:
    explicit TFrmStart(const QString& menuFile, QWidget* parent = nullptr);
    ~TFrmStart() override;
    Q_DISABLE_COPY_MOVE(TFrmStart)

    // Runs a menu command. Commands match exactly, letter case included; anything else does nothing.
    void Dispatch(const QString& command);
    // Mock paper of a kind: stores the kind, then draws and opens the paper.
    void mnks(int kind);

    // Sets what a command opens; a command without a window tells the learner it is not available yet.
    void SetWindowOpener(const QString& command, std::function<void()> open);

    MenuPlayer* Menu() const { return m_menu; }

    // The background music: with on, plays file once from its start in place of what plays; without,
    // stops. Tells the learner when there is no sound device or the tune cannot be played. Returns at
    // once; the music outlives the settings window that started it.
    void PlayBackgroundMusic(const QString& file, bool on);

    // Fills QuestionTimeTable from the question-type table of the current paper kind.
    static void LoadQuestionTimeTable(TDM1& dm);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormShow();
    void Quit();
    void Open(const QString& command);

    MenuPlayer* m_menu;
    std::unique_ptr<MusicPlayer> m_music;
    QString m_menuFile;
    bool m_shown = false;
    QHash<QString, std::function<void()>> m_openers;
};

extern TFrmStart* FrmStart;

// Study-plan reminder of "quit": compares today's log with the plan and asks or congratulates.
// True when the program should end.
bool StudyPlanReminder(TDM1& dm);
