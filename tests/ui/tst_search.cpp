// Searching from the main window: the search dialog, the "Maps not found"
// notice, the progress bar, and the content search's worker.

#include "app_fixture.h"

#include "RunningSearch.h"
#include "Unit10.h"

#include "catalogue/program_state.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QSignalSpy>
#include <QThread>
#include <QtTest/qtestspontaneevent.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

using namespace uitest;

namespace {

// Answers the search dialog with text and mode, as a user typing and pressing OK.
void answerSearch(const QString &text, bool fullSearch)
{
    whenModal(QStringLiteral("frmFind"), [text, fullSearch](QWidget *dialog) {
        dialog->findChild<QLineEdit *>(QStringLiteral("Edit1"))->setText(text);
        dialog->findChild<QRadioButton *>(fullSearch ? QStringLiteral("RadioButton2") : QStringLiteral("RadioButton1"))
            ->setChecked(true);
        click(dialog, "BitBtn1");
    });
}

// Runs a content search for text and waits until its result is applied.
bool contentSearch(AppRun &run, const QString &text)
{
    QSignalSpy finished(run.form.get(), &TForm1::fullSearchFinished);
    answerSearch(text, true);
    run.form->Search1Click();
    return finished.count() == 1 || finished.wait(30000);
}

// Holds the worker after its first map until released, as a slow disk would;
// a search cancelled meanwhile lets go at once. Declare it before the AppRun,
// so that it outlives the window's worker.
class WorkerGate final {
public:
    WorkerGate()
    {
        ui::SetContentSearchFunction([this](int fd, const std::vector<catalogue::ListedMap> &maps,
                                            std::string_view text, const catalogue::SearchProgress &progress,
                                            unsigned jobs, const std::stop_token &stop) {
            worker_ = std::this_thread::get_id();
            auto result = catalogue::FindMapsContaining(
                fd, maps, text, [&](std::size_t done) { return hold(progress, done); }, jobs, stop);
            stopRequested_ = stop.stop_requested();
            ended_ = true;
            return result;
        });
    }
    ~WorkerGate()
    {
        release();
        ui::SetContentSearchFunction({});
    }
    WorkerGate(const WorkerGate &) = delete;
    WorkerGate &operator=(const WorkerGate &) = delete;

    void release()
    {
        {
            std::lock_guard lock(mutex_);
            released_ = true;
        }
        wake_.notify_all();
    }
    bool holding() const { return holding_; }
    bool ended() const { return ended_; }
    // Whether the search's own stop was requested by the time it returned.
    bool stopRequested() const { return stopRequested_; }
    std::size_t lastDone() const { return lastDone_; }
    std::thread::id worker() const { return worker_; }

private:
    bool hold(const catalogue::SearchProgress &progress, std::size_t done)
    {
        lastDone_ = done;
        std::unique_lock lock(mutex_);
        holding_ = true;
        while (!released_) {
            if (!progress(done))
                return false;
            wake_.wait_for(lock, std::chrono::milliseconds(10));
        }
        return progress(done);
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    bool released_ = false;
    std::atomic<bool> holding_{false};
    std::atomic<bool> ended_{false};
    std::atomic<bool> stopRequested_{false};
    std::atomic<std::size_t> lastDone_{0};
    std::atomic<std::thread::id> worker_{};
};

} // namespace

class TestSearch : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void filenameSearchNarrowsTheList();
    void emptyTextShowsTheNoticeAndKeepsTheList();
    void contentSearchNarrowsAndSetsTheMapCount();
    void progressFollowsTheMapCount_data();
    void progressFollowsTheMapCount();
    void unreadableMapsAreSkippedAndReportedOnce();
    void missingMapsFolderShowsOnlyTheError();
    void narrowingTwiceThenScanRestoresTheList();
    void cancelChangesNothing();
    void searchButtonDoesNothingWhileSearchIsDisabled();
    void relativeConfigurationLinesKeepTheirFolder();

    void handlerReturnsWhileTheWorkerSearches();
    void inputDuringTheSearchIsDropped();
    void escapeCancelsAndKeepsEverything();
    void closingTheWindowWaitsForTheWorker();

private:
    void start(AppRun &run);
    // Shows the started window and searches it for "Dungeon", held by gate at its first map.
    void startHeldSearch(AppRun &run, const WorkerGate &gate);
    bool searchEnded() { return finished_->count() == 1 || finished_->wait(30000); }
    QProgressBar *bar(AppRun &run) { return run.child<QProgressBar>("ProgressBar1"); }
    QString maps_;
    std::unique_ptr<QSignalSpy> finished_;
};

void TestSearch::initTestCase()
{
    ui::ConfigureApplication();
}

void TestSearch::cleanup()
{
    finished_.reset();
    closeAllModals();
}

void TestSearch::start(AppRun &run)
{
    maps_ = makeDemoMaps();
    run.writeConfiguration(maps_.toUtf8(), QByteArray());
    run.createWindows();
    run.form->FormActivate();
    run.form->Scan1Click();
    QCOMPARE(run.list()->count(), 12);
}

void TestSearch::startHeldSearch(AppRun &run, const WorkerGate &gate)
{
    run.form->show();
    QVERIFY(QTest::qWaitForWindowActive(run.form.get()));
    finished_ = std::make_unique<QSignalSpy>(run.form.get(), &TForm1::fullSearchFinished);
    answerSearch(QStringLiteral("Dungeon"), true);
    run.form->Search1Click();
    QTRY_VERIFY_WITH_TIMEOUT(gate.holding(), 30000);
}

void TestSearch::filenameSearchNarrowsTheList()
{
    AppRun run;
    start(run);
    answerSearch(QStringLiteral("Harbour"), false);
    run.form->Search1Click();
    QCOMPARE(run.entries(), (QStringList{QStringLiteral("Harbour"), QStringLiteral("Old Harbour")}));
    QCOMPARE(run.panel(1), QStringLiteral("Maps found: 2"));
    QCOMPARE(catalogue::programState().MapCount, 12);
    QVERIFY(run.list()->selectedItems().isEmpty());
    QVERIFY(run.listCommandsEnabled());

    // The list as it now stands is searched again.
    answerSearch(QStringLiteral("harbour"), false);
    bool noticeShown = false;
    whenModal(QStringLiteral("frmNotFound"), [&noticeShown](QWidget *notice) {
        noticeShown = true;
        click(notice, "BitBtn1");
    });
    run.form->Search1Click();
    QVERIFY(noticeShown);
    QCOMPARE(run.list()->count(), 2);
}

void TestSearch::emptyTextShowsTheNoticeAndKeepsTheList()
{
    for (bool full : {false, true}) {
        AppRun run;
        start(run);
        bool noticeShown = false;
        whenModal(QStringLiteral("frmNotFound"), [&noticeShown](QWidget *notice) {
            noticeShown = true;
            pressKey(notice, Qt::Key_Return);
        });
        if (full) {
            QVERIFY(contentSearch(run, QString()));
        } else {
            answerSearch(QString(), false);
            run.form->Search1Click();
        }
        QVERIFY(noticeShown);
        QCOMPARE(run.list()->count(), 12);
        QCOMPARE(run.panel(1), QStringLiteral("Maps found: 12"));
    }
}

void TestSearch::contentSearchNarrowsAndSetsTheMapCount()
{
    AppRun run;
    start(run);
    QVERIFY(contentSearch(run, QStringLiteral("Dungeon")));
    QCOMPARE(run.entries(), (QStringList{QStringLiteral("Castle Keep"), QStringLiteral("Goblin Warrens"),
                                        QStringLiteral("Sunken Temple")}));
    QCOMPARE(run.panel(1), QStringLiteral("Maps found: 3"));
    QCOMPARE(catalogue::programState().MapCount, 3);
    QVERIFY(bar(run)->isHidden());
    QCOMPARE(bar(run)->value(), 12);
    QVERIFY(run.messages.empty());
}

void TestSearch::progressFollowsTheMapCount_data()
{
    QTest::addColumn<QString>("narrowTo");
    QTest::addColumn<int>("mapCount");
    QTest::addColumn<int>("shownAtNotice");
    QTest::newRow("whole list") << QString() << 12 << 12;
    QTest::newRow("list narrowed by name: stops short") << QStringLiteral("Harbour") << 12 << 2;
    QTest::newRow("more entries than the count: stays full") << QString() << 5 << 5;
}

// The bar's maximum is MapCount and it moves one step per map; the notice
// shows while the bar is still up.
void TestSearch::progressFollowsTheMapCount()
{
    QFETCH(QString, narrowTo);
    QFETCH(int, mapCount);
    QFETCH(int, shownAtNotice);
    AppRun run;
    start(run);
    if (!narrowTo.isEmpty()) {
        answerSearch(narrowTo, false);
        run.form->Search1Click();
    }
    catalogue::programState().MapCount = mapCount;
    int maximum = -1;
    int value = -1;
    bool visible = false;
    whenModal(QStringLiteral("frmNotFound"), [&](QWidget *notice) {
        maximum = bar(run)->maximum();
        value = bar(run)->value();
        visible = !bar(run)->isHidden();
        click(notice, "BitBtn1");
    });
    QVERIFY(contentSearch(run, QStringLiteral("no map says this")));
    QVERIFY(visible);
    QCOMPARE(maximum, mapCount);
    QCOMPARE(value, shownAtNotice);
    QVERIFY(bar(run)->isHidden());
    QCOMPARE(catalogue::programState().MapCount, mapCount);
}

// Maps that cannot be read are skipped: the matches are shown, then one
// box names the first unreadable map and counts the others.
void TestSearch::unreadableMapsAreSkippedAndReportedOnce()
{
    AppRun run;
    start(run);
    QVERIFY(QFile::remove(maps_ + QStringLiteral("/Misty Marsh.fcw")));
    QVERIFY(QFile::link(QStringLiteral("nowhere"), maps_ + QStringLiteral("/Misty Marsh.fcw")));
    QVERIFY(QDir(maps_).mkdir(QStringLiteral("Zz Folder.fcw")));
    run.form->Scan1Click();
    QVERIFY(QFile::remove(maps_ + QStringLiteral("/Castle Keep.fcw"))); // after the scan
    run.list()->setCurrentRow(run.entries().indexOf(QStringLiteral("Sunken Temple")));
    QVERIFY(contentSearch(run, QStringLiteral("Dungeon")));
    QCOMPARE(run.entries(), (QStringList{QStringLiteral("Goblin Warrens"), QStringLiteral("Sunken Temple")}));
    QCOMPARE(run.details()->toPlainText(), QString()); // nothing selected in the new list
    QCOMPARE(run.panel(1), QStringLiteral("Maps found: 2"));
    QCOMPARE(catalogue::programState().MapCount, 2);
    QVERIFY(bar(run)->isHidden());
    QCOMPARE(run.messages.size(), size_t(1));
    QCOMPARE(run.messages[0].icon, QMessageBox::Critical);
    QCOMPARE(run.messages[0].text, QStringLiteral("File not found.\nCastle Keep (and 2 more maps could not be read)"));
}

// The folder is entered before any worker starts: nothing else happens.
void TestSearch::missingMapsFolderShowsOnlyTheError()
{
    AppRun run;
    start(run);
    QVERIFY(QDir(maps_).removeRecursively());
    answerSearch(QStringLiteral("Dungeon"), true);
    run.form->Search1Click();
    QCOMPARE(run.messages.size(), size_t(1));
    QCOMPARE(run.messages[0].text, QStringLiteral("File not found."));
    QVERIFY(bar(run)->isHidden());
    QCOMPARE(run.list()->count(), 12);
}

void TestSearch::narrowingTwiceThenScanRestoresTheList()
{
    AppRun run;
    start(run);
    QVERIFY(contentSearch(run, QStringLiteral("City")));
    QCOMPARE(run.list()->count(), 3);
    answerSearch(QStringLiteral("Old"), false);
    run.form->Search1Click();
    QCOMPARE(run.entries(), QStringList{QStringLiteral("Old Harbour")});
    QCOMPARE(catalogue::programState().MapCount, 3);
    run.form->Scan1Click();
    QCOMPARE(run.list()->count(), 12);
    QCOMPARE(run.panel(1), QStringLiteral("Maps found: 12"));
}

void TestSearch::cancelChangesNothing()
{
    AppRun run;
    start(run);
    whenModal(QStringLiteral("frmFind"), [](QWidget *dialog) {
        dialog->findChild<QLineEdit *>(QStringLiteral("Edit1"))->setText(QStringLiteral("Harbour"));
        pressKey(dialog, Qt::Key_Escape);
    });
    run.form->Search1Click();
    QCOMPARE(run.list()->count(), 12);
    QCOMPARE(frmFind->SearchText(), std::string("Harbour")); // kept for the next showing
}

void TestSearch::searchButtonDoesNothingWhileSearchIsDisabled()
{
    AppRun run;
    run.createWindows();
    // The click runs its handler to the end before returning: a dialog it
    // opened would have been answered by then.
    bool dialogShown = false;
    whenModal(QStringLiteral("frmFind"), [&dialogShown](QWidget *dialog) {
        dialogShown = true;
        click(dialog, "BitBtn2");
    });
    auto *button = run.child<QAbstractButton>("SpeedButton9");
    button->setEnabled(true); // a button out of step with its menu item
    button->click();
    QVERIFY(!dialogShown);
    closeAllModals();
}

// No event loop is spun inside the handler: it returns with the search
// under way, and the result comes later, on the window's thread.
void TestSearch::handlerReturnsWhileTheWorkerSearches()
{
    WorkerGate gate;
    AppRun run;
    start(run);
    startHeldSearch(run, gate);
    QVERIFY(gate.worker() != std::this_thread::get_id());
    QVERIFY(!bar(run)->isHidden());
    QCOMPARE(run.list()->count(), 12);
    QCOMPARE(finished_->count(), 0);

    bool appliedHere = false;
    connect(run.form.get(), &TForm1::fullSearchFinished, this, [&appliedHere, &run] {
        appliedHere = QThread::currentThread() == run.form->thread() && run.list()->count() == 3;
    });
    gate.release();
    QVERIFY(searchEnded());
    QVERIFY(appliedHere);
    QCOMPARE(run.panel(1), QStringLiteral("Maps found: 3"));
}

// Clicks, keys and the close box while searching are dropped, and nothing
// of them comes back once the search is over.
void TestSearch::inputDuringTheSearchIsDropped()
{
    WorkerGate gate;
    AppRun run;
    start(run);
    startHeldSearch(run, gate);
    bool clearAsked = false;
    whenModal(QStringLiteral("frmConfirmClear"), [&clearAsked](QWidget *dialog) {
        clearAsked = true;
        click(dialog, "BitBtn2"); // Esc would be taken as the search's
    });

    QTest::mouseClick(run.child<QWidget>("SpeedButton6"), Qt::LeftButton);
    QVERIFY(!clearAsked);
    QTest::keyClick(run.list(), Qt::Key_Down);
    QCloseEvent close;
    QSpontaneKeyEvent::setSpontaneous(&close);
    qApp->notify(run.form->windowHandle(), &close); // the close box, as the window system delivers it
    QVERIFY(!close.isAccepted());
    QCOMPARE(run.list()->currentRow(), 0);

    gate.release();
    QVERIFY(searchEnded());
    QCOMPARE(run.list()->count(), 3);
    // Anything held back would have been delivered by the time this queued call runs.
    bool drained = false;
    QMetaObject::invokeMethod(this, [&drained] { drained = true; }, Qt::QueuedConnection);
    QTRY_VERIFY(drained);
    QVERIFY(!clearAsked);
    QCOMPARE(run.list()->count(), 3);
    QVERIFY(run.form->isVisible());
}

// Esc stops the worker: the bar goes and the list, its selection, the
// count and the status stay as they were; the maps folder stays current.
void TestSearch::escapeCancelsAndKeepsEverything()
{
    WorkerGate gate;
    AppRun run;
    start(run);
    run.list()->setCurrentRow(4);
    const QStringList entries = run.entries();
    startHeldSearch(run, gate);
    QTest::keyClick(run.form.get(), Qt::Key_Escape);
    QVERIFY(bar(run)->isHidden());
    QVERIFY(searchEnded());
    QVERIFY(gate.stopRequested()); // so a map being read stops at its next chunk
    QCOMPARE(gate.lastDone(), size_t(1));
    QCOMPARE(run.entries(), entries);
    QCOMPARE(run.list()->currentRow(), 4);
    QVERIFY(run.list()->item(4)->isSelected());
    QCOMPARE(run.panel(1), QStringLiteral("Maps found: 12"));
    QCOMPARE(catalogue::programState().MapCount, 12);
    QVERIFY(run.messages.empty());
    QCOMPARE(QDir::current().canonicalPath(), QDir(maps_).canonicalPath());
    QVERIFY(bar(run)->isHidden());
}

void TestSearch::closingTheWindowWaitsForTheWorker()
{
    WorkerGate gate;
    AppRun run;
    start(run);
    startHeldSearch(run, gate);
    run.form.reset();
    QVERIFY(gate.ended());
}

// "lister.txt" names "maps" and "./viewer.sh" beside it; the maps folder,
// current after loading, holds a viewer.sh of its own that must not run.
void TestSearch::relativeConfigurationLinesKeepTheirFolder()
{
    AppRun run;
    QVERIFY(QDir().rename(makeDemoMaps(), run.startDirectory + QStringLiteral("/maps")));
    const QByteArray start = QFile::encodeName(run.startDirectory);
    for (const QByteArray &folder : {start, start + "/maps"}) {
        writeFile(QFile::decodeName(folder + "/viewer.sh"),
                  "#!/bin/sh\necho '" + folder + "' >> '" + start + "/viewed'\n");
        QFile::setPermissions(QFile::decodeName(folder + "/viewer.sh"), QFile::ReadOwner | QFile::ExeOwner);
    }
    run.writeConfiguration("maps", "./viewer.sh");
    run.createWindows();
    run.form->FormActivate();
    run.form->Scan1Click();
    QVERIFY(contentSearch(run, QStringLiteral("Dungeon")));
    QVERIFY(contentSearch(run, QStringLiteral("Dungeon")));
    run.list()->setCurrentRow(0);
    run.form->View1Click();
    QTRY_COMPARE(readFile(QFile::decodeName(start + "/viewed")), start + "\n");
    QDir::setCurrent(run.startDirectory); // as the folder chooser may leave it
    run.list()->setCurrentRow(2);
    QVERIFY(run.details()->toPlainText().startsWith(QStringLiteral("Map Name: Sunken Temple")));
    QVERIFY(run.messages.empty());
}

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
