#pragma once

#include "runtime/io_error.h"

#include <QMessageBox>
#include <QString>

#include <exception>
#include <functional>
#include <memory>
#include <string>

namespace ui {

// What a message box would show.
struct ShownMessage {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString caption;
    QString text;
};

// When set, message boxes are recorded instead of shown (tests read the exact
// wording without answering a box); an empty recorder shows them again.
using MessageRecorder = std::function<void(const ShownMessage &)>;
void SetMessageRecorder(MessageRecorder recorder);

// The box as it is shown. A stop box is at least StopBoxMinimumWidth wide,
// so that a window manager's title bar has room for the whole caption.
inline constexpr int StopBoxMinimumWidth = 240;
std::unique_ptr<QMessageBox> MakeMessageBox(QWidget *parent, const ShownMessage &message);

// Shows the box, or hands it to the recorder.
void ShowMessage(QWidget *parent, const ShownMessage &message);

// The top-level report: a stop box captioned with the application title, the
// message with the period rule, a single OK button.
void ReportError(const std::string &message);

// Runs a handler body so that no error ever leaves it into Qt's event loop.
template <class F>
void Guarded(F &&body) noexcept
{
    try {
        try {
            body();
        } catch (const std::exception &error) { // runtime::Exception included
            ReportError(error.what());
        } catch (...) {
            ReportError("Unknown error");
        }
    } catch (...) {
        // The report itself failed (out of memory); there is nobody left to tell.
    }
}

} // namespace ui
