#pragma once

#include "runtime/directory_handle.h"

#include <memory>
#include <string>

namespace ui {

// The base folder an XDG variable names ("XDG_CONFIG_HOME"), or ~/underHome
// (".config") when it is unset, empty or relative, as the base directory
// rules ask. Bytes, as the environment holds them.
std::string XdgBaseDirectory(const char *variable, const char *underHome);

// $XDG_CONFIG_HOME/map-utility, with XdgBaseDirectory's fallback.
std::string ConfigDirectoryPath();

// Creates the folder when missing and makes it the current directory, so it
// becomes the start directory. Raises runtime::Exception, naming the folder,
// when it cannot be entered.
void EnterConfigDirectory(const std::string &path);

// The same, but the folder is held open instead of entered.
std::shared_ptr<const runtime::DirectoryHandle> OpenConfigDirectory(const std::string &path);

// The list's Save dialog opens in the documents folder once this is called
// (started from the menu); otherwise in the start directory.
void SaveListsInDocuments();
std::string ListSaveDirectory(const std::string &startDirectory);

} // namespace ui
