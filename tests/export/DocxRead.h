#pragma once

// Reads a written .docx back for its structure: the paragraphs of word/document.xml with their text,
// style, page breaks and pictures, and the tables.
#include <QByteArray>
#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>

namespace docxtest {

struct Run {
    QString text;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    QString color;
    int halfPoints = 0;
    QString eastAsiaFont;
};

struct Paragraph {
    QString text; // the runs' text, a tab as '\t', a line break as '\n'
    QString style;
    QString align;
    bool pageBreak = false;
    int pictures = 0;
    bool inTable = false;
    QList<Run> runs;
};

struct Package {
    bool ok = false;
    QString error; // what made the package unreadable
    QStringList entries;
    QList<Paragraph> paragraphs;
    int tables = 0;
    QStringList gridSpans;      // "row,column:span" of every merged cell
    QStringList pictureTargets; // the media the document's pictures point at, in order
    QByteArray documentXml;
    QByteArray stylesXml;
};

// Unzips bytes and parses the document, its relationships and its styles. ok is false when the package
// lacks a part or a part is not well-formed XML.
Package readPackage(const QByteArray& bytes);
Package readFile(const QString& path);

// A picture of one colour as PNG bytes.
QByteArray png(int width, int height, const QColor& color);

// The texts of the paragraphs.
QStringList texts(const Package& p);

} // namespace docxtest
