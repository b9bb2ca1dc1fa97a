#include "change_legend.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>

namespace mapindex {

QColor ChangeColour(Change change)
{
    switch (change) {
    case Change::New:
        return {0xd8, 0xf5, 0xd0};
    case Change::Changed:
        return {0xfc, 0xf0, 0xc0};
    default:
        return {};
    }
}

ChangeLegend::ChangeLegend(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("legend"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    const int side = fontMetrics().height() - 4;
    for (const auto &[change, word] :
         {std::pair{Change::New, QStringLiteral("new")}, std::pair{Change::Changed, QStringLiteral("changed")}}) {
        QPixmap swatch(side, side);
        swatch.fill(ChangeColour(change));
        auto *box = new QLabel(this);
        box->setPixmap(swatch);
        box->setFrameShape(QFrame::Box); // a pale swatch still shows on a white bar
        layout->addWidget(box);
        auto *label = new QLabel(word, this);
        label->setObjectName(word);
        layout->addWidget(label);
    }
}

} // namespace mapindex
