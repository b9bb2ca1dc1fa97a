#include "ErrorReport.h"

#include <QApplication>
#include <QGridLayout>
#include <QSpacerItem>
#include <QWidget>

namespace ui {

namespace {

MessageRecorder &recorder()
{
    static MessageRecorder instance;
    return instance;
}

// The box belongs to the window the user is looking at, so it never hides
// behind it: the open modal dialog, else the active window, else the main one.
QWidget *reportOwner()
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget *active = QApplication::activeWindow())
        return active;
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top->objectName() == QLatin1String("Form1"))
            return top;
    }
    return nullptr;
}

} // namespace

void SetMessageRecorder(MessageRecorder recorder_)
{
    recorder() = std::move(recorder_);
}

void ShowMessage(QWidget *parent, const ShownMessage &message)
{
    if (recorder()) {
        recorder()(message);
        return;
    }
    MakeMessageBox(parent, message)->exec();
}

std::unique_ptr<QMessageBox> MakeMessageBox(QWidget *parent, const ShownMessage &message)
{
    auto box = std::make_unique<QMessageBox>(message.icon, message.caption, message.text, QMessageBox::Ok, parent);
    box->setObjectName(QStringLiteral("MessageBox"));
    box->setTextFormat(Qt::PlainText);
    // The box sizes itself to its layout's minimum: a full-width spacer row
    // is the one minimum it keeps.
    if (auto *grid = qobject_cast<QGridLayout *>(box->layout()); grid && message.icon == QMessageBox::Critical) {
        grid->addItem(new QSpacerItem(StopBoxMinimumWidth, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount()); // owned by the layout
    }
    return box;
}

void ReportError(const std::string &message)
{
    if (QWidget *grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
    ShownMessage shown;
    shown.icon = QMessageBox::Critical;
    shown.caption = QCoreApplication::applicationName();
    shown.text = QString::fromLocal8Bit(QByteArray::fromStdString(runtime::ReportText(message)));
    ShowMessage(reportOwner(), shown);
}

} // namespace ui
