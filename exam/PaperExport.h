#pragma once

#include "export/DocxWriter.h"

#include <QString>

class QTextDocument;
class QWidget;
class TDM1;

// "一、" to "五、" for the first five sections of an exported paper, "--" for any later one.
QString ChineseOrdinal(int section);
// ordinal + type name + "[共" count "题，每题" score "分，总计" count*score "分]": the composition table's
// figures, not the number of questions in the paper.
QString SectionHeading(int section, const QString& typeName, qint64 count, double score);

// The document of a paper (its table's rows in the exam's order, by type and id): the title; the questions
// numbered as in the exam window, a section with its heading wherever the type changes, a group's shared
// stem before each of its questions; then on a new page "答案：" and for every question its answer (the
// key of a choice, "正确"/"错误" of a judgement), its explanation and its exam points with their texts.
// Headings and types come from the composition table of kind. Throws store::DbError.
void BuildPaperDocument(TDM1& dm, const QString& table, const QString& title, int kind, QTextDocument* doc);

// The document's East Asian face (the Simplified Chinese face installed here) and title.
docx::Options PaperDocumentOptions(const QString& title);

// "生成文档": asks where to save the paper (a Word document, or a PDF), writes it and opens it in the
// desktop's viewer. Every failure shows "导出试题发生错误，请退出后重试！" and leaves no half-written
// file under the chosen name. Returns the file written, empty when nothing was.
QString ExportPaper(QWidget* parent, const QString& table, const QString& title, int kind);
