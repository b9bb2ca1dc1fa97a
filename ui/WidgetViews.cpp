#include "WidgetViews.h"

#include "ByteText.h"
#include "FileDialogs.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>

namespace ui {

void ProgressBarView::setMaximum(int maximum)
{
    bar_.setMaximum(maximum);
}

void ProgressBarView::setPosition(int position)
{
    bar_.setValue(position);
    // The search runs in the handler: paint now, the event loop is not running.
    bar_.repaint();
}

int ProgressBarView::position() const
{
    return bar_.value();
}

void ProgressBarView::setVisible(bool visible)
{
    bar_.setVisible(visible);
}

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
    return AskSaveFileName(parent_, initialDirectory, suggestedName);
}

} // namespace ui
