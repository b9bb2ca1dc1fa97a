// The windows under a real window manager (run by window_manager_test.sh
// under Xvfb with openbox): what the manager is told and where it puts them.

#include "app_fixture.h"

#include "DialogFrame.h"
#include "Unit4.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QWindow>

using namespace uitest;

namespace {

// A manager is running (the script saw it start): a frame that does not come
// in this long is a failure, not a slow machine.
constexpr int FrameTimeoutMs = 30000;

// The frame the manager drew (the widget's own view lags until the window moves).
QRect frameOf(const QWidget &window)
{
    return window.geometry().marginsAdded(window.windowHandle()->frameMargins());
}
bool framed(const QWidget &window)
{
    return !window.windowHandle()->frameMargins().isNull();
}

// What the window manager lets the user do with a window (xprop's view of
// _NET_WM_ALLOWED_ACTIONS), once it has taken the window on.
QString allowedActions(const QWidget &window)
{
    QString actions;
    for (int attempt = 0; attempt < 100 && !actions.contains(QLatin1String("_NET_WM_ACTION")); ++attempt) {
        QProcess xprop;
        xprop.start(
            QStringLiteral("xprop"),
            {QStringLiteral("-id"), QString::number(window.winId()), QStringLiteral("_NET_WM_ALLOWED_ACTIONS")});
        xprop.waitForFinished(10000);
        actions = QString::fromLatin1(xprop.readAllStandardOutput());
        QTest::qWait(20);
    }
    return actions;
}

} // namespace

class TestWindowManager : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void stopBoxShowsItsWholeCaption();
    void centredDialogKeepsItsPlace();
    void fixedWindowsOfferNoResizing();

private:
    std::unique_ptr<AppRun> run_;
};

void TestWindowManager::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X display with a window manager");
    ui::ConfigureApplication();
    run_ = std::make_unique<AppRun>();
    run_->createWindows();
    whenModal(QStringLiteral("frmDoConfig"), [](QWidget *notice) { click(notice, "BitBtn1"); });
    run_->form->show();
    QVERIFY(QTest::qWaitForWindowActive(run_->form.get(), FrameTimeoutMs));
    QTRY_VERIFY_WITH_TIMEOUT(framed(*run_->form), FrameTimeoutMs);
    QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);
}

void TestWindowManager::cleanupTestCase()
{
    run_.reset();
}

void TestWindowManager::stopBoxShowsItsWholeCaption()
{
    const auto box = ui::MakeMessageBox(
        run_->form.get(), {QMessageBox::Critical, QStringLiteral("Map utility"), QStringLiteral("File not found.")});
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box.get(), FrameTimeoutMs));
    QTRY_VERIFY_WITH_TIMEOUT(framed(*box), FrameTimeoutMs);
    QVERIFY2(box->width() >= ui::StopBoxMinimumWidth, qPrintable(QString::number(box->width())));
}

void TestWindowManager::centredDialogKeepsItsPlace()
{
    const QPoint centre = run_->form->screen()->availableGeometry().center();
    QList<QRect> frames;
    for (int showing = 0; showing < 2; ++showing) {
        whenModal(QStringLiteral("frmQuit"), [&frames, centre](QWidget *dialog) {
            // Always closed, so a failed wait fails below instead of hanging in exec().
            const auto framedInTheCentre = [dialog, centre] {
                return framed(*dialog) && (frameOf(*dialog).center() - centre).manhattanLength() <= 2;
            };
            if (QTest::qWaitFor(framedInTheCentre, FrameTimeoutMs))
                frames << frameOf(*dialog);
            click(dialog, "BitBtn2");
        });
        frmQuit->exec();
    }
    QCOMPARE(frames.size(), 2); // else a showing was never framed in the centre
    QCOMPARE(frames[0], frames[1]);
}

void TestWindowManager::fixedWindowsOfferNoResizing()
{
    const QString main = allowedActions(*run_->form);
    QVERIFY2(main.contains(QLatin1String("_NET_WM_ACTION_MINIMIZE")), qPrintable(main));
    for (const char *action : {"_NET_WM_ACTION_MAXIMIZE_HORZ", "_NET_WM_ACTION_MAXIMIZE_VERT", "_NET_WM_ACTION_RESIZE"})
        QVERIFY2(!main.contains(QLatin1String(action)), qPrintable(main));

    QString quit;
    whenModal(QStringLiteral("frmQuit"), [&quit](QWidget *dialog) {
        quit = allowedActions(*dialog);
        click(dialog, "BitBtn2");
    });
    frmQuit->exec();
    // Minimising stays: Qt cannot ask for no title-bar buttons and no minimise.
    for (const char *action : {"_NET_WM_ACTION_MAXIMIZE_HORZ", "_NET_WM_ACTION_MAXIMIZE_VERT", "_NET_WM_ACTION_RESIZE"})
        QVERIFY2(!quit.contains(QLatin1String(action)), qPrintable(quit));
}

QTEST_MAIN(TestWindowManager)
#include "tst_windowmanager.moc"
