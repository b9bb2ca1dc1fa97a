// The main window driven through its handlers, with the real dialogs answered
// as a user would answer them.

#include "app_fixture.h"

#include "DialogFrame.h"
#include "Unit5.h"

#include "catalogue/program_state.h"
#include "runtime/working_directory.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>
#include <QSignalSpy>
#include <QTextBlock>

#include <fstream>

using namespace uitest;

namespace {

QString currentDirectory()
{
    return QDir::current().canonicalPath();
}

// The text and look of each line of the details pane.
struct PaneLine {
    QString text;
    bool bold;
    QColor colour;
};

std::vector<PaneLine> paneLines(const QTextEdit &edit)
{
    std::vector<PaneLine> lines;
    for (QTextBlock block = edit.document()->begin(); block.isValid(); block = block.next()) {
        const QTextCharFormat format =
            block.begin().atEnd() ? block.charFormat() : block.begin().fragment().charFormat();
        lines.push_back({block.text(), format.fontWeight() == QFont::Bold, format.foreground().color()});
    }
    // The last line end leaves an empty paragraph behind it.
    if (!lines.empty() && lines.back().text.isEmpty())
        lines.pop_back();
    return lines;
}

// A stand-in viewer that appends its arguments, one per line, to record.
QString writeRecordingViewer(const QString &record)
{
    const QString viewer = makeTempDir() + QStringLiteral("/viewer.sh");
    writeFile(viewer, "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + QFile::encodeName(record) + "'\n");
    QFile::setPermissions(viewer, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return viewer;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void firstStartWithoutConfigurationShowsNoticeOnce();
    void firstStartWithConfigurationEnablesScan();
    void configureOkAppliesAndShowsNewDirectory();
    void configureCancelKeepsStateAndTypedText();
    void configureSaveWritesFileAndStaysOpen();
    void configureDirectoryWithoutMapsShowsConfigurationError();
    void browsingLeavesCurrentDirectoryWhereItWas();
    void viewerBrowseOffersPreviousFile();
    void scanListsDemoCollection();
    void selectionShowsDetails();
    void clickOnTheSelectedEntryShowsItsDetails();
    void tabLeavesTheDetailsPane();
    void detailsAfterACancelledConfigure();
    void viewLaunchesViewerOnSelectedMap();
    void viewWithNothingSelectedDoesNothing();
    void viewWithNoViewerSetSaysSo();
    void saveWritesListAndReturnsToMaps();
    void fileDialogsArePlacedLikeThePrintDialog();
    void clearAsksFirst();
    void exitAsksFirst();
    void unreadableMapShowsErrorBox();
    void nameThatIsNotUtf8StillOpens();
    void namesWithDotsOpenTheirOwnFiles();
    void errorAtStartLeavesWindowUsable();

private:
    // A run whose "lister.txt" names a fresh demo collection, activated.
    void startConfigured(AppRun &run, const QByteArray &viewer = QByteArray());
    void scan(AppRun &run);

    std::unique_ptr<AppRun> run_;
};

void TestMainWindow::initTestCase()
{
    ui::ConfigureApplication();
}

void TestMainWindow::cleanup()
{
    run_.reset();
}

void TestMainWindow::startConfigured(AppRun &run, const QByteArray &viewer)
{
    const QString maps = makeDemoMaps();
    run.writeConfiguration(QFile::encodeName(maps), viewer);
    run.createWindows();
    run.form->FormActivate();
    QVERIFY(run.messages.empty());
}

void TestMainWindow::scan(AppRun &run)
{
    run.form->Scan1Click();
    QVERIFY(run.messages.empty());
}

void TestMainWindow::firstStartWithoutConfigurationShowsNoticeOnce()
{
    run_ = std::make_unique<AppRun>();
    run_->createWindows();
    QVERIFY(!run_->scanEnabled());
    QVERIFY(run_->listCommandsDisabled());
    QVERIFY(run_->enabled("Configure1") && run_->enabled("About1") && run_->enabled("Exit1"));

    int shown = 0;
    whenModal(QStringLiteral("frmDoConfig"), [&](QWidget *notice) {
        ++shown;
        pressKey(notice, Qt::Key_Escape); // a notice without Cancel ignores Esc
        QVERIFY(notice->isVisible());
        pressKey(notice, Qt::Key_Return);
    });
    run_->form->FormActivate();
    QCOMPARE(shown, 1);
    QVERIFY(!run_->scanEnabled());
    QVERIFY(run_->listCommandsDisabled());
    QCOMPARE(run_->panel(0), QString());
    QCOMPARE(currentDirectory(), run_->startDirectory);

    // Activation later in the run loads nothing and shows nothing: the
    // window's own activation has run once its queued call is delivered.
    run_->form->FormActivate();
    run_->form->show();
    QVERIFY(QTest::qWaitForWindowActive(run_->form.get()));
    QCoreApplication::sendPostedEvents();
    QCOMPARE(shown, 1);
}

void TestMainWindow::firstStartWithConfigurationEnablesScan()
{
    run_ = std::make_unique<AppRun>();
    startConfigured(*run_, "/opt/viewer/cm32");
    const QString maps = QFile::decodeName(QByteArray::fromStdString(catalogue::programState().MapsDirectory));
    QCOMPARE(run_->panel(0), QStringLiteral("Maps are in: ") + maps);
    QCOMPARE(run_->panel(1), QString());
    QVERIFY(run_->scanEnabled());
    QVERIFY(run_->listCommandsDisabled());
    QCOMPARE(frmConfig->Edit1().text(), maps);
    QCOMPARE(frmConfig->Edit2().text(), QStringLiteral("/opt/viewer/cm32"));
    QCOMPARE(catalogue::programState().ViewerPath, std::string("/opt/viewer/cm32"));
    QCOMPARE(currentDirectory(), maps);
}

void TestMainWindow::configureOkAppliesAndShowsNewDirectory()
{
    run_ = std::make_unique<AppRun>();
    run_->createWindows();
    const QString maps = makeDemoMaps();
    whenModal(QStringLiteral("frmConfig"), [&](QWidget *dialog) {
        QCOMPARE(dialog->focusWidget(), &frmConfig->Edit1());
        frmConfig->Edit1().setText(maps);
        frmConfig->Edit2().setText(QStringLiteral("/usr/bin/viewer"));
        pressKey(dialog, Qt::Key_Return); // from a box, Enter is OK
    });
    run_->form->Configure1Click();
    QVERIFY(run_->messages.empty());
    QVERIFY(run_->scanEnabled());
    QVERIFY(run_->listCommandsDisabled());
    QCOMPARE(run_->panel(0), QStringLiteral("Maps are in: ") + maps);
    QCOMPARE(catalogue::programState().MapsDirectory, maps.toStdString());
    QCOMPARE(catalogue::programState().ViewerPath, std::string("/usr/bin/viewer"));
    QCOMPARE(currentDirectory(), maps);
    // Applying does not save.
    QVERIFY(!QFile::exists(run_->startDirectory + QStringLiteral("/lister.txt")));
}

void TestMainWindow::configureCancelKeepsStateAndTypedText()
{
    run_ = std::make_unique<AppRun>();
    run_->createWindows();
    whenModal(QStringLiteral("frmConfig"), [&](QWidget *dialog) {
        frmConfig->Edit1().setText(QStringLiteral("/typed/then/cancelled"));
        pressKey(dialog, Qt::Key_Escape);
    });
    run_->form->Configure1Click();
    QVERIFY(!run_->scanEnabled());
    QCOMPARE(catalogue::programState().MapsDirectory, std::string());
    QCOMPARE(run_->panel(0), QString());

    QString shownText;
    whenModal(QStringLiteral("frmConfig"), [&](QWidget *dialog) {
        shownText = frmConfig->Edit1().text();
        click(dialog, "BitBtn2");
    });
    run_->form->Configure1Click();
    QCOMPARE(shownText, QStringLiteral("/typed/then/cancelled"));
    QVERIFY(!run_->scanEnabled());
}

void TestMainWindow::configureSaveWritesFileAndStaysOpen()
{
    run_ = std::make_unique<AppRun>();
    run_->createWindows();
    const QString lister = run_->startDirectory + QStringLiteral("/lister.txt");
    bool stayedOpen = false;
    QByteArray written;
    whenModal(QStringLiteral("frmConfig"), [&](QWidget *dialog) {
        frmConfig->Edit1().setText(QStringLiteral("/maps dir"));
        frmConfig->Edit2().setText(QStringLiteral("/viewer/cm32"));
        click(dialog, "BitBtn3");
        stayedOpen = dialog->isVisible();
        written = readFile(lister);
        click(dialog, "BitBtn2");
    });
    run_->form->Configure1Click();
    QVERIFY(stayedOpen);
    QCOMPARE(written, QByteArray("/maps dir\r\n/viewer/cm32\r\n"));
    QVERIFY(run_->messages.empty());
    QCOMPARE(catalogue::programState().MapsDirectory, std::string());
    QCOMPARE(catalogue::programState().ViewerPath, std::string());
    QVERIFY(!run_->scanEnabled());

    // Both boxes empty: two empty lines.
    whenModal(QStringLiteral("frmConfig"), [&](QWidget *dialog) {
        frmConfig->Edit1().clear();
        frmConfig->Edit2().clear();
        click(dialog, "BitBtn3");
        click(dialog, "BitBtn2");
    });
    run_->form->Configure1Click();
    QCOMPARE(readFile(lister), QByteArray("\r\n\r\n"));
}

void TestMainWindow::configureDirectoryWithoutMapsShowsConfigurationError()
{
    run_ = std::make_unique<AppRun>();
    run_->createWindows();
    const QString empty = makeTempDir();
    bool errorShown = false;
    whenModal(QStringLiteral("frmConfig"), [&](QWidget *dialog) {
        frmConfig->Edit1().setText(empty);
        frmConfig->Edit2().setText(QStringLiteral("/viewer"));
        whenModal(QStringLiteral("frmError"), [&](QWidget *notice) {
            errorShown = notice->windowTitle() == QStringLiteral("Configuration error");
            pressKey(notice, Qt::Key_Escape);
            QVERIFY(notice->isVisible());
            click(notice, "BitBtn1");
        });
        click(dialog, "BitBtn1");
    });
    run_->form->Configure1Click();
    QVERIFY(errorShown);
    QVERIFY(!run_->scanEnabled());
    QCOMPARE(run_->panel(0), QString());
    QCOMPARE(catalogue::programState().MapsDirectory, empty.toStdString());
    QCOMPARE(catalogue::programState().ViewerPath, std::string());

    // A directory that does not exist: the checked directory change reports it.
    whenModal(QStringLiteral("frmConfig"), [&](QWidget *dialog) {
        frmConfig->Edit1().setText(empty + QStringLiteral("/missing"));
        click(dialog, "BitBtn1");
    });
    run_->form->Configure1Click();
    QCOMPARE(run_->messages.size(), std::size_t(1));
    QCOMPARE(run_->messages[0].text, QStringLiteral("File not found."));
    QVERIFY(!run_->scanEnabled());
}

void TestMainWindow::browsingLeavesCurrentDirectoryWhereItWas()
{
    run_ = std::make_unique<AppRun>();
    startConfigured(*run_);
    const QString maps = currentDirectory();
    const QString elsewhere = makeTempDir();
    whenModal(QStringLiteral("frmConfig"), [&](QWidget *dialog) {
        // The chooser moves the current directory as folders are opened.
        whenModal(QStringLiteral("frmStart"), [&](QWidget *chooser) {
            QDir::setCurrent(elsewhere);
            static_cast<QDialog *>(chooser)->done(ui::ResultCancel);
        });
        click(dialog, "Button1");
        QCOMPARE(currentDirectory(), maps);
        QCOMPARE(frmConfig->Edit1().text(), maps);
        click(dialog, "BitBtn2");
    });
    run_->form->Configure1Click();
    QCOMPARE(currentDirectory(), maps);

    // So a scan after a cancelled configuration lists the maps directory.
    scan(*run_);
    QCOMPARE(run_->list()->count(), 12);
}

void TestMainWindow::viewerBrowseOffersPreviousFile()
{
    run_ = std::make_unique<AppRun>();
    run_->createWindows();
    frmConfig->Edit2().setText(QStringLiteral("typed"));
    ui::FileDialogSeam::answerNext(std::string("/opt/first/cm32.exe"));
    ui::FileDialogSeam::answerNext(std::nullopt);
    ui::FileDialogSeam::answerNext(std::string("/opt/second/cm32.exe"));
    bool stayedOpen = false;
    whenModal(QStringLiteral("frmConfig"), [&](QWidget *dialog) {
        click(dialog, "Button2");
        QCOMPARE(frmConfig->Edit2().text(), QStringLiteral("/opt/first/cm32.exe"));
        click(dialog, "Button2"); // cancelled: the box keeps its text
        QCOMPARE(frmConfig->Edit2().text(), QStringLiteral("/opt/first/cm32.exe"));
        // Enter on a focused button runs that button, not OK.
        dialog->findChild<QWidget *>(QStringLiteral("Button2"))->setFocus();
        pressKey(dialog, Qt::Key_Return);
        stayedOpen = dialog->isVisible();
        click(dialog, "BitBtn2");
    });
    run_->form->Configure1Click();
    QVERIFY(stayedOpen);
    QCOMPARE(frmConfig->Edit2().text(), QStringLiteral("/opt/second/cm32.exe"));
    const auto &calls = ui::FileDialogSeam::calls();
    QCOMPARE(calls.size(), std::size_t(3));
    QCOMPARE(calls[0].title, QStringLiteral("Browse to and then select cm32.exe"));
    QCOMPARE(calls[0].fileName, std::string());
    QCOMPARE(calls[1].fileName, std::string("/opt/first/cm32.exe"));
    QCOMPARE(calls[2].fileName, std::string("/opt/first/cm32.exe"));
}

void TestMainWindow::scanListsDemoCollection()
{
    run_ = std::make_unique<AppRun>();
    startConfigured(*run_);
    run_->details()->setPlainText(QStringLiteral("kept"));
    scan(*run_);
    QCOMPARE(run_->list()->count(), 12);
    QVERIFY(run_->entries().contains(QStringLiteral("Blank Parchment")));
    QVERIFY(run_->entries().contains(QStringLiteral("harbour2")));
    QCOMPARE(run_->panel(1), QStringLiteral("Maps found: 12"));
    QCOMPARE(run_->list()->currentRow(), 0);
    QCOMPARE(run_->list()->selectedItems().size(), 1);
    QVERIFY(run_->listCommandsEnabled());
    QVERIFY(run_->scanEnabled());
    // The first entry is shown, as a click on it would show it.
    QCOMPARE(run_->details()->toPlainText(), QStringLiteral("\nNo details are contained within the selected file\n"));

    // A scan again rebuilds the list, not appends to it.
    scan(*run_);
    QCOMPARE(run_->list()->count(), 12);
}

void TestMainWindow::selectionShowsDetails()
{
    run_ = std::make_unique<AppRun>();
    startConfigured(*run_);
    scan(*run_);
    run_->list()->setCurrentRow(run_->entries().indexOf(QStringLiteral("Castle Keep")));
    auto lines = paneLines(*run_->details());
    QCOMPARE(lines.size(), std::size_t(4));
    QCOMPARE(lines[0].text, QStringLiteral("Map Name: Castle Keep"));
    QVERIFY(lines[0].bold);
    QCOMPARE(lines[1].text, QStringLiteral("Map Type: Dungeon"));
    QVERIFY(!lines[1].bold);
    QCOMPARE(lines[2].text, QStringLiteral("Product: Thalmarch Atlas"));
    QCOMPARE(lines[3].text, QStringLiteral("Page Number: 12"));
    QCOMPARE(lines[3].colour, QColor(0, 0, 0));

    run_->list()->setCurrentRow(run_->entries().indexOf(QStringLiteral("Blank Parchment")));
    lines = paneLines(*run_->details());
    QCOMPARE(lines.size(), std::size_t(2));
    QCOMPARE(lines[0].text, QString());
    QCOMPARE(lines[1].text, QStringLiteral("No details are contained within the selected file"));
    QVERIFY(lines[1].bold);
    QCOMPARE(lines[1].colour, QColor(255, 0, 0));

    // The style goes back to normal black for the next map.
    run_->list()->setCurrentRow(run_->entries().indexOf(QStringLiteral("Kings Road")));
    lines = paneLines(*run_->details());
    QCOMPARE(lines[1].text, QStringLiteral("Map Type: Overland"));
    QVERIFY(!lines[1].bold);
    QCOMPARE(lines[1].colour, QColor(0, 0, 0));
    QVERIFY(run_->messages.empty());
}

void TestMainWindow::clickOnTheSelectedEntryShowsItsDetails()
{
    run_ = std::make_unique<AppRun>();
    const QString record = makeTempDir() + QStringLiteral("/arguments.txt");
    startConfigured(*run_, QFile::encodeName(writeRecordingViewer(record)));
    scan(*run_);
    run_->form->show();
    QVERIFY(QTest::qWaitForWindowExposed(run_->form.get()));
    QListWidget *list = run_->list();
    const QString first = list->item(0)->text(); // a map without details
    const QPoint onFirst = list->visualItemRect(list->item(0)).center();

    const auto firstShown = [this] {
        return run_->details()->toPlainText() == QStringLiteral("\nNo details are contained within the selected file\n");
    };
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, onFirst);
    QVERIFY(firstShown());

    // Older details in the pane: a click on the selected entry replaces them.
    run_->details()->setPlainText(QStringLiteral("older"));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, onFirst);
    QVERIFY(firstShown());

    // A double click is a click first: details, then the viewer.
    run_->details()->setPlainText(QStringLiteral("older"));
    QMouseEvent doubleClick(QEvent::MouseButtonDblClick, onFirst, list->viewport()->mapToGlobal(onFirst),
                            Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &doubleClick);
    QVERIFY(firstShown());
    QTRY_COMPARE(readFile(record), QFile::encodeName(currentDirectory() + QLatin1Char('/') + first + QStringLiteral(".fcw\n")));

    // Keyboard moves show the entry they reach, once each.
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(paneLines(*run_->details()).at(0).text, QStringLiteral("Map Name: ") + list->item(1)->text());
    QVERIFY(run_->messages.empty());
}

void TestMainWindow::tabLeavesTheDetailsPane()
{
    run_ = std::make_unique<AppRun>();
    run_->createWindows();
    run_->form->show();
    QVERIFY(QTest::qWaitForWindowActive(run_->form.get()));
    QTextEdit *pane = run_->details();
    pane->setPlainText(QStringLiteral("details"));
    for (const Qt::Key key : {Qt::Key_Tab, Qt::Key_Backtab}) {
        pane->setFocus();
        QTest::keyClick(pane, key);
        QCOMPARE(QApplication::focusWidget(), run_->list());
        QCOMPARE(pane->toPlainText(), QStringLiteral("details"));
    }
}

// Cancel keeps what was typed in the maps box, and the details are read
// from what the box says.
void TestMainWindow::detailsAfterACancelledConfigure()
{
    run_ = std::make_unique<AppRun>();
    startConfigured(*run_);
    scan(*run_);
    const QString elsewhere = makeTempDir();
    writeFile(elsewhere + QStringLiteral("/Harbour.fcw"), "xx\rMap Name: Elsewhere\r\n");
    whenModal(QStringLiteral("frmConfig"), [&](QWidget *dialog) {
        frmConfig->Edit1().setText(elsewhere);
        click(dialog, "BitBtn2");
    });
    run_->form->Configure1Click();
    run_->list()->setCurrentRow(run_->entries().indexOf(QStringLiteral("Harbour")));
    QCOMPARE(paneLines(*run_->details()).at(0).text, QStringLiteral("Map Name: Elsewhere"));
    run_->list()->setCurrentRow(run_->entries().indexOf(QStringLiteral("Castle Keep")));
    QCOMPARE(run_->messages.size(), std::size_t(1));
    QCOMPARE(run_->messages[0].text, QStringLiteral("File not found."));
}

void TestMainWindow::viewLaunchesViewerOnSelectedMap()
{
    run_ = std::make_unique<AppRun>();
    const QString record = makeTempDir() + QStringLiteral("/arguments.txt");
    const QString viewer = writeRecordingViewer(record);
    startConfigured(*run_, QFile::encodeName(viewer));
    scan(*run_);
    const QString maps = currentDirectory();

    run_->list()->setCurrentRow(run_->entries().indexOf(QStringLiteral("Elven Forest")));
    run_->form->View1Click();
    QTRY_VERIFY(QFile::exists(record));
    QTRY_COMPARE(readFile(record), QFile::encodeName(maps + QStringLiteral("/Elven Forest.fcw\n")));

    // A double click views too, once the entry under it is selected.
    QFile::remove(record);
    QListWidgetItem *item = run_->list()->item(run_->entries().indexOf(QStringLiteral("Misty Marsh")));
    const QRect rect = run_->list()->visualItemRect(item);
    QTest::mouseClick(run_->list()->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(run_->list()->viewport(), Qt::LeftButton, {}, rect.center());
    QTRY_COMPARE(readFile(record), QFile::encodeName(maps + QStringLiteral("/Misty Marsh.fcw\n")));
    QCOMPARE(paneLines(*run_->details())[0].text, QStringLiteral("Map Name: Misty Marsh"));

    // Clicks that would leave the list without a selection keep it, and a
    // double click below the last entry views the selected one.
    QFile::remove(record);
    run_->form->show(); // the list's real size: 16 rows, 12 entries
    QVERIFY(QTest::qWaitForWindowExposed(run_->form.get()));
    const QPoint below(rect.center().x(), run_->list()->viewport()->height() - 5);
    QVERIFY(!run_->list()->itemAt(below));
    const auto selectedTexts = [this] {
        QStringList texts;
        for (const QListWidgetItem *selected : run_->list()->selectedItems())
            texts << selected->text();
        return texts;
    };
    QTest::mouseClick(run_->list()->viewport(), Qt::LeftButton, {}, below);
    QCOMPARE(selectedTexts(), QStringList{QStringLiteral("Misty Marsh")});
    QTest::mouseClick(run_->list()->viewport(), Qt::LeftButton, Qt::ControlModifier, rect.center());
    QCOMPARE(selectedTexts(), QStringList{QStringLiteral("Misty Marsh")});
    QTest::mouseDClick(run_->list()->viewport(), Qt::LeftButton, {}, below);
    QTRY_COMPARE(readFile(record), QFile::encodeName(maps + QStringLiteral("/Misty Marsh.fcw\n")));
    QVERIFY(run_->messages.empty());
}

void TestMainWindow::viewWithNothingSelectedDoesNothing()
{
    run_ = std::make_unique<AppRun>();
    const QString record = makeTempDir() + QStringLiteral("/arguments.txt");
    const QString viewer = writeRecordingViewer(record);
    startConfigured(*run_, QFile::encodeName(viewer));
    const QString maps = currentDirectory();
    // A later view of a selected map is recorded alone: nothing came before it.
    const auto viewOnlyThisOneLater = [&] {
        QDir::setCurrent(maps);
        scan(*run_);
        run_->list()->setCurrentRow(run_->entries().indexOf(QStringLiteral("Harbour")));
        run_->form->View1Click();
        QTRY_COMPARE(readFile(record), QFile::encodeName(maps + QStringLiteral("/Harbour.fcw\n")));
        QFile::remove(record);
    };

    scan(*run_);
    run_->list()->clearSelection();
    run_->form->View1Click();
    viewOnlyThisOneLater();

    // An empty directory scanned: an empty list, still nothing to view.
    QDir::setCurrent(makeTempDir());
    scan(*run_);
    QCOMPARE(run_->list()->count(), 0);
    QCOMPARE(run_->panel(1), QStringLiteral("Maps found: 0"));
    QVERIFY(run_->listCommandsEnabled());
    run_->form->View1Click();
    viewOnlyThisOneLater();
    QVERIFY(run_->messages.empty());
}

void TestMainWindow::viewWithNoViewerSetSaysSo()
{
    run_ = std::make_unique<AppRun>();
    startConfigured(*run_);
    scan(*run_);
    run_->form->View1Click();
    QCOMPARE(run_->messages.size(), std::size_t(1));
    QCOMPARE(run_->messages[0].text, QStringLiteral("No viewer is set. Select File - Configure to choose one."));
}

void TestMainWindow::saveWritesListAndReturnsToMaps()
{
    run_ = std::make_unique<AppRun>();
    startConfigured(*run_);
    scan(*run_);
    const QString maps = currentDirectory();
    const QString target = makeTempDir() + QStringLiteral("/list.txt");
    ui::FileDialogSeam::answerNext(QFile::encodeName(target).toStdString());
    run_->form->Save1Click();
    QVERIFY(run_->messages.empty());
    QByteArray expected;
    for (const QString &entry : run_->entries())
        expected += QFile::encodeName(entry) + "\r\n";
    QCOMPARE(readFile(target), expected);
    QCOMPARE(ui::FileDialogSeam::calls().at(0).directory, run_->startDirectory.toStdString());
    QCOMPARE(ui::FileDialogSeam::calls().at(0).fileName, std::string("maplist.txt"));

    // Cancelled: nothing written, and back in the maps directory all the same.
    QDir::setCurrent(run_->startDirectory);
    ui::FileDialogSeam::answerNext(std::nullopt);
    run_->form->Save1Click();
    QCOMPARE(currentDirectory(), maps);
    QVERIFY(!QFile::exists(run_->startDirectory + QStringLiteral("/maplist.txt")));

    // A file that cannot be created is reported.
    ui::FileDialogSeam::answerNext(QFile::encodeName(maps + QStringLiteral("/no/such/dir/x.txt")).toStdString());
    run_->form->Save1Click();
    QCOMPARE(run_->messages.size(), std::size_t(1));
    QCOMPARE(run_->messages[0].text, QStringLiteral("Invalid filename."));
}

// The platform's file dialogs go where the print dialog goes: centred
// across the screen, a third of the free height above them.
void TestMainWindow::fileDialogsArePlacedLikeThePrintDialog()
{
    run_ = std::make_unique<AppRun>();
    startConfigured(*run_);
    scan(*run_);
    run_->form->show();
    QVERIFY(QTest::qWaitForWindowExposed(run_->form.get()));
    const QRect area = run_->form->screen()->availableGeometry();
    QStringList placed;
    const auto checkPlace = [&](QWidget *dialog) {
        const QRect frame = dialog->frameGeometry();
        if (frame.left() - area.left() == (area.width() - frame.width()) / 2 &&
            frame.top() - area.top() == (area.height() - frame.height()) / 3)
            placed << dialog->objectName();
        static_cast<QDialog *>(dialog)->reject();
    };
    whenModal(QStringLiteral("SaveDialog1"), checkPlace);
    run_->form->Save1Click();
    whenModal(QStringLiteral("frmConfig"), [&](QWidget *dialog) {
        whenModal(QStringLiteral("OpenDialog1"), checkPlace);
        click(dialog, "Button2");
        click(dialog, "BitBtn2");
    });
    run_->form->Configure1Click();
    QCOMPARE(placed, (QStringList{QStringLiteral("SaveDialog1"), QStringLiteral("OpenDialog1")}));
}

void TestMainWindow::clearAsksFirst()
{
    run_ = std::make_unique<AppRun>();
    startConfigured(*run_);
    scan(*run_);
    run_->list()->setCurrentRow(1);

    // The confirming button has the focus on opening: Enter clears.
    whenModal(QStringLiteral("frmConfirmClear"), [](QWidget *dialog) { pressKey(dialog, Qt::Key_Return); });
    run_->form->Clear1Click();
    QCOMPARE(run_->list()->count(), 0);
    QVERIFY(run_->listCommandsDisabled());
    QVERIFY(run_->scanEnabled());
    QCOMPARE(run_->panel(1), QString());
    QCOMPARE(run_->details()->toPlainText(), QString()); // no map left to describe

    // Scan still works and rebuilds the list.
    scan(*run_);
    QCOMPARE(run_->list()->count(), 12);
    QCOMPARE(run_->panel(1), QStringLiteral("Maps found: 12"));
    QVERIFY(run_->listCommandsEnabled());

    // Esc and Cancel keep the list.
    whenModal(QStringLiteral("frmConfirmClear"), [](QWidget *dialog) { pressKey(dialog, Qt::Key_Escape); });
    run_->form->Clear1Click();
    whenModal(QStringLiteral("frmConfirmClear"), [](QWidget *dialog) { click(dialog, "BitBtn2"); });
    run_->form->Clear1Click();
    QCOMPARE(run_->list()->count(), 12);
    QVERIFY(run_->listCommandsEnabled());
}

void TestMainWindow::exitAsksFirst()
{
    run_ = std::make_unique<AppRun>();
    run_->createWindows();
    QSignalSpy terminate(run_->form.get(), &TForm1::terminateRequested);

    // "&Close" has the focus when the window first opens: Enter ends the program.
    whenModal(QStringLiteral("frmQuit"), [](QWidget *dialog) { pressKey(dialog, Qt::Key_Return); });
    run_->form->Exit1Click();
    QCOMPARE(terminate.count(), 1);

    whenModal(QStringLiteral("frmQuit"), [](QWidget *dialog) { pressKey(dialog, Qt::Key_Escape); });
    run_->form->Exit1Click();
    whenModal(QStringLiteral("frmQuit"), [](QWidget *dialog) { click(dialog, "BitBtn2"); });
    run_->form->Exit1Click();
    QCOMPARE(terminate.count(), 1);
}

void TestMainWindow::unreadableMapShowsErrorBox()
{
    run_ = std::make_unique<AppRun>();
    startConfigured(*run_);
    // A directory named like a map is listed, and cannot be opened for
    // reading and writing.
    QVERIFY(QDir::current().mkdir(QStringLiteral("Broken.fcw")));
    scan(*run_);
    QCOMPARE(run_->list()->count(), 13);
    run_->list()->setCurrentRow(run_->entries().indexOf(QStringLiteral("Castle Keep")));
    run_->list()->setCurrentRow(run_->entries().indexOf(QStringLiteral("Broken")));
    QCOMPARE(run_->messages.size(), std::size_t(1));
    QCOMPARE(run_->messages[0].icon, QMessageBox::Critical);
    QCOMPARE(run_->messages[0].caption, QStringLiteral("Map utility"));
    QCOMPARE(run_->messages[0].text, QStringLiteral("File access denied."));
    QCOMPARE(run_->details()->toPlainText(), QString());

    // A map deleted after the scan.
    QVERIFY(QFile::remove(QStringLiteral("Kings Road.fcw")));
    run_->list()->setCurrentRow(run_->entries().indexOf(QStringLiteral("Kings Road")));
    QCOMPARE(run_->messages.size(), std::size_t(2));
    QCOMPARE(run_->messages[1].text, QStringLiteral("File not found."));

    // The window goes on working.
    run_->list()->setCurrentRow(run_->entries().indexOf(QStringLiteral("Castle Keep")));
    QCOMPARE(paneLines(*run_->details())[0].text, QStringLiteral("Map Name: Castle Keep"));
    QVERIFY(run_->listCommandsEnabled());
}

void TestMainWindow::nameThatIsNotUtf8StillOpens()
{
    run_ = std::make_unique<AppRun>();
    startConfigured(*run_);
    const QByteArray name = "Caf\xe9 Royal";
    // Written by its bytes: Qt's file names are Unicode.
    std::ofstream(name.toStdString() + ".fcw", std::ios::binary) << "xx\rMap Name: Caf\xe9 Royal\r\n";
    scan(*run_);
    int row = -1;
    for (int i = 0; i < run_->list()->count(); ++i) {
        if (run_->list()->item(i)->data(Qt::UserRole).toByteArray() == name)
            row = i;
    }
    QVERIFY(row >= 0);
    run_->list()->setCurrentRow(row);
    QVERIFY(run_->messages.empty());
    // The detail bytes are Windows-1252.
    QCOMPARE(paneLines(*run_->details())[0].text, QStringLiteral("Map Name: Caf\u00e9 Royal"));
}

// Each item keeps the file it was listed from: two "Harbour" entries show
// and view two maps, and "Vol" opens "Vol.2 Caves.fcw".
void TestMainWindow::namesWithDotsOpenTheirOwnFiles()
{
    run_ = std::make_unique<AppRun>();
    const QString record = makeTempDir() + QStringLiteral("/arguments.txt");
    startConfigured(*run_, QFile::encodeName(writeRecordingViewer(record)));
    for (const char *name : {"Vol.2 Caves", "Harbour.1850"})
        writeFile(QLatin1String(name) + QStringLiteral(".fcw"), QByteArray("xx\rMap Name: ") + name + '\r');
    scan(*run_);
    const QStringList entries = run_->entries();
    const struct {
        int row;
        QString file, name;
    } cases[] = {{int(entries.indexOf(QStringLiteral("Harbour"))), QStringLiteral("Harbour.1850"), {}},
                 {int(entries.lastIndexOf(QStringLiteral("Harbour"))), QStringLiteral("Harbour"),
                  QStringLiteral("Harbour District")},
                 {int(entries.indexOf(QStringLiteral("Vol"))), QStringLiteral("Vol.2 Caves"), {}}};
    for (const auto &c : cases) {
        run_->list()->setCurrentRow(c.row);
        QCOMPARE(paneLines(*run_->details()).at(0).text,
                 QStringLiteral("Map Name: ") + (c.name.isEmpty() ? c.file : c.name));
        run_->form->View1Click();
        QTRY_COMPARE(readFile(record),
                     QFile::encodeName(currentDirectory() + QLatin1Char('/') + c.file + QStringLiteral(".fcw\n")));
        QFile::remove(record);
    }
    QVERIFY(run_->messages.empty());
}

void TestMainWindow::errorAtStartLeavesWindowUsable()
{
    run_ = std::make_unique<AppRun>();
    run_->writeConfiguration("/no/such/maps", "/viewer");
    run_->createWindows();
    run_->form->FormActivate();
    QCOMPARE(run_->messages.size(), std::size_t(1));
    QCOMPARE(run_->messages[0].text, QStringLiteral("Invalid filename."));
    // Loaded and shown before the directory change failed.
    QVERIFY(run_->scanEnabled());
    QCOMPARE(run_->panel(0), QStringLiteral("Maps are in: /no/such/maps"));
    QCOMPARE(frmConfig->Edit2().text(), QStringLiteral("/viewer"));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
