#pragma once

#include <string>

namespace ui {

// $XDG_CONFIG_HOME/map-utility; ~/.config/map-utility when the variable is
// unset, empty or relative. Bytes, as the environment holds them.
std::string ConfigDirectoryPath();

// Creates the folder when missing and makes it the current directory, so it
// becomes the start directory. Raises runtime::Exception, naming the folder,
// when it cannot be entered.
void EnterConfigDirectory(const std::string &path);

// The list's Save dialog opens in the documents folder once this is called
// (started from the menu); otherwise in the start directory.
void SaveListsInDocuments();
std::string ListSaveDirectory(const std::string &startDirectory);

} // namespace ui
