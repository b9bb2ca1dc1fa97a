#include "SearchProgress.h"

#include <QProgressBar>

#include <algorithm>

namespace ui {

SearchProgress::SearchProgress(QProgressBar &bar) : bar_(bar), maximum_(std::max(bar.maximum(), 0))
{
    position_ = std::clamp(bar.value(), 0, maximum_);
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
    bar_.setValue(position_);
}

int SearchProgress::position() const
{
    return position_;
}

void SearchProgress::setVisible(bool visible)
{
    bar_.setVisible(visible);
}

} // namespace ui
