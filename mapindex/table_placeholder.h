#pragma once

#include <QLabel>

class QAbstractScrollArea;
class QAction;
class QPushButton;

namespace mapindex {

// A message in an empty table's place, centred over its viewport, with a
// button under it when there is something to offer. While shown, the message
// is the table's accessible description too: assistive technology sees a
// table's cells, not what lies over its viewport.
class TablePlaceholder final : public QLabel {
    Q_OBJECT

public:
    explicit TablePlaceholder(QAbstractScrollArea *view);

    // offer: an action the button triggers (named by offerText); none hides the button.
    void showText(const QString &text, QAction *offer = nullptr, const QString &offerText = {});
    void setVisible(bool visible) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void place();

    QAbstractScrollArea *view_;
    QPushButton *button_;
    QAction *offer_ = nullptr;
};

} // namespace mapindex
