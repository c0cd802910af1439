#include "export/PdfWriter.h"

#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <memory>

namespace docx {

namespace {

// A copy of doc whose runs name chineseFace after their own faces.
std::unique_ptr<QTextDocument> withFallbackFace(const QTextDocument& doc, const QString& chineseFace) {
    std::unique_ptr<QTextDocument> copy(doc.clone());
    if (chineseFace.isEmpty())
        return copy;
    QFont font = copy->defaultFont();
    if (QStringList families = font.families(); !families.contains(chineseFace)) {
        if (families.isEmpty())
            families << font.family();
        font.setFamilies(families << chineseFace);
        copy->setDefaultFont(font);
    }
    // The ranges first: changing formats while walking the fragments would split the walk's fragments.
    QList<std::pair<QPair<int, int>, QStringList>> ranges;
    for (QTextBlock block = copy->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QStringList families = fragment.charFormat().fontFamilies().toStringList();
            if (families.isEmpty() || families.contains(chineseFace))
                continue;
            families << chineseFace;
            ranges.push_back({{fragment.position(), fragment.length()}, families});
        }
    }
    QTextCursor cursor(copy.get());
    cursor.beginEditBlock();
    for (const auto& [range, families] : std::as_const(ranges)) {
        QTextCharFormat f;
        f.setFontFamilies(families);
        cursor.setPosition(range.first);
        cursor.setPosition(range.first + range.second, QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(f);
    }
    cursor.endEditBlock();
    return copy;
}

} // namespace

void writePdf(const QTextDocument& doc, QIODevice* out, const QString& title, const QString& chineseFace) {
    QPdfWriter writer(out);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
    writer.setResolution(300);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("velquar"));
    // print() lays out a copy at the page's size, so the document on screen keeps its own layout.
    withFallbackFace(doc, chineseFace)->print(&writer);
}

} // namespace docx
