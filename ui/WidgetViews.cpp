#include "WidgetViews.h"

#include "ByteText.h"
#include "ConfigDirectory.h"
#include "FileDialogs.h"

#include <QLabel>
#include <QLineEdit>

namespace ui {

void LabelStatusText::setText(const std::string &text)
{
    label_.setText(DecodeName(text));
    label_.repaint();
}

void LineEditConfigurationFields::setMapsText(const std::string &text)
{
    SetBytesText(maps_, text);
}

void LineEditConfigurationFields::setViewerText(const std::string &text)
{
    SetBytesText(viewer_, text);
}

std::optional<std::string> SaveDialogPrompt::askFileName(const std::string &initialDirectory,
                                                         const std::string &suggestedName)
{
    return AskSaveFileName(parent_, ListSaveDirectory(initialDirectory), suggestedName);
}

} // namespace ui
