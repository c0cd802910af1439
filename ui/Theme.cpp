#include "ui/Theme.h"

#include <QApplication>

void ApplyTheme(QApplication& app) {
    // Object names are the ones the windows give their parts (QuestionView, AnswerPanel, epLabel2 ...).
    app.setStyleSheet(QStringLiteral(R"(
QDialog, QMainWindow { background: #f2f5fa; }
QGroupBox { font-weight: bold; color: #1e3a5f; border: 1px solid #d3dcea; border-radius: 8px;
            margin-top: 14px; padding: 8px 6px 6px 6px; background: #ffffff; }
QGroupBox::title { subcontrol-origin: margin; left: 10px; padding: 0 4px; }
QPushButton { background: #ffffff; color: #1f2d3d; border: 1px solid #b9c7db; border-radius: 6px;
              padding: 6px 12px; min-height: 22px; }
QPushButton:hover { background: #eaf2ff; border-color: #2e86de; }
QPushButton:pressed { background: #d6e6fb; }
QPushButton:disabled { color: #a4afbd; background: #f4f6f9; border-color: #dde3ec; }
QPushButton#Done, QPushButton#PracticeNew { background: #2e86de; color: white; border-color: #2371c0; font-weight: bold; }
QPushButton#Done:hover, QPushButton#PracticeNew:hover { background: #2371c0; }
QPushButton#Close { color: #b03a2e; }
QLabel#epLabel2 { font-size: 17px; font-weight: bold; color: #1e3a5f; padding: 6px 10px;
                  border-left: 5px solid #2e86de; background: #ffffff; border-radius: 4px; }
QLabel#QuestionHeader { font-size: 14px; font-weight: bold; color: #2371c0; }
QLabel#StatusLine1, QLabel#StatusLine2 { color: #c0392b; }
QLabel#GroupInfo, QLabel#Clock { color: #1e3a5f; font-weight: bold; }
QTextBrowser#UpperStem, QTextBrowser#LowerStem { background: #ffffff; border: 1px solid #d3dcea;
            border-radius: 8px; padding: 8px; font-size: 16px; }
QStackedWidget#AnswerPages { background: #ffffff; border: 1px solid #d3dcea; border-radius: 8px; }
QLabel#PageCaption { color: #5b6b7f; font-weight: bold; padding: 0 6px; }
QStackedWidget#AnswerPages QToolButton { background: #f7f9fc; border: 1px solid #b9c7db; border-radius: 8px;
            font-size: 16px; font-weight: bold; color: #1f2d3d; }
QStackedWidget#AnswerPages QToolButton:hover { border-color: #2e86de; }
QStackedWidget#AnswerPages QToolButton:checked { background: #2e86de; color: white; border-color: #2371c0; }
QWidget#AnswerPanel { background: #fdf6e3; border: 2px solid #e0b34c; border-radius: 10px; }
QWidget#AnswerPanel[right="true"] { background: #eafaf1; border-color: #27ae60; }
QWidget#AnswerPanel[right="false"] { background: #fdecea; border-color: #e74c3c; }
QLabel#AnswerPanelText { font-size: 18px; color: #1f2d3d; }
QTableWidget { background: #ffffff; alternate-background-color: #f6f9fd; gridline-color: #e3e9f2;
               selection-background-color: #2e86de; selection-color: white; border: 1px solid #d3dcea;
               border-radius: 6px; }
QHeaderView::section { background: #1e3a5f; color: white; padding: 6px; border: none;
                       border-right: 1px solid #2b4d78; font-weight: bold; }
QLCDNumber { background: #10233d; color: #7fe3a0; border: 5px solid #10233d; border-radius: 6px; }
QLabel#GaugeCaption { color: #5b6b7f; }
QScrollBar:vertical { background: #eef2f7; width: 12px; margin: 0; border-radius: 6px; }
QScrollBar:horizontal { background: #eef2f7; height: 12px; margin: 0; border-radius: 6px; }
QScrollBar::handle:vertical { background: #93a8c4; min-height: 28px; border-radius: 6px; }
QScrollBar::handle:horizontal { background: #93a8c4; min-width: 28px; border-radius: 6px; }
QScrollBar::handle:hover { background: #5f7fa8; }
QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; }
QScrollBar::add-page, QScrollBar::sub-page { background: none; }
QLabel#Score { font-size: 18px; font-weight: bold; color: #2371c0; }
QProgressBar#Gauge { border: 1px solid #b9c7db; border-radius: 6px; background: #ffffff; }
QProgressBar#Gauge::chunk { background: qlineargradient(x1:0,y1:1,x2:0,y2:0, stop:0 #27ae60, stop:0.7 #f1c40f, stop:1 #e74c3c);
                            border-radius: 5px; }
QListWidget, QPlainTextEdit, QLineEdit, QComboBox { background: #ffffff; border: 1px solid #b9c7db; border-radius: 6px; padding: 4px; }
)"));
}
