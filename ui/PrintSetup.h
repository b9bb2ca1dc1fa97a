#pragma once

#include <functional>
#include <memory>

class QPrintDialog;
class QPrinter;
class QWidget;

namespace ui {

// The run's current printer and the print setup dialog (PrintDialog1) on it.
// Without any printer Qt prints to a PDF file, and the dialog keeps that
// choice, so every user can print.
class PrintSetup final {
public:
    PrintSetup();
    ~PrintSetup();
    PrintSetup(const PrintSetup &) = delete;
    PrintSetup &operator=(const PrintSetup &) = delete;

    // The current printer: the system default the first time it is needed.
    QPrinter &Printer();

    // Runs the dialog for the whole document; true when the user confirmed.
    // A confirmed choice stays current for the rest of the run.
    bool Execute(QWidget *parent);

    // Tests answer the dialog instead of the user: the function gets the
    // dialog, set up but not shown, and returns its result
    // (QDialog::Accepted to confirm). An empty function shows it again.
    using Answer = std::function<int(QPrintDialog &)>;
    static void SetAnswerForTests(Answer answer);

private:
    std::unique_ptr<QPrinter> printer_;
    bool collate_ = false; // unchecked until a confirmed dialog says otherwise
};

} // namespace ui
