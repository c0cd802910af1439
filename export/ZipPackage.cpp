#include "export/ZipPackage.h"

#include <zip.h>

#include <memory>
#include <stdexcept>

namespace docx {

namespace {

[[noreturn]] void zipFailed(const char* what, zip_error_t* error) {
    std::string text = std::string(what) + ": " + (error ? zip_error_strerror(error) : "");
    if (error)
        zip_error_fini(error);
    throw std::runtime_error(text);
}

struct SourceRelease {
    void operator()(zip_source_t* s) const { zip_source_free(s); }
};
using Source = std::unique_ptr<zip_source_t, SourceRelease>;

// An archive opened for reading over bytes the caller keeps alive.
zip_t* openForReading(const QByteArray& archive) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* src =
        zip_source_buffer_create(archive.constData(), zip_uint64_t(archive.size()), 0, &error);
    if (!src) {
        zip_error_fini(&error);
        return nullptr;
    }
    zip_t* za = zip_open_from_source(src, ZIP_RDONLY, &error);
    zip_error_fini(&error);
    if (!za)
        zip_source_free(src);
    return za;
}

} // namespace

QByteArray zipParts(const QList<PackagePart>& parts) {
    zip_error_t error;
    zip_error_init(&error);
    Source buffer(zip_source_buffer_create(nullptr, 0, 0, &error));
    if (!buffer)
        zipFailed("zip buffer", &error);
    zip_t* za = zip_open_from_source(buffer.get(), ZIP_TRUNCATE, &error);
    if (!za)
        zipFailed("zip open", &error);
    // The archive releases the source when it closes; we read the result from it afterwards.
    zip_source_keep(buffer.get());
    for (const PackagePart& part : parts) {
        zip_source_t* s = zip_source_buffer(za, part.data.constData(), zip_uint64_t(part.data.size()), 0);
        const zip_int64_t index =
            s ? zip_file_add(za, part.name.toUtf8().constData(), s, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE) : -1;
        if (index < 0) {
            if (s)
                zip_source_free(s);
            zip_discard(za);
            throw std::runtime_error("zip add " + part.name.toStdString());
        }
        zip_set_file_compression(za, zip_uint64_t(index), part.compress ? ZIP_CM_DEFLATE : ZIP_CM_STORE, 0);
    }
    if (zip_close(za) < 0) {
        zip_error_t* e = zip_get_error(za);
        std::string text = std::string("zip close: ") + zip_error_strerror(e);
        zip_discard(za);
        throw std::runtime_error(text);
    }
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_source_stat(buffer.get(), &st) < 0 || zip_source_open(buffer.get()) < 0)
        throw std::runtime_error("zip read back");
    QByteArray out(qsizetype(st.size), Qt::Uninitialized);
    const zip_int64_t got = zip_source_read(buffer.get(), out.data(), st.size);
    zip_source_close(buffer.get());
    if (got != zip_int64_t(st.size))
        throw std::runtime_error("zip read back");
    return out;
}

QByteArray unzipPart(const QByteArray& archive, const QString& name, bool* found) {
    if (found)
        *found = false;
    zip_t* za = openForReading(archive);
    if (!za)
        return {};
    QByteArray out;
    zip_stat_t st;
    zip_stat_init(&st);
    const QByteArray utf8 = name.toUtf8();
    if (zip_stat(za, utf8.constData(), 0, &st) == 0) {
        if (zip_file_t* f = zip_fopen(za, utf8.constData(), 0)) {
            out.resize(qsizetype(st.size));
            const zip_int64_t got = zip_fread(f, out.data(), st.size);
            zip_fclose(f);
            if (got == zip_int64_t(st.size)) {
                if (found)
                    *found = true;
            } else {
                out.clear();
            }
        }
    }
    zip_discard(za);
    return out;
}

QStringList zipEntryNames(const QByteArray& archive) {
    QStringList names;
    zip_t* za = openForReading(archive);
    if (!za)
        return names;
    const zip_int64_t n = zip_get_num_entries(za, 0);
    for (zip_int64_t i = 0; i < n; ++i)
        names << QString::fromUtf8(zip_get_name(za, zip_uint64_t(i), ZIP_FL_ENC_GUESS));
    zip_discard(za);
    return names;
}

} // namespace docx
