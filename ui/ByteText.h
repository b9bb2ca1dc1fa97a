#pragma once

#include <QString>

#include <string>

class QLabel;
class QLineEdit;

namespace ui {

// File names and paths are bytes in the file-system encoding.
QString DecodeName(const std::string &bytes);
std::string EncodeName(const QString &text);

// Fields that show a path keep its bytes: a name that does not decode cleanly
// comes back unchanged as long as nobody edits the text.
void SetBytesText(QLineEdit &edit, const std::string &bytes);
std::string BytesText(const QLineEdit &edit);
void SetBytesText(QLabel &label, const std::string &bytes);
std::string BytesText(const QLabel &label);

} // namespace ui
