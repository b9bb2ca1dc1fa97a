#include "Windows1252.h"

#include "catalogue/text_encoding.h"

namespace ui {

QString DecodeWindows1252(std::string_view bytes)
{
    const std::string text = catalogue::Windows1252ToUtf8(bytes);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::optional<std::string> EncodeWindows1252(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    return catalogue::Utf8ToWindows1252(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

} // namespace ui
