#include "SearchProgress.h"

#include <QCoreApplication>
#include <QLayout>
#include <QProgressBar>

#include <algorithm>

namespace ui {

namespace {

constexpr qint64 EventIntervalMs = 100;

} // namespace

SearchProgress::SearchProgress(QProgressBar &bar) : bar_(bar), maximum_(std::max(bar.maximum(), 0))
{
    position_ = std::clamp(bar.value(), 0, maximum_);
    sinceEvents_.start();
}

void SearchProgress::setMaximum(int maximum)
{
    maximum_ = std::max(maximum, 0);
    position_ = std::min(position_, maximum_);
    // A range of 0 to 0 would turn the bar into a busy indicator.
    bar_.setRange(0, std::max(maximum_, 1));
    bar_.setValue(position_);
}

void SearchProgress::setPosition(int position)
{
    position_ = std::clamp(position, 0, maximum_);
    bar_.setValue(position_); // repaints at once, and only when the fill moves
    if (sinceEvents_.elapsed() >= EventIntervalMs)
        keepWindowPainted();
}

int SearchProgress::position() const
{
    return position_;
}

void SearchProgress::setVisible(bool visible)
{
    bar_.setValue(position_);
    bar_.setVisible(visible);
    // Nothing else will lay out and paint the window before the search ends.
    if (QWidget *parent = bar_.parentWidget()) {
        if (QLayout *layout = parent->layout())
            layout->activate();
        parent->repaint();
    }
}

void SearchProgress::keepWindowPainted()
{
    // Exposes, resizes and the window manager's pings are answered; clicks,
    // keys and close requests stay queued until the search has finished.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    sinceEvents_.start();
}

} // namespace ui
