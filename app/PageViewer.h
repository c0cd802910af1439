#pragma once

#include <QDialog>

class QPushButton;
class QTextBrowser;

// The pages delivered with the program under htm/ - the regulations, the contacts, the user's guide -
// shown in a window of our own. Links between the pages are followed; links that lead out of the
// program are not.
class PageViewer : public QDialog {
    Q_OBJECT

public:
    explicit PageViewer(const QString& file, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(PageViewer)

    QTextBrowser* Browser() const { return m_browser; }
    // The file on show.
    QString PageFile() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Follow(const QUrl& link);

    QTextBrowser* m_browser;
    QPushButton* m_back;
    QPushButton* m_forward;
    QString m_home;
    bool m_shown = false;
};

// The pages of the menu commands, under the program folder.
namespace pages {
inline constexpr const char* Regulations = "htm/lawbook.htm";
inline constexpr const char* Contacts = "htm/发行站及专业书店联系方式.htm";
inline constexpr const char* Guide = "htm/help.htm";
} // namespace pages

// Shows ProgramFolder + relativePath modally over owner. A page that is missing or cannot be read does
// nothing at all - no window, no message - and false comes back.
bool OpenPage(QWidget* owner, const QString& relativePath);
