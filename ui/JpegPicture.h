#pragma once

#include <QImage>
#include <QString>

namespace ui {

// Decodes a JPEG file (a resource path works) with libjpeg; a null image
// when the file is missing or not a JPEG.
QImage LoadJpeg(const QString &path);

} // namespace ui
