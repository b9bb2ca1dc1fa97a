#include "JpegPicture.h"

#include <QFile>
#include <QImageReader>

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace ui {

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void failDecode(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager *>(info->err)->jump, 1);
}

void ignoreMessage(j_common_ptr) {}

// Owns the decompressor so that every path out releases it.
struct Decompressor {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    ~Decompressor() { jpeg_destroy_decompress(&info); }
};

// libjpeg reports errors by longjmp back to this frame; the jump leaves only
// libjpeg's own frames, so the decompressor here is still released.
bool decode(const QByteArray &data, QImage &image)
{
    Decompressor jpeg;
    jpeg.info.err = jpeg_std_error(&jpeg.errors.base);
    jpeg.errors.base.error_exit = failDecode;
    jpeg.errors.base.output_message = ignoreMessage;
    if (setjmp(jpeg.errors.jump))
        return false;
    jpeg_create_decompress(&jpeg.info);
    jpeg_mem_src(&jpeg.info, reinterpret_cast<const unsigned char *>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&jpeg.info, TRUE);
    jpeg.info.out_color_space = JCS_RGB;
    // A damaged header may claim any size: refuse what Qt's own readers
    // would, and any image that could not be allocated.
    const qint64 bytes = qint64(jpeg.info.image_width) * jpeg.info.image_height * 3;
    if (bytes > qint64(QImageReader::allocationLimit()) * 1024 * 1024)
        return false;
    jpeg_start_decompress(&jpeg.info);
    image = QImage(static_cast<int>(jpeg.info.output_width), static_cast<int>(jpeg.info.output_height),
                   QImage::Format_RGB888);
    if (image.isNull())
        return false;
    while (jpeg.info.output_scanline < jpeg.info.output_height) {
        JSAMPROW row = image.scanLine(static_cast<int>(jpeg.info.output_scanline));
        jpeg_read_scanlines(&jpeg.info, &row, 1);
    }
    jpeg_finish_decompress(&jpeg.info);
    return true;
}

} // namespace

QImage LoadJpeg(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();
    QImage image;
    if (!decode(data, image))
        return {};
    return image;
}

} // namespace ui
