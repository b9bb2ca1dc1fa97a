#pragma once

#include <memory>

class TForm1;

namespace ui {

// The application title, the program icon and the stand-in fonts; once,
// before any window is created.
void ConfigureApplication();

// Creates every window of the program once, in the fixed order, and sets the
// global instance pointers. The dialogs belong to the returned main window.
std::unique_ptr<TForm1> CreateApplicationWindows();

} // namespace ui
