#include "status_message.h"

#include <QLabel>
#include <QStatusBar>

namespace mapindex {

void ShowPassingMessage(QStatusBar &bar, const QString &text)
{
    bar.showMessage(text, PassingMessageMs);
}

void SetLastingText(QLabel &label, const QString &text)
{
    if (label.text() == text)
        return;
    label.setText(text);
    for (QWidget *parent = label.parentWidget(); parent; parent = parent->parentWidget()) {
        if (auto *bar = qobject_cast<QStatusBar *>(parent)) {
            bar->clearMessage();
            return;
        }
    }
}

} // namespace mapindex
