#include "richtext/RichText.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

using richtext::readRtf;
using richtext::writeRtf;

namespace {

// Every fragment of the document in order: its text and the formats a round trip must keep.
struct Run {
    QString text;
    bool bold, italic, underline;
    bool operator==(const Run&) const = default;
};

QList<Run> runs(const QTextDocument& doc) {
    QList<Run> result;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            result.append({it.fragment().text(), f.fontWeight() >= QFont::DemiBold, f.fontItalic(),
                           f.fontUnderline()});
        }
    }
    return result;
}

[[maybe_unused]] char* toString(const Run& r) {
    const QString s = QStringLiteral("[%1 b%2 i%3 u%4]").arg(r.text).arg(r.bold).arg(r.italic).arg(r.underline);
    return qstrdup(s.toUtf8().constData());
}

} // namespace

class TestRtfWriter : public QObject {
    Q_OBJECT
private slots:
    void markdownStemSurvives();
    void textOutsideGbkSurvives();
};

void TestRtfWriter::markdownStemSurvives() {
    QTextDocument source;
    source.setMarkdown(QStringLiteral("下列关于**增值税**的说法，*正确*的是（ ）。\n\nA. 选项一\n\nB. 选项二"));
    const QByteArray rtf = writeRtf(source);
    QVERIFY(rtf.startsWith("{\\rtf1\\ansi\\ansicpg936"));
    QVERIFY2(!QString::fromLatin1(rtf).contains(QRegularExpression(QStringLiteral("\\\\u-?\\d"))),
             "every character here exists in GBK");
    QTextDocument copy;
    readRtf(rtf, &copy);
    QCOMPARE(copy.toPlainText(), source.toPlainText());
    QCOMPARE(runs(copy), runs(source));
}

void TestRtfWriter::textOutsideGbkSurvives() {
    QTextDocument source;
    const QString text = QString::fromUtf8("emoji 😀, 𠀀 and ﬁ, tab\there {braces} \\ back");
    source.setPlainText(text);
    const QByteArray rtf = writeRtf(source);
    for (const char c : rtf)
        QVERIFY(static_cast<unsigned char>(c) < 0x80);
    QTextDocument copy;
    readRtf(rtf, &copy);
    QCOMPARE(copy.toPlainText(), text);
}

QTEST_MAIN(TestRtfWriter)
#include "tst_rtfwriter.moc"
