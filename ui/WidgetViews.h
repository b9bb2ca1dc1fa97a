#pragma once

#include "catalogue/views.h"

class QLabel;
class QLineEdit;
class QWidget;

namespace ui {

// A status bar panel.
class LabelStatusText final : public catalogue::StatusText {
public:
    explicit LabelStatusText(QLabel &label) : label_(label) {}
    void setText(const std::string &text) override;

private:
    QLabel &label_;
};

// The configuration dialog's two boxes, filled as the file is read.
class LineEditConfigurationFields final : public catalogue::ConfigurationFields {
public:
    LineEditConfigurationFields(QLineEdit &maps, QLineEdit &viewer) : maps_(maps), viewer_(viewer) {}
    void setMapsText(const std::string &text) override;
    void setViewerText(const std::string &text) override;

private:
    QLineEdit &maps_;
    QLineEdit &viewer_;
};

// The list save dialog.
class SaveDialogPrompt final : public catalogue::FileNamePrompt {
public:
    explicit SaveDialogPrompt(QWidget *parent) : parent_(parent) {}
    std::optional<std::string> askFileName(const std::string &initialDirectory,
                                           const std::string &suggestedName) override;

private:
    QWidget *parent_;
};

} // namespace ui
