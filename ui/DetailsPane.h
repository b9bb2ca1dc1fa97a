#pragma once

#include "catalogue/views.h"

#include <QTextCharFormat>

class QTextEdit;

namespace ui {

// The details pane: lines appended at the end in the style and colour set for
// the insertion point; text already there never changes.
class RichEditDetailsView final : public catalogue::DetailsView {
public:
    explicit RichEditDetailsView(QTextEdit &edit);

    void clear() override;
    void setBold(bool bold) override;
    void setColour(catalogue::TextColour colour) override;
    void appendLine(const std::string &line) override;

private:
    QTextEdit &edit_;
    QTextCharFormat format_;
};

} // namespace ui
