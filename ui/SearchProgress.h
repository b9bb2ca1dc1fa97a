#pragma once

#include "catalogue/views.h"

#include <QElapsedTimer>

class QProgressBar;

namespace ui {

// The content search's progress on the main window's bar. The search runs
// inside its handler, so the bar paints itself at once when it changes (the
// bar repaints only when its filled width moves, which keeps a fast search
// fast), and the window's waiting paint and window-system events are handled
// a few times a second so it never looks hung. User input waits until the
// search is over. position() is always exact.
class SearchProgress final : public catalogue::ProgressView {
public:
    explicit SearchProgress(QProgressBar &bar);
    SearchProgress(const SearchProgress &) = delete;
    SearchProgress &operator=(const SearchProgress &) = delete;

    void setMaximum(int maximum) override;
    // Kept within 0 to the maximum, as the bar shows it.
    void setPosition(int position) override;
    int position() const override;
    void setVisible(bool visible) override;

private:
    void keepWindowPainted();

    QProgressBar &bar_;
    int maximum_ = 0;
    int position_ = 0;
    QElapsedTimer sinceEvents_;
};

} // namespace ui
