#pragma once

#include <QDate>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace tools {

// The content of a question bank as authors write it by hand (see content/README.md for the format).
struct SourceChapter {
    QString code, name, title, explain;
    bool chart = false;
    int order = 0; // display order (bh); 0: after the rows before it
};
struct SourceTypeRow {
    int kind = 1, id = 0, count = 0;
    QString name;
    double score = 0, minutes = 1;
};
struct SourceCatalogue {
    QString id, name;
    int order = 0; // display order (bh); 0: after the rows before it
};
struct SourcePoint {
    QString ftid, title, text;
};
struct SourceGroup {
    QString id, stem;
};
struct SourceQuestion {
    QString id, chapter, answer, stem, explain, notes;
    int type = 0, options = 0;
    QStringList points;
    QString where; // file:line, for messages
};
struct BankSource {
    QMap<QString, QString> product; // title, cpbs, sjbs
    QMap<QString, QString> plan;    // tab_plan columns
    QList<SourceTypeRow> types;
    QList<SourceChapter> chapters;
    QList<SourceCatalogue> catalogue;
    QList<SourcePoint> points;
    QList<SourceGroup> groups;
    QList<SourceQuestion> questions;
};

// Reads source text into src; problems are appended to errors as "file:line: message".
void parseBankSource(const QString& text, const QString& fileName, BankSource* src, QStringList* errors);
// Reads every *.txt file of a folder in name order, or one file.
BankSource readBankSource(const QString& path, QStringList* errors);

} // namespace tools
