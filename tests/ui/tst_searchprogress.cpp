// The content search's progress on the main window's bar.
#include "SearchProgress.h"

#include <QProgressBar>
#include <QVBoxLayout>
#include <QtTest>

class TestSearchProgress : public QObject {
    Q_OBJECT

private slots:
    void progressStaysWithinRange();
    void progressRepaintsAreThrottled();
    void progressBarExactWhenSearchStops();
};

void TestSearchProgress::progressStaysWithinRange()
{
    QProgressBar bar;
    ui::SearchProgress progress(bar);
    progress.setMaximum(3);
    progress.setPosition(0);
    for (int step = 0; step < 5; ++step)
        progress.setPosition(progress.position() + 1);
    QCOMPARE(progress.position(), 3);
    QCOMPARE(bar.value(), 3);
    QCOMPARE(bar.maximum(), 3);

    // An empty collection must not turn the bar into a busy indicator.
    progress.setMaximum(0);
    QCOMPARE(progress.position(), 0);
    QVERIFY(bar.maximum() > bar.minimum());

    progress.setVisible(false);
    QVERIFY(bar.isHidden());
    progress.setVisible(true);
    QVERIFY(!bar.isHidden());
}

namespace {

class PaintCounter final : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void TestSearchProgress::progressRepaintsAreThrottled()
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window); // owned by window
    auto *bar = new QProgressBar(&window);
    layout->addWidget(bar);
    bar->hide();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    ui::SearchProgress progress(*bar);
    PaintCounter counter;
    bar->installEventFilter(&counter);

    // No event loop runs while searching: the bar must paint on its own.
    progress.setMaximum(20000);
    progress.setPosition(0);
    progress.setVisible(true);
    QVERIFY(bar->isVisible());
    QVERIFY(bar->width() > 0);
    const int afterShow = counter.paints;
    QVERIFY(afterShow > 0);

    // A paint when the fill grows by a pixel or the percentage changes, not one per map.
    for (int position = 1; position < 20000; ++position)
        progress.setPosition(position);
    QVERIFY2(counter.paints - afterShow <= bar->width() + 101 + 2,
             qPrintable(QStringLiteral("%1 paints for a bar %2 pixels wide").arg(counter.paints - afterShow).arg(bar->width())));

    // Reaching the end always shows.
    progress.setPosition(20000);
    QCOMPARE(bar->value(), 20000);
}

void TestSearchProgress::progressBarExactWhenSearchStops()
{
    QProgressBar bar;
    {
        ui::SearchProgress progress(bar);
        progress.setMaximum(1000);
        progress.setPosition(0);
        for (int position = 1; position <= 417; ++position)
            progress.setPosition(position);
        // An error ends the search here: the bar stays where it stopped.
    }
    QCOMPARE(bar.value(), 417);
}

QTEST_MAIN(TestSearchProgress)
#include "tst_searchprogress.moc"
