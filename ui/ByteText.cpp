#include "ByteText.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QVariant>

namespace ui {

namespace {

constexpr const char *RawBytesProperty = "rawBytes";

std::string bytesBehind(const QObject &holder, const QString &shown)
{
    const QByteArray raw = holder.property(RawBytesProperty).toByteArray();
    if (shown == QFile::decodeName(raw))
        return raw.toStdString();
    return EncodeName(shown);
}

} // namespace

QString DecodeName(const std::string &bytes)
{
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

std::string EncodeName(const QString &text)
{
    return QFile::encodeName(text).toStdString();
}

void SetBytesText(QLineEdit &edit, const std::string &bytes)
{
    edit.setProperty(RawBytesProperty, QByteArray::fromStdString(bytes));
    edit.setText(DecodeName(bytes));
}

std::string BytesText(const QLineEdit &edit)
{
    return bytesBehind(edit, edit.text());
}

void SetBytesText(QLabel &label, const std::string &bytes)
{
    label.setProperty(RawBytesProperty, QByteArray::fromStdString(bytes));
    label.setText(DecodeName(bytes));
}

std::string BytesText(const QLabel &label)
{
    return bytesBehind(label, label.text());
}

} // namespace ui
