#pragma once

#include <QMainWindow>

#include "catalogue/listed_map.h"

#include <memory>
#include <optional>
#include <string>

class QLabel;

namespace Ui {
class TForm1;
}

namespace ui {
class InputBlocker;
class ListBoxMapList;
class PrintSetup;
class RichEditDetailsView;
class RunningSearch;
class SearchProgress;
} // namespace ui

// The main window: the map list, the details pane, the commands and the
// status bar. Every handler shows a dialog where needed, calls the catalogue
// and updates the command states.
class TForm1 final : public QMainWindow {
    Q_OBJECT

public:
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    void FormCreate();
    // Loads the configuration; does its work on the first call of a run only.
    void FormActivate();
    void Configure1Click();
    void Scan1Click();
    void Save1Click();
    void Print1Click();
    void View1Click();
    void Clear1Click();
    void Search1Click();
    void Exit1Click();
    void About1Click();
    void ListBox1Click();
    void ListBox1DblClick();

    // Starts the content search over the listed maps on a worker and returns;
    // the window takes no input but Esc, which cancels, until it ends. The
    // result is applied on this thread, then fullSearchFinished follows.
    void fullSearch(const std::string &text, const std::string &mapsText);

    // The print setup dialog and the run's current printer.
    ui::PrintSetup &PrintDialog1() { return *printDialog1_; }

signals:
    // Exit was confirmed: the application is to end its message loop.
    void terminateRequested();
    // A content search ended: its result shown, its error reported, or cancelled.
    void fullSearchFinished();

protected:
    bool event(QEvent *event) override;

private:
    void nameSeparators();
    void setUpToolBar();
    void setUpStatusBar();
    void setUpPanes();
    void connectCommands();
    void setScanEnabled(bool enabled);
    void setListCommandsEnabled(bool enabled);
    void selectEntryQuietly(int row);
    std::optional<catalogue::ListedMap> selectedMap() const;
    void fullSearchProgressed(int done);
    void fullSearchDone();
    void cancelFullSearch();

    std::unique_ptr<Ui::TForm1> widgets_;
    QLabel *statusPanel0_ = nullptr; // owned by the status bar
    QLabel *statusPanel1_ = nullptr;
    std::unique_ptr<ui::ListBoxMapList> mapList_;
    std::unique_ptr<ui::RichEditDetailsView> details_;
    std::unique_ptr<ui::PrintSetup> printDialog1_;
    std::unique_ptr<ui::SearchProgress> progress_;
    std::unique_ptr<ui::RunningSearch> search_;
    std::unique_ptr<ui::InputBlocker> inputBlocker_;
    bool configurationLoaded_ = false;
    bool selectingFromCode_ = false;
};

extern TForm1 *Form1;
