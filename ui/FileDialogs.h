#pragma once

#include <QString>

#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace ui {

// One showing of a file picker, as it was asked for.
struct FileDialogCall {
    QString title;
    std::string directory;
    std::string fileName;
};

// Tests queue the answers of the next pickers (nullopt = Cancel) and read back
// how they were asked; with no answer queued the real dialog is shown.
namespace FileDialogSeam {
void answerNext(std::optional<std::string> fileName);
const std::vector<FileDialogCall> &calls();
void reset();
} // namespace FileDialogSeam

// The list save dialog: starts in directory with suggestedName filled in; no
// filter, no default extension. The chosen full path, or nothing on Cancel.
std::optional<std::string> AskSaveFileName(QWidget *parent, const std::string &directory,
                                           const std::string &suggestedName);

// A file-open dialog offering previousFileName again; any file may be chosen.
std::optional<std::string> AskOpenFileName(QWidget *parent, const QString &title, const std::string &previousFileName);

} // namespace ui
