#include "platform/jpegcodec.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace jpegcodec {

namespace {

// libjpeg reports errors through a callback that must not return: it jumps back to the caller.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void onError(j_common_ptr info)
{
    auto* e = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, e->message);
    std::longjmp(e->jump, 1);
}

void onMessage(j_common_ptr, int) {}

void setError(QString* error, const char* text)
{
    if (error)
        *error = QString::fromLocal8Bit(text);
}

} // namespace

QImage decode(const QByteArray& bytes, QString* error)
{
    return decodeToFit(bytes, QSize(), error, nullptr);
}

QImage decodeToFit(const QByteArray& bytes, QSize fit, QString* error, QSize* fullSize)
{
    if (bytes.isEmpty()) {
        setError(error, "The file is empty.");
        return QImage();
    }
    jpeg_decompress_struct info{};
    ErrorManager err{};
    info.err = jpeg_std_error(&err.base);
    err.base.error_exit = onError;
    err.base.emit_message = onMessage;
    QImage image; // declared before the jump point, so it is never skipped over
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&info);
        setError(error, err.message);
        return QImage();
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    if (fullSize)
        *fullSize = QSize(static_cast<int>(info.image_width), static_cast<int>(info.image_height));
    if (fit.isValid() && fit.width() > 0) {
        // A height of 0 asks only that the longer side cover the width.
        const bool longerSide = fit.height() == 0;
        const unsigned w = info.image_width, h = info.image_height;
        auto covers = [&](unsigned d) {
            return longerSide ? std::max(w, h) / d >= unsigned(fit.width())
                              : w / d >= unsigned(fit.width()) && h / d >= unsigned(fit.height());
        };
        unsigned denom = 1;
        while (denom < 8 && covers(denom * 2))
            denom *= 2;
        info.scale_num = 1;
        info.scale_denom = denom;
    }
    if (qint64(info.image_width) * info.image_height > kMaxPixels) {
        jpeg_destroy_decompress(&info);
        setError(error, "The picture is too large.");
        return QImage();
    }
    jpeg_start_decompress(&info);
    image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                   QImage::Format_RGB888);
    if (image.isNull() || info.output_components != 3) {
        jpeg_destroy_decompress(&info);
        setError(error, "The picture cannot be held in memory.");
        return QImage();
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.scanLine(static_cast<int>(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return image;
}

QByteArray encode(const QImage& source, int quality, QString* error)
{
    return encode(source, quality, {}, error);
}

namespace {

struct Progress {
    jpeg_progress_mgr base;
    const std::function<void(int)>* percent;
};

void onProgress(j_common_ptr info)
{
    auto* p = reinterpret_cast<Progress*>(info->progress);
    const long total = std::max(1L, p->base.pass_limit) * std::max(1, p->base.total_passes);
    const long done = p->base.completed_passes * std::max(1L, p->base.pass_limit) + p->base.pass_counter;
    (*p->percent)(static_cast<int>(std::clamp(done * 100 / total, 0L, 100L)));
}

} // namespace

QByteArray encode(const QImage& source, int quality, const std::function<void(int)>& percent, QString* error)
{
    if (source.isNull()) {
        setError(error, "The picture is empty.");
        return QByteArray();
    }
    const QImage image =
        source.format() == QImage::Format_RGB888 ? source : source.convertToFormat(QImage::Format_RGB888);
    jpeg_compress_struct info{};
    ErrorManager err{};
    info.err = jpeg_std_error(&err.base);
    err.base.error_exit = onError;
    err.base.emit_message = onMessage;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&info);
        std::free(buffer);
        setError(error, err.message);
        return QByteArray();
    }
    jpeg_create_compress(&info);
    Progress progress{};
    if (percent) {
        progress.base.progress_monitor = onProgress;
        progress.percent = &percent;
        info.progress = &progress.base;
    }
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(image.width());
    info.image_height = static_cast<JDIMENSION>(image.height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, std::clamp(quality, 1, 100), TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        auto row = const_cast<JSAMPROW>(image.constScanLine(static_cast<int>(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QByteArray out(reinterpret_cast<const char*>(buffer), static_cast<qsizetype>(size));
    std::free(buffer);
    return out;
}

} // namespace jpegcodec
