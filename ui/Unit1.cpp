#include "Unit1.h"
#include "ui_Unit1.h"

#include "ByteText.h"
#include "DetailsPane.h"
#include "DialogFrame.h"
#include "ErrorReport.h"
#include "Fonts.h"
#include "InputBlocker.h"
#include "MapListView.h"
#include "PrintSetup.h"
#include "RunningSearch.h"
#include "SearchProgress.h"
#include "Unit10.h"
#include "Unit11.h"
#include "Unit2.h"
#include "Unit4.h"
#include "Unit5.h"
#include "Unit6.h"
#include "Unit7.h"
#include "Unit8.h"
#include "Unit9.h"
#include "WidgetViews.h"

#include "catalogue/configuration.h"
#include "catalogue/list_export.h"
#include "catalogue/map_details.h"
#include "catalogue/map_scan.h"
#include "catalogue/map_search.h"
#include "catalogue/viewer_launch.h"
#include "runtime/io_error.h"

#include <QLabel>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QTextEdit>

TForm1 *Form1 = nullptr;

namespace {

constexpr int ClientWidth = 517;
constexpr int ClientHeight = 472; // below the menu bar
constexpr int StatusPanel0Width = 300;
constexpr int ListPanelHeight = 324;
constexpr int DetailsPanelHeight = 98;
constexpr int ListFontHeight = 16;
constexpr int ListRowHeight = 20;
constexpr int DetailsFontHeight = 13;
// Says where to name one, instead of an empty name that cannot be started.
constexpr const char *NoViewerSetText = "No viewer is set. Select File - Configure to choose one";

QString mapsAreInText()
{
    return QStringLiteral("Maps are in: ") + frmConfig->Edit1().text();
}

} // namespace

TForm1::TForm1(QWidget *parent)
    : QMainWindow(parent), widgets_(std::make_unique<Ui::TForm1>()), printDialog1_(std::make_unique<ui::PrintSetup>())
{
    widgets_->setupUi(this);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(ui::PixelFont(ui::DialogFontFamily, 11));
    mapList_ = std::make_unique<ui::ListBoxMapList>(*widgets_->ListBox1);
    details_ = std::make_unique<ui::RichEditDetailsView>(*widgets_->RichEdit1);
    progress_ = std::make_unique<ui::SearchProgress>(*widgets_->ProgressBar1);
    nameSeparators();
    setUpToolBar();
    setUpPanes();
    setUpStatusBar();
    connectCommands();
    setFixedSize(ClientWidth, ClientHeight + widgets_->MainMenu1->sizeHint().height());
    FormCreate();
}

TForm1::~TForm1()
{
    // A search still running is cancelled and waited for while the window is whole.
    inputBlocker_.reset();
    search_.reset();
}

// The File menu's items are addressed by position, separators N1 to N6 included.
void TForm1::nameSeparators()
{
    int number = 0;
    for (QAction *action : widgets_->File1->actions()) {
        if (action->isSeparator())
            action->setObjectName(QStringLiteral("N%1").arg(++number));
    }
}

void TForm1::setUpToolBar()
{
    for (QToolButton *button : widgets_->ToolBar2->findChildren<QToolButton *>())
        button->setFocusPolicy(Qt::NoFocus);
}

void TForm1::setUpPanes()
{
    widgets_->ListBox1->setFont(ui::PixelFont(ui::DialogFontFamily, ListFontHeight));
    widgets_->ListBox1->setItemDelegate(new ui::FixedRowHeightDelegate(ListRowHeight, widgets_->ListBox1));
    widgets_->RichEdit1->setFont(ui::PixelFont(ui::DialogFontFamily, DetailsFontHeight));
    // Tab moves on along the window's controls instead of typing a tab.
    widgets_->RichEdit1->setTabChangesFocus(true);
    widgets_->Splitter1->setStretchFactor(0, 0);
    widgets_->Splitter1->setStretchFactor(1, 1);
    widgets_->Splitter1->setSizes({ListPanelHeight, DetailsPanelHeight});
}

void TForm1::setUpStatusBar()
{
    auto makePanel = [this](const char *name) {
        auto *panel = new QLabel(widgets_->StatusBar1); // owned by the status bar
        panel->setObjectName(QLatin1String(name));
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        return panel;
    };
    statusPanel0_ = makePanel("StatusPanel0");
    statusPanel0_->setFixedWidth(StatusPanel0Width);
    statusPanel1_ = makePanel("StatusPanel1");
    widgets_->StatusBar1->addWidget(statusPanel0_);
    widgets_->StatusBar1->addWidget(statusPanel1_, 1);
}

void TForm1::connectCommands()
{
    connect(widgets_->Configure1, &QAction::triggered, this, &TForm1::Configure1Click);
    connect(widgets_->Scan1, &QAction::triggered, this, &TForm1::Scan1Click);
    connect(widgets_->Save1, &QAction::triggered, this, &TForm1::Save1Click);
    connect(widgets_->Print1, &QAction::triggered, this, &TForm1::Print1Click);
    connect(widgets_->View1, &QAction::triggered, this, &TForm1::View1Click);
    connect(widgets_->Clear1, &QAction::triggered, this, &TForm1::Clear1Click);
    connect(widgets_->Search1, &QAction::triggered, this, &TForm1::Search1Click);
    connect(widgets_->Exit1, &QAction::triggered, this, &TForm1::Exit1Click);
    connect(widgets_->About1, &QAction::triggered, this, &TForm1::About1Click);

    connect(widgets_->SpeedButton1, &QToolButton::clicked, this, &TForm1::Configure1Click);
    connect(widgets_->SpeedButton2, &QToolButton::clicked, this, &TForm1::Scan1Click);
    connect(widgets_->SpeedButton3, &QToolButton::clicked, this, &TForm1::Save1Click);
    connect(widgets_->SpeedButton4, &QToolButton::clicked, this, &TForm1::Print1Click);
    connect(widgets_->SpeedButton5, &QToolButton::clicked, this, &TForm1::View1Click);
    connect(widgets_->SpeedButton6, &QToolButton::clicked, this, &TForm1::Clear1Click);
    // Clicks the menu item, which does nothing while the item is disabled.
    connect(widgets_->SpeedButton9, &QToolButton::clicked, this, [this] {
        if (widgets_->Search1->isEnabled())
            widgets_->Search1->trigger();
    });
    connect(widgets_->SpeedButton7, &QToolButton::clicked, this, &TForm1::About1Click);
    connect(widgets_->SpeedButton8, &QToolButton::clicked, this, &TForm1::Exit1Click);

    // Keyboard moves report a changed selection; every click on an entry,
    // the selected one included, reports itself.
    connect(widgets_->ListBox1, &QListWidget::itemSelectionChanged, this, [this] {
        if (!selectingFromCode_ && !widgets_->ListBox1->handlingClick())
            ListBox1Click();
    });
    connect(widgets_->ListBox1, &ui::MapListBox::entryClicked, this, &TForm1::ListBox1Click);
    // The pane describes an entry of the list: a list emptied or replaced
    // (Scan, a search, Clear) leaves nothing to describe.
    // The pane itself, not the window's members: the list resets once more as
    // the window's children are destroyed.
    QTextEdit *pane = widgets_->RichEdit1;
    connect(widgets_->ListBox1->model(), &QAbstractItemModel::modelReset, pane, [pane] { pane->clear(); });
    connect(widgets_->ListBox1, &ui::MapListBox::listDoubleClicked, this, &TForm1::ListBox1DblClick);
}

bool TForm1::event(QEvent *event)
{
    const bool handled = QMainWindow::event(event);
    if (event->type() == QEvent::Show && !testAttribute(Qt::WA_Moved)) {
        ui::CentreOnScreen(*this);
        // Without a window manager nobody activates the new window, and the
        // configuration is loaded on activation.
        activateWindow();
    }
    // After the activation itself is done: loading may show a modal notice.
    if (event->type() == QEvent::WindowActivate)
        ui::NoteWindowFrame(*this);
    if (event->type() == QEvent::WindowActivate && !configurationLoaded_)
        QMetaObject::invokeMethod(this, &TForm1::FormActivate, Qt::QueuedConnection);
    return handled;
}

void TForm1::setScanEnabled(bool enabled)
{
    widgets_->Scan1->setEnabled(enabled);
    widgets_->SpeedButton2->setEnabled(enabled);
}

void TForm1::setListCommandsEnabled(bool enabled)
{
    for (QAction *action : {widgets_->View1, widgets_->Save1, widgets_->Print1, widgets_->Clear1, widgets_->Search1})
        action->setEnabled(enabled);
    for (QToolButton *button : {widgets_->SpeedButton3, widgets_->SpeedButton4, widgets_->SpeedButton5,
                                widgets_->SpeedButton6, widgets_->SpeedButton9})
        button->setEnabled(enabled);
}

// Selection set by the program is no user selection: it shows no details.
void TForm1::selectEntryQuietly(int row)
{
    QScopedValueRollback quiet(selectingFromCode_, true);
    widgets_->ListBox1->setCurrentRow(row);
}

std::optional<catalogue::ListedMap> TForm1::selectedMap() const
{
    const QList<QListWidgetItem *> selected = widgets_->ListBox1->selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    return ui::ListBoxMapList::mapOf(*selected.constFirst());
}

void TForm1::FormCreate()
{
    ui::Guarded([this] {
        catalogue::CaptureStartDirectory(catalogue::programState());
        ui::SetBytesText(*widgets_->Label1, catalogue::programState().StartDirectory);
        details_->clear();
    });
}

void TForm1::FormActivate()
{
    if (configurationLoaded_)
        return;
    configurationLoaded_ = true;
    ui::Guarded([this] {
        ui::LineEditConfigurationFields fields(frmConfig->Edit1(), frmConfig->Edit2());
        if (!catalogue::LoadConfiguration(catalogue::programState(), fields)) {
            frmDoConfig->exec();
            return;
        }
        widgets_->Scan1->setEnabled(true);
        statusPanel0_->setText(mapsAreInText());
        widgets_->SpeedButton2->setEnabled(true);
        catalogue::EnterMapsDirectory(catalogue::programState(), catalogue::programState().MapsDirectory);
        runtime::CheckIo();
    });
}

void TForm1::Configure1Click()
{
    ui::Guarded([this] {
        if (frmConfig->exec() != ui::ResultOk)
            return;
        if (!catalogue::ApplyConfiguration(catalogue::programState(), frmConfig->MapsText(), frmConfig->ViewerText())) {
            frmError->exec();
            return;
        }
        statusPanel0_->setText(mapsAreInText());
        setScanEnabled(true);
    });
}

void TForm1::Scan1Click()
{
    ui::Guarded([this] {
        int found = 0;
        {
            QScopedValueRollback quiet(selectingFromCode_, true);
            found = catalogue::ScanMaps(catalogue::programState(), *mapList_);
        }
        statusPanel1_->setText(ui::DecodeName(catalogue::MapsFoundText(found)));
        setListCommandsEnabled(true);
        selectEntryQuietly(widgets_->ListBox1->count() > 0 ? 0 : -1);
        ListBox1Click(); // the selected first entry is shown, as a click on it would show it
    });
}

void TForm1::Save1Click()
{
    ui::Guarded([this] {
        ui::SaveDialogPrompt prompt(this);
        catalogue::ExportList(catalogue::programState(), *mapList_, prompt);
    });
}

void TForm1::Print1Click()
{
    ui::Guarded([this] {
        if (!printDialog1_->Execute(this))
            return;
        frmPrint->SetPrintJob(*mapList_, printDialog1_->Printer());
        frmPrint->exec();
    });
}

void TForm1::View1Click()
{
    ui::Guarded([this] {
        // Nothing selected (an empty scan, a list just narrowed): nothing to view.
        const auto map = selectedMap();
        if (!map)
            return;
        try {
            catalogue::LaunchViewer(catalogue::programState(), *map);
        } catch (const catalogue::NoViewerSet &) {
            throw runtime::Exception(NoViewerSetText);
        }
    });
}

void TForm1::Clear1Click()
{
    ui::Guarded([this] {
        if (frmConfirmClear->exec() != ui::ResultOk)
            return;
        {
            QScopedValueRollback quiet(selectingFromCode_, true);
            mapList_->clear();
        }
        setListCommandsEnabled(false);
        statusPanel1_->clear();
    });
}

void TForm1::Search1Click()
{
    ui::Guarded([this] {
        if (search_ || frmFind->exec() != ui::ResultOk)
            return;
        if (frmFind->FullSearch()) {
            fullSearch(frmFind->ContentSearchText(), frmConfig->MapsText());
            return;
        }
        QScopedValueRollback quiet(selectingFromCode_, true);
        ui::LabelStatusText status(*statusPanel1_);
        if (catalogue::filenameSearch(catalogue::programState(), *mapList_, frmFind->SearchText(), status) == 0)
            frmNotFound->exec();
    });
}

void TForm1::fullSearch(const std::string &text, const std::string &mapsText)
{
    catalogue::ContentSearchStart start =
        catalogue::BeginContentSearch(catalogue::programState(), *mapList_, mapsText, *progress_);
    search_ = std::make_unique<ui::RunningSearch>(std::move(start.maps), std::move(start.listed), text);
    connect(search_.get(), &ui::RunningSearch::progressed, this, &TForm1::fullSearchProgressed);
    // Queued: the slot deletes the search, which must not happen inside its own signal.
    connect(search_.get(), &ui::RunningSearch::finished, this, &TForm1::fullSearchDone, Qt::QueuedConnection);
    inputBlocker_ = std::make_unique<ui::InputBlocker>([this] { cancelFullSearch(); });
}

void TForm1::fullSearchProgressed(int done)
{
    progress_->setPosition(done);
}

void TForm1::fullSearchDone()
{
    inputBlocker_.reset();
    const std::unique_ptr<ui::RunningSearch> search = std::move(search_);
    ui::Guarded([this, &search] {
        if (search->cancelRequested())
            return;
        const ui::SearchOutcome outcome = search->outcome();
        if (outcome.failure)
            std::rethrow_exception(outcome.failure);
        // Progress signals are coalesced: the bar is set to the exact count first.
        progress_->setPosition(static_cast<int>(search->maps().size()));
        QScopedValueRollback quiet(selectingFromCode_, true);
        ui::LabelStatusText status(*statusPanel1_);
        // Maps that could not be read are reported once the matches are shown.
        catalogue::ApplyContentSearch(catalogue::programState(), *mapList_, search->maps(), outcome.result, *progress_,
                                      status, [] { frmNotFound->exec(); });
    });
    emit fullSearchFinished();
}

// Everything stays as before the search; only the bar goes.
void TForm1::cancelFullSearch()
{
    if (!search_)
        return;
    search_->cancel();
    progress_->setVisible(false);
}

void TForm1::Exit1Click()
{
    ui::Guarded([this] {
        if (frmQuit->exec() == ui::ResultOk)
            emit terminateRequested();
    });
}

void TForm1::About1Click()
{
    ui::Guarded([] { frmAbout->exec(); });
}

void TForm1::ListBox1Click()
{
    ui::Guarded([this] {
        if (const auto map = selectedMap())
            catalogue::ShowMapDetailsAt(catalogue::StartDirectoryFd(catalogue::programState()), frmConfig->MapsText(),
                                        *map, *details_);
    });
}

void TForm1::ListBox1DblClick()
{
    View1Click();
}
