#pragma once

#include <QList>
#include <QString>

class QTextDocument;
class TDM1;

// The wrong-question book (错题本) of a chapter: its questions still answered wrong (mastery below zero),
// or the ones the learner starred, each with its stem, the learner's last answer, the key and the
// explanation, as a document to save as a Word document or a PDF.
namespace wrongbook {

enum class Kind { Wrong, Bookmarked };

struct Entry {
    QString id;
    int type = 0;
    QString key;
    QString lastAnswer; // E2: the last answer given, "zero" for a question voided before an answer
};

// The questions of the chapters under code (its first characters), in the practice's order (type,
// chapter, listing order, id). Throws store::DbError.
QList<Entry> ReadEntries(TDM1& dm, const QString& code, Kind kind);

// "错题本 — <chapter>" or "收藏题 — <chapter>".
QString Title(Kind kind, const QString& chapterName);

// The document: its title, then every entry numbered with its group's shared stem, its stem, "你的答案：",
// "正确答案：" and "解析：". Returns the number of questions in it. Throws store::DbError.
int BuildDocument(TDM1& dm, const QString& code, const QString& chapterName, Kind kind, QTextDocument* doc);

} // namespace wrongbook
