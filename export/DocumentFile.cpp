#include "export/DocumentFile.h"

#include "export/PdfWriter.h"

#include <QFileInfo>
#include <QSaveFile>

#include <stdexcept>

namespace docx {

namespace {

qint64 g_failAfter = -1;

// Passes writes on to a target until a number of bytes, then fails as a full disk does.
class LimitedDevice final : public QIODevice {
public:
    LimitedDevice(QIODevice* target, qint64 limit) : m_target(target), m_limit(limit) {
        open(QIODevice::WriteOnly);
    }
    bool failed() const { return m_failed; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 len) override {
        if (m_failed || m_written + len > m_limit) {
            const qint64 part = qMax<qint64>(0, m_limit - m_written);
            if (!m_failed && part > 0)
                m_target->write(data, part);
            m_written += part;
            m_failed = true;
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        const qint64 n = m_target->write(data, len);
        if (n != len)
            m_failed = true;
        m_written += qMax<qint64>(0, n);
        return n;
    }

private:
    QIODevice* m_target;
    qint64 m_limit;
    qint64 m_written = 0;
    bool m_failed = false;
};

} // namespace

void failDocumentWritesAfter(qint64 bytes) {
    g_failAfter = bytes;
}

DocumentFormat formatForFile(const QString& path, const QString& selectedFilter) {
    if (selectedFilter.contains(QLatin1String("*.pdf"), Qt::CaseInsensitive))
        return DocumentFormat::Pdf;
    if (selectedFilter.contains(QLatin1String("*.docx"), Qt::CaseInsensitive))
        return DocumentFormat::Docx;
    return QFileInfo(path).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0
               ? DocumentFormat::Pdf
               : DocumentFormat::Docx;
}

QString withExtension(const QString& path, DocumentFormat format) {
    const QString wanted = format == DocumentFormat::Pdf ? QStringLiteral("pdf") : QStringLiteral("docx");
    const QString other = format == DocumentFormat::Pdf ? QStringLiteral("docx") : QStringLiteral("pdf");
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.compare(wanted, Qt::CaseInsensitive) == 0)
        return path;
    if (suffix.compare(other, Qt::CaseInsensitive) == 0)
        return path.chopped(suffix.size()) + wanted;
    return path + u'.' + wanted;
}

void saveDocument(const QTextDocument& doc, const QString& path, DocumentFormat format,
                  const Options& options) {
    QSaveFile file(path);
    // Without this a file in a folder we may not write in would be written in place, half-written on failure.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        throw std::runtime_error("cannot create " + path.toStdString() + ": " +
                                 file.errorString().toStdString());
    bool failed = false;
    try {
        if (g_failAfter >= 0) {
            LimitedDevice limited(&file, g_failAfter);
            if (format == DocumentFormat::Pdf)
                writePdf(doc, &limited, options.title, options.eastAsiaFont);
            else
                writeDocx(doc, &limited, options);
            failed = limited.failed();
        } else if (format == DocumentFormat::Pdf) {
            writePdf(doc, &file, options.title, options.eastAsiaFont);
        } else {
            writeDocx(doc, &file, options);
        }
    } catch (...) {
        file.cancelWriting();
        throw;
    }
    if (failed) {
        file.cancelWriting();
        throw std::runtime_error("writing " + path.toStdString() + " failed");
    }
    // The PDF writer does not report a failed write; the file remembers it and refuses to commit.
    if (!file.commit())
        throw std::runtime_error("cannot write " + path.toStdString() + ": " +
                                 file.errorString().toStdString());
}

} // namespace docx
