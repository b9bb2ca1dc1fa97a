#pragma once

#include <QLabel>

class QAbstractScrollArea;
class QAction;
class QPushButton;

namespace mapindex {

// A message in an empty table's place, centred over its viewport, with a
// button under it when there is something to offer.
class TablePlaceholder final : public QLabel {
    Q_OBJECT

public:
    explicit TablePlaceholder(QAbstractScrollArea *view);

    // offer: an action the button triggers (named by offerText); none hides the button.
    void showText(const QString &text, QAction *offer = nullptr, const QString &offerText = {});

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void place();

    QPushButton *button_;
    QAction *offer_ = nullptr;
};

} // namespace mapindex
