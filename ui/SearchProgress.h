#pragma once

#include "catalogue/views.h"

#include <QElapsedTimer>

class QProgressBar;

// The content search's progress on the main window's bar. The search runs
// inside its handler with no event loop, so the bar paints itself at once
// when it changes; to keep a fast search fast, it is moved at most about 30
// times a second. position() is always exact, and so is the bar once the
// maximum is reached, the bar is hidden, or this object goes away (as when
// an error ends the search).
class SearchProgress final : public catalogue::ProgressView {
public:
    explicit SearchProgress(QProgressBar &bar);
    ~SearchProgress() override;
    SearchProgress(const SearchProgress &) = delete;
    SearchProgress &operator=(const SearchProgress &) = delete;

    void setMaximum(int maximum) override;
    // Kept within 0 to the maximum, as the bar shows it.
    void setPosition(int position) override;
    int position() const override;
    void setVisible(bool visible) override;

private:
    void showPosition();

    QProgressBar &bar_;
    int maximum_ = 0;
    int position_ = 0;
    QElapsedTimer sinceShown_;
};
