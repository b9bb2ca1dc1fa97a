#pragma once

#include "DialogFrame.h"

#include <QPushButton>

#include <memory>

namespace ui {

// The shape the program's message dialogs share: a fixed frame laid out by
// its form, BitBtn1 confirming with ResultOk and, where the form has one,
// BitBtn2 cancelling. Esc cancels only where there is a Cancel button.
// Instantiated in each dialog's own source, where its form is complete.
template <class Form>
class MessageDialog : public ModalDialog {
protected:
    explicit MessageDialog(QWidget *parent)
        : ModalDialog(parent, HasCancelButton ? EscapeKey::Cancels : EscapeKey::Ignored),
          widgets_(std::make_unique<Form>())
    {
        widgets_->setupUi(this);
        UseFixedDialogFrame(*this);
        connect(widgets_->BitBtn1, &QPushButton::clicked, this, [this] { done(ResultOk); });
        if constexpr (HasCancelButton)
            connect(widgets_->BitBtn2, &QPushButton::clicked, this, &ModalDialog::reject);
    }

    std::unique_ptr<Form> widgets_;

private:
    static constexpr bool HasCancelButton = requires(Form & form) { form.BitBtn2; };
};

} // namespace ui
