#pragma once

#include <QLabel>

class QAbstractScrollArea;

namespace mapindex {

// A message in an empty table's place, centred over its viewport.
class TablePlaceholder final : public QLabel {
    Q_OBJECT

public:
    explicit TablePlaceholder(QAbstractScrollArea *view);

    void showText(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace mapindex
