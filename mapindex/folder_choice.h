#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace mapindex {

// Asks for a maps folder; nothing on Cancel. Tests answer it in advance.
using FolderPicker = std::function<std::optional<std::string>(QWidget *parent, const std::string &startFolder)>;
std::optional<std::string> AskForFolder(QWidget *parent, const std::string &startFolder);
// Where Open Folder starts for the last folder used: that folder, or the
// nearest folder above it that is still there (a disk may be gone); home
// when there is none.
std::string OpenFolderStart(const std::string &lastFolder);

// Asks for the viewer's path, showing the current one; nothing on Cancel.
using ViewerPicker = std::function<std::optional<std::string>(QWidget *parent, const std::string &current)>;
std::optional<std::string> AskForViewer(QWidget *parent, const std::string &current);

// Shown in the table's place when there is no folder yet.
QString NoFolderText();
// Shown in the table's place for a folder without maps.
QString EmptyFolderText(const std::string &folder);

} // namespace mapindex
