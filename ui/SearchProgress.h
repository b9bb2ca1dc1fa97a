#pragma once

#include "catalogue/views.h"

class QProgressBar;

namespace ui {

// The content search's progress on the main window's bar. The position stays
// within 0 to the maximum, as the bar shows it.
class SearchProgress final : public catalogue::ProgressView {
public:
    explicit SearchProgress(QProgressBar &bar);
    SearchProgress(const SearchProgress &) = delete;
    SearchProgress &operator=(const SearchProgress &) = delete;

    void setMaximum(int maximum) override;
    void setPosition(int position) override;
    int position() const override;
    void setVisible(bool visible) override;

private:
    QProgressBar &bar_;
    int maximum_ = 0;
    int position_ = 0;
};

} // namespace ui
