#pragma once

#include "index_row.h"

#include <QColor>
#include <QWidget>

namespace mapindex {

// The background of a row marked new or changed; none for the others.
QColor ChangeColour(Change change);

// "■ new ■ changed" in the status bar: what the two row colours mean.
class ChangeLegend final : public QWidget {
    Q_OBJECT

public:
    explicit ChangeLegend(QWidget *parent);
};

} // namespace mapindex
