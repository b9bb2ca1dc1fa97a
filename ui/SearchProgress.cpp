#include "SearchProgress.h"

#include <QLayout>
#include <QProgressBar>

#include <algorithm>

namespace {

constexpr qint64 MoveIntervalMs = 33;

} // namespace

SearchProgress::SearchProgress(QProgressBar &bar) : bar_(bar), maximum_(std::max(bar.maximum(), 0))
{
    position_ = std::clamp(bar.value(), 0, maximum_);
}

SearchProgress::~SearchProgress()
{
    showPosition();
}

void SearchProgress::setMaximum(int maximum)
{
    maximum_ = std::max(maximum, 0);
    position_ = std::min(position_, maximum_);
    // A range of 0 to 0 would turn the bar into a busy indicator.
    bar_.setRange(0, std::max(maximum_, 1));
    showPosition();
}

void SearchProgress::setPosition(int position)
{
    position_ = std::clamp(position, 0, maximum_);
    if (position_ == maximum_ || !sinceShown_.isValid() || sinceShown_.elapsed() >= MoveIntervalMs)
        showPosition();
}

int SearchProgress::position() const
{
    return position_;
}

void SearchProgress::setVisible(bool visible)
{
    showPosition();
    bar_.setVisible(visible);
    // Nothing else will lay out and paint the window before the search ends.
    if (QWidget *parent = bar_.parentWidget()) {
        if (QLayout *layout = parent->layout())
            layout->activate();
        parent->repaint();
    }
}

void SearchProgress::showPosition()
{
    // QProgressBar repaints itself synchronously when the change is visible.
    bar_.setValue(position_);
    sinceShown_.start();
}
