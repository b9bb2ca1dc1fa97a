#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TfrmNotFound;
}

// "Maps not found": shown when a search matched nothing.
class TfrmNotFound final : public QDialog {
    Q_OBJECT

public:
    explicit TfrmNotFound(QWidget *parent = nullptr);
    ~TfrmNotFound() override;

public slots:
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    std::unique_ptr<Ui::TfrmNotFound> ui;
};

extern TfrmNotFound *frmNotFound;
