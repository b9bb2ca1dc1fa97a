#pragma once

#include "DialogFrame.h"

#include <memory>
#include <string>

namespace Ui {
class TfrmFind;
}

// The search dialog: the search text and whether to search the map files'
// contents. Created once and only hidden, so the text, the option and the
// focused control stay as the user left them; the text opens selected.
class TfrmFind final : public ui::ModalDialog {
    Q_OBJECT

public:
    explicit TfrmFind(QWidget *parent = nullptr);
    ~TfrmFind() override;

    // The text of Edit1 as file names are written, for the filename search.
    std::string SearchText() const;
    // The text of Edit1 as the map files' contents are written (Windows-1252),
    // for the full search; as UTF-8 when it has characters outside that set.
    std::string ContentSearchText() const;
    void SetSearchText(const std::string &text);

    // RadioButton2 ("Carry out a full search") is checked.
    bool FullSearch() const;
    void SetFullSearch(bool full);

    void setVisible(bool visible) override;

private:
    std::unique_ptr<Ui::TfrmFind> widgets_;
};

extern TfrmFind *frmFind;
