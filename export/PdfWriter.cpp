#include "export/PdfWriter.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

namespace docx {

void writePdf(const QTextDocument& doc, QIODevice* out, const QString& title) {
    QPdfWriter writer(out);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
    writer.setResolution(300);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("velquar"));
    // print() lays out a copy at the page's size, so the document on screen keeps its own layout.
    doc.print(&writer);
}

} // namespace docx
