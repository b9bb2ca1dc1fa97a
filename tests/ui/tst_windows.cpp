// The windows as laid out: captions, sizes, frames, texts that fit, tab
// orders and default buttons. With RENDER_WINDOWS_DIR set, renderWindows()
// also writes each window as a PNG (tools/render_windows.sh).

#include "app_fixture.h"

#include "DialogFrame.h"
#include "JpegPicture.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit4.h"
#include "Unit5.h"
#include "Unit6.h"
#include "Unit8.h"
#include "Unit9.h"

#include <QLineEdit>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QToolButton>

using namespace uitest;

namespace {

QString withoutMnemonic(QString text)
{
    return text.remove(QLatin1Char('&'));
}

// Why a label's or button's text would be clipped; empty when it fits.
QString clipping(const QWidget &widget)
{
    if (const auto *label = qobject_cast<const QLabel *>(&widget)) {
        if (label->text().isEmpty() || !label->pixmap().isNull())
            return {};
        const QFontMetrics metrics(label->font());
        if (label->wordWrap()) {
            const int needed = label->heightForWidth(label->width());
            return needed <= label->height() ? QString() : QStringLiteral("needs %1 px high").arg(needed);
        }
        const int needed = metrics.horizontalAdvance(label->text());
        return needed <= label->width() ? QString() : QStringLiteral("needs %1 px wide").arg(needed);
    }
    if (const auto *button = qobject_cast<const QPushButton *>(&widget)) {
        const QFontMetrics metrics(button->font());
        int needed = metrics.horizontalAdvance(withoutMnemonic(button->text())) + 8;
        if (!button->icon().isNull())
            needed += button->iconSize().width() + 4;
        return needed <= button->width() ? QString() : QStringLiteral("needs %1 px wide").arg(needed);
    }
    return {};
}

QList<QWidget *> focusChain(QWidget *first)
{
    QList<QWidget *> chain{first};
    for (QWidget *next = first->nextInFocusChain(); next && next != first; next = next->nextInFocusChain()) {
        if (next->focusPolicy() & Qt::TabFocus)
            chain << next;
    }
    return chain;
}

QStringList names(const QList<QWidget *> &widgets)
{
    QStringList result;
    for (const QWidget *widget : widgets)
        result << widget->objectName();
    return result;
}

} // namespace

class TestWindows : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void everyTextFits_data();
    void everyTextFits();
    void dialogsHaveTheirFramesAndSizes_data();
    void dialogsHaveTheirFramesAndSizes();
    void dialogButtons();
    void configurationDialogTabOrderAndPlace();
    void mainWindowFrameAndPanes();
    void mainWindowMenus();
    void mainWindowToolBar();
    void aboutPictureIsStretched();
    void aboutParagraphsKeepApart();
    void renderWindows();

private:
    QList<QWidget *> windows() const;

    std::unique_ptr<AppRun> run_;
};

void TestWindows::initTestCase()
{
    ui::ConfigureApplication();
    run_ = std::make_unique<AppRun>();
    run_->createWindows();
    // First activation, done here so that showing the main window later
    // cannot open the "Program not configured" notice.
    whenModal(QStringLiteral("frmDoConfig"), [](QWidget *notice) { click(notice, "BitBtn1"); });
    Form1->FormActivate();
}

void TestWindows::cleanupTestCase()
{
    run_.reset();
}

QList<QWidget *> TestWindows::windows() const
{
    return {Form1, frmStart, frmAbout, frmQuit, frmConfig, frmDoConfig, frmError, frmConfirmClear};
}

void TestWindows::everyTextFits_data()
{
    QTest::addColumn<QWidget *>("window");
    for (QWidget *window : windows())
        QTest::newRow(qPrintable(window->objectName())) << window;
}

void TestWindows::everyTextFits()
{
    QFETCH(QWidget *, window);
    window->ensurePolished();
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        if (widget->isHidden())
            continue; // Label1 of the main window only holds a value
        widget->ensurePolished();
        const QString problem = clipping(*widget);
        if (!problem.isEmpty())
            QFAIL(qPrintable(widget->objectName() + QStringLiteral(" is clipped: ") + problem));
    }
}

void TestWindows::dialogsHaveTheirFramesAndSizes_data()
{
    QTest::addColumn<QDialog *>("dialog");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QSize>("client");
    QTest::newRow("frmQuit") << static_cast<QDialog *>(frmQuit) << QStringLiteral("Please confirm ...") << QSize(295, 134);
    QTest::newRow("frmConfirmClear") << static_cast<QDialog *>(frmConfirmClear)
                                     << QStringLiteral("Confirmatio required ...") << QSize(276, 184);
    QTest::newRow("frmDoConfig") << static_cast<QDialog *>(frmDoConfig) << QStringLiteral("Program not configured")
                                 << QSize(290, 125);
    QTest::newRow("frmError") << static_cast<QDialog *>(frmError) << QStringLiteral("Configuration error")
                              << QSize(238, 142);
    QTest::newRow("frmAbout") << static_cast<QDialog *>(frmAbout) << QStringLiteral("Thalmarch Map Utility")
                              << QSize(543, 352);
}

void TestWindows::dialogsHaveTheirFramesAndSizes()
{
    QFETCH(QDialog *, dialog);
    QFETCH(QString, caption);
    QFETCH(QSize, client);
    QCOMPARE(dialog->windowTitle(), caption);
    QCOMPARE(dialog->size(), client);
    QCOMPARE(dialog->minimumSize(), client);
    QCOMPARE(dialog->maximumSize(), client);
    const Qt::WindowFlags flags = dialog->windowFlags();
    QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
    QVERIFY(flags.testFlag(Qt::WindowTitleHint));
    QVERIFY(!flags.testFlag(Qt::WindowSystemMenuHint));
    QVERIFY(!flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinMaxButtonsHint));
    QCOMPARE(dialog->font().pixelSize(), 11);
}

void TestWindows::dialogButtons()
{
    // The confirmations: the confirming button first, neither default nor cancel.
    for (QDialog *dialog : {static_cast<QDialog *>(frmQuit), static_cast<QDialog *>(frmConfirmClear)}) {
        auto *confirm = dialog->findChild<QPushButton *>(QStringLiteral("BitBtn1"));
        auto *cancel = dialog->findChild<QPushButton *>(QStringLiteral("BitBtn2"));
        QVERIFY(!confirm->isDefault());
        QCOMPARE(cancel->text(), QStringLiteral("Cancel"));
        QCOMPARE(names(focusChain(confirm)), QStringList({QStringLiteral("BitBtn1"), QStringLiteral("BitBtn2")}));
    }
    QCOMPARE(frmQuit->findChild<QPushButton *>(QStringLiteral("BitBtn1"))->text(), QStringLiteral("&Close"));
    QCOMPARE(frmConfirmClear->findChild<QPushButton *>(QStringLiteral("BitBtn1"))->text(), QStringLiteral("Clear"));
    // The notices: one OK button, the default.
    for (QDialog *dialog : {static_cast<QDialog *>(frmDoConfig), static_cast<QDialog *>(frmError),
                            static_cast<QDialog *>(frmAbout)}) {
        const auto buttons = dialog->findChildren<QPushButton *>();
        QCOMPARE(buttons.size(), 1);
        QCOMPARE(buttons[0]->text(), QStringLiteral("OK"));
        QVERIFY(buttons[0]->isDefault());
    }

    // A close by other means counts as Cancel.
    whenModal(QStringLiteral("frmDoConfig"), [](QWidget *dialog) { dialog->close(); });
    QCOMPARE(frmDoConfig->exec(), ui::ResultCancel);
    whenModal(QStringLiteral("frmAbout"), [](QWidget *dialog) {
        pressKey(dialog, Qt::Key_Escape);
        QVERIFY(dialog->isVisible());
        pressKey(dialog, Qt::Key_Return);
    });
    QCOMPARE(frmAbout->exec(), ui::ResultOk);
}

void TestWindows::configurationDialogTabOrderAndPlace()
{
    QCOMPARE(frmConfig->windowTitle(), QStringLiteral("Configuration"));
    QCOMPARE(frmConfig->pos(), QPoint(444, 211));
    QVERIFY(frmConfig->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(frmConfig->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(frmConfig->maximumSize().width() > frmConfig->width()); // resizable
    const QStringList order = names(focusChain(&frmConfig->Edit1()));
    QCOMPARE(order, QStringList({QStringLiteral("Edit1"), QStringLiteral("Button1"), QStringLiteral("Edit2"),
                                 QStringLiteral("Button2"), QStringLiteral("BitBtn1"), QStringLiteral("BitBtn2"),
                                 QStringLiteral("BitBtn3")}));
    auto *save = frmConfig->findChild<QPushButton *>(QStringLiteral("BitBtn3"));
    QCOMPARE(save->text(), QStringLiteral("Save "));
    QCOMPARE(save->geometry(), QRect(88, 152, 75, 25));
    QVERIFY(frmConfig->findChild<QPushButton *>(QStringLiteral("BitBtn1"))->isDefault());
    QCOMPARE(frmConfig->Edit1().text(), QString());
    QCOMPARE(frmConfig->Edit2().text(), QString());
}

void TestWindows::mainWindowFrameAndPanes()
{
    TForm1 *form = Form1;
    QCOMPARE(form->windowTitle(), QStringLiteral("Thalmarch Map Utility"));
    QVERIFY(form->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!form->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));

    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    QCOMPARE(form->minimumSize(), form->maximumSize());
    QCOMPARE(form->width(), 517);
    QCOMPARE(form->height() - form->menuBar()->height(), 472);
    QCOMPARE(form->centralWidget()->y() + form->centralWidget()->height() - form->menuBar()->height(), 472 - 19);
    auto *toolBar = form->findChild<QWidget *>(QStringLiteral("ToolBar2"));
    QCOMPARE(toolBar->height(), 29);
    QCOMPARE(toolBar->width(), 517);
    auto *splitter = form->findChild<QSplitter *>(QStringLiteral("Splitter1"));
    QCOMPARE(splitter->handleWidth(), 2);
    QCOMPARE(splitter->sizes(), QList<int>({324, 98}));
    auto *status = form->findChild<QStatusBar *>(QStringLiteral("StatusBar1"));
    QCOMPARE(status->height(), 19);
    QCOMPARE(form->findChild<QLabel *>(QStringLiteral("StatusPanel0"))->width(), 300);
    QVERIFY(!form->findChild<QLabel *>(QStringLiteral("Label1"))->isVisible());

    auto *list = run_->list();
    QCOMPARE(list->font().pixelSize(), 16);
    QVERIFY(!list->isSortingEnabled());
    QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
    list->addItem(QStringLiteral("row"));
    QCOMPARE(list->visualItemRect(list->item(0)).height(), 20);
    list->clear();
    QCOMPARE(run_->details()->font().pixelSize(), 13);
    QVERIFY(!run_->details()->isReadOnly());
    QCOMPARE(run_->details()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

    auto *progress = form->findChild<QProgressBar *>(QStringLiteral("ProgressBar1"));
    QVERIFY(!progress->isVisible());
    QCOMPARE(progress->minimum(), 0);
    QCOMPARE(progress->maximum(), 850);
    QCOMPARE(progress->size(), QSize(290, 22));
    form->hide();
}

void TestWindows::mainWindowMenus()
{
    const QList<QAction *> top = Form1->menuBar()->actions();
    QCOMPARE(top.size(), 2);
    QCOMPARE(top[0]->text(), QStringLiteral("File"));
    QCOMPARE(top[1]->text(), QStringLiteral("Help"));
    QStringList file;
    for (QAction *action : top[0]->menu()->actions()) {
        file << action->objectName() + QLatin1Char('=') + action->text();
        QVERIFY(action->shortcut().isEmpty());
    }
    QCOMPARE(file, QStringList({QStringLiteral("Configure1=Configure ..."), QStringLiteral("N1="),
                                QStringLiteral("Scan1=Scan"), QStringLiteral("N2="), QStringLiteral("Save1=Save ..."),
                                QStringLiteral("Print1=Print ..."), QStringLiteral("N3="), QStringLiteral("View1=View"),
                                QStringLiteral("N4="), QStringLiteral("Clear1=Clear ..."), QStringLiteral("N5="),
                                QStringLiteral("Search1=Search"), QStringLiteral("N6="), QStringLiteral("Exit1=Exit")}));
    const QList<QAction *> help = top[1]->menu()->actions();
    QCOMPARE(help.size(), 1);
    QCOMPARE(help[0]->objectName(), QStringLiteral("About1"));
    QCOMPARE(help[0]->text(), QStringLiteral("About"));
}

void TestWindows::mainWindowToolBar()
{
    const QList<std::pair<QString, QString>> expected = {
        {QStringLiteral("SpeedButton1"), QStringLiteral("Configure the program")},
        {QStringLiteral("SpeedButton2"), QStringLiteral("Scan current directory for maps")},
        {QStringLiteral("SpeedButton3"), QStringLiteral("Save the current map list as a text file")},
        {QStringLiteral("SpeedButton4"), QStringLiteral("Print the current list of maps")},
        {QStringLiteral("SpeedButton5"), QStringLiteral("View the highlighted map")},
        {QStringLiteral("SpeedButton6"), QStringLiteral("Clear the current list of maps")},
        {QStringLiteral("SpeedButton9"), QStringLiteral("Search for a map")},
        {QStringLiteral("SpeedButton7"), QStringLiteral("About the program")},
        {QStringLiteral("SpeedButton8"), QStringLiteral("Exit the program")},
    };
    Form1->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form1));
    int left = 0;
    for (const auto &[name, hint] : expected) {
        auto *button = Form1->findChild<QToolButton *>(name);
        QVERIFY(button);
        QCOMPARE(button->toolTip(), hint);
        QCOMPARE(button->size(), QSize(23, 22));
        QCOMPARE(button->x(), left);
        QVERIFY(!button->autoRaise());
        const QImage normal = button->icon().pixmap(16, QIcon::Normal).toImage();
        const QImage disabled = button->icon().pixmap(16, QIcon::Disabled).toImage();
        QCOMPARE(normal.size(), QSize(16, 16));
        QVERIFY(normal != disabled);
        left += 23;
    }
    auto *spacer = Form1->findChild<QWidget *>(QStringLiteral("HeaderControl1"));
    QCOMPARE(spacer->geometry(), QRect(left, spacer->y(), 16, 22));
    Form1->hide();
}

void TestWindows::aboutPictureIsStretched()
{
    QCOMPARE(ui::LoadJpeg(QStringLiteral(":/about.jpg")).size(), QSize(173, 193));
    QVERIFY(ui::LoadJpeg(QStringLiteral(":/pictures/program.png")).isNull());
    auto *picture = frmAbout->findChild<QLabel *>(QStringLiteral("Image3"));
    QVERIFY(picture->hasScaledContents());
    QCOMPARE(picture->pixmap().size(), QSize(173, 193));
    QCOMPARE(picture->geometry(), QRect(64, 24, 129, 129));
}

// Each wrapped paragraph of the first box ends a few pixels above the next,
// as the About box's fixed layout leaves them with its own font.
void TestWindows::aboutParagraphsKeepApart()
{
    const auto label = [](const char *name) { return frmAbout->findChild<QLabel *>(QLatin1String(name)); };
    const QList<QLabel *> paragraphs{label("Label4"), label("Label6"), label("Label11")};
    for (qsizetype i = 0; i + 1 < paragraphs.size(); ++i) {
        const QLabel *above = paragraphs[i];
        const QFontMetrics metrics(above->font());
        const int textBottom = above->y() + above->heightForWidth(above->width());
        const int gap = paragraphs[i + 1]->y() - textBottom;
        QVERIFY2(gap >= metrics.descent(), qPrintable(above->objectName() + QStringLiteral(": %1 px").arg(gap)));
    }
    QCOMPARE(paragraphs[1]->geometry(), QRect(264, 80, 265, 57)); // the boxes stay
}

void TestWindows::renderWindows()
{
    const QString target = qEnvironmentVariable("RENDER_WINDOWS_DIR");
    if (target.isEmpty())
        QSKIP("RENDER_WINDOWS_DIR is not set");
    QVERIFY(QDir().mkpath(target));

    Form1->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form1));
    QVERIFY(Form1->grab().save(target + QStringLiteral("/Form1-start.png")));
    Form1->hide();

    // The main window as a user sees it after a scan, with a map selected.
    const QString maps = makeDemoMaps();
    frmConfig->Edit1().setText(maps);
    whenModal(QStringLiteral("frmConfig"), [](QWidget *dialog) { click(dialog, "BitBtn1"); });
    Form1->Configure1Click();
    Form1->Scan1Click();
    run_->list()->setCurrentRow(1);
    Form1->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form1));
    QVERIFY(Form1->grab().save(target + QStringLiteral("/Form1.png")));
    auto *fileMenu = Form1->findChild<QMenu *>(QStringLiteral("File1"));
    fileMenu->adjustSize();
    QVERIFY(fileMenu->grab().save(target + QStringLiteral("/Form1-File.png")));
    Form1->hide();

    for (QWidget *window : windows()) {
        if (window == Form1)
            continue;
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QVERIFY(window->grab().save(target + QLatin1Char('/') + window->objectName() + QStringLiteral(".png")));
        window->hide();
    }

    const auto box = ui::MakeMessageBox(Form1, {QMessageBox::Critical, QStringLiteral("Map utility"),
                                                QStringLiteral("File not found.")});
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box.get()));
    QVERIFY(box->grab().save(target + QStringLiteral("/ErrorBox.png")));
    // Under a window manager, the box as the screen shows it, title bar included.
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        QTRY_VERIFY(box->frameGeometry() != box->geometry());
        QTest::qWait(200);
        const QRect frame = box->frameGeometry();
        QVERIFY(box->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height())
                    .save(target + QStringLiteral("/ErrorBox-framed.png")));
    }
}

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
