// The search dialog and the "Maps not found" notice.
#include "Unit10.h"
#include "Unit11.h"
#include "ui_test_support.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

// Shows dialog modally and runs steps once it is up. The steps record what
// they see and must close the dialog; a watchdog ends it with -1 if they do not.
int runModal(QDialog &dialog, const std::function<void()> &steps)
{
    uitest::whenModal(dialog.objectName(), [&steps](QWidget *) { steps(); });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, &dialog, [&dialog] {
        if (dialog.isVisible())
            dialog.done(-1);
    });
    watchdog.start(10000);
    return dialog.exec();
}

// Keys go where the user's keys would: to the widget that has the focus.
void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

// Typed characters, including ones beyond ASCII that QTest::keyClicks refuses.
void type(const QString &text)
{
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(QApplication::focusWidget(), &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(QApplication::focusWidget(), &release);
    }
}

} // namespace

class TestFindDialog : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void findDialogTexts();
    void enterInTextFieldConfirms();
    void escapeCancels();
    void textAndOptionKeptAfterCancel();
    void focusAndSelectionAcrossShowings();
    void notFoundClosesWithEnterOnly();

private:
    template <class T>
    T *child(QWidget &parent, const char *name)
    {
        auto *found = parent.findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no child %s", name);
        return found;
    }

    std::unique_ptr<TfrmFind> find_;
    std::unique_ptr<TfrmNotFound> notFound_;
};

void TestFindDialog::initTestCase()
{
    Q_INIT_RESOURCE(resources); // the pictures live in a static library
}

void TestFindDialog::init()
{
    find_ = std::make_unique<TfrmFind>();
    notFound_ = std::make_unique<TfrmNotFound>();
    frmFind = find_.get();
    frmNotFound = notFound_.get();
}

void TestFindDialog::cleanup()
{
    uitest::closeAllModals();
    frmFind = nullptr;
    frmNotFound = nullptr;
    find_.reset();
    notFound_.reset();
}

void TestFindDialog::findDialogTexts()
{
    TfrmFind &dialog = *find_;
    QCOMPARE(dialog.objectName(), QStringLiteral("frmFind"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Search for a map"));
    QCOMPARE(dialog.size(), QSize(232, 261));
    QVERIFY(!(dialog.windowFlags() & Qt::WindowCloseButtonHint));
    QVERIFY(!(dialog.windowFlags() & Qt::WindowSystemMenuHint));
    QCOMPARE(child<QLabel>(dialog, "Label1")->text(), QStringLiteral("Input word or phrase below"));
    QCOMPARE(child<QLabel>(dialog, "Label2")->text(), QStringLiteral("(Note:  The search is case sensitive)"));
    QCOMPARE(child<QLabel>(dialog, "Label3")->text(), QStringLiteral("Search Options"));
    QCOMPARE(child<QLabel>(dialog, "Label4")->text(),
             QStringLiteral("The full search option may be very slow depending on the speed of the PC on "
                            "which the program is run"));
    QCOMPARE(child<QRadioButton>(dialog, "RadioButton1")->text(), QStringLiteral("Search for filenames only"));
    QCOMPARE(child<QRadioButton>(dialog, "RadioButton2")->text(), QStringLiteral("Carry out a full search"));
    QCOMPARE(child<QPushButton>(dialog, "BitBtn1")->text(), QStringLiteral("OK"));
    QCOMPARE(child<QPushButton>(dialog, "BitBtn2")->text(), QStringLiteral("Cancel"));
    QVERIFY(child<QPushButton>(dialog, "BitBtn1")->isDefault());
    QVERIFY(!child<QPushButton>(dialog, "BitBtn1")->icon().isNull());
    QVERIFY(!child<QPushButton>(dialog, "BitBtn2")->icon().isNull());
    QCOMPARE(child<QLabel>(dialog, "Label4")->palette().color(QPalette::WindowText), QColor(255, 0, 0));

    // Filename search and an empty text at the start.
    QVERIFY(child<QRadioButton>(dialog, "RadioButton1")->isChecked());
    QVERIFY(!dialog.FullSearch());
    QCOMPARE(dialog.SearchText(), std::string());

    // The two options are one group.
    dialog.SetFullSearch(true);
    QVERIFY(!child<QRadioButton>(dialog, "RadioButton1")->isChecked());
    dialog.SetFullSearch(false);
    QVERIFY(!child<QRadioButton>(dialog, "RadioButton2")->isChecked());
}

void TestFindDialog::enterInTextFieldConfirms()
{
    QWidget *focused = nullptr;
    const int result = runModal(*find_, [&] {
        focused = QApplication::focusWidget();
        type(QStringLiteral("Harb\u00f6ur"));
        press(Qt::Key_Return);
    });
    QCOMPARE(result, 1);
    QCOMPARE(focused, child<QLineEdit>(*find_, "Edit1"));
    QCOMPARE(find_->SearchText(), std::string("Harb\xc3\xb6ur"));
    // Map contents are Windows-1252: the full search looks for those bytes.
    QCOMPARE(find_->ContentSearchText(), std::string("Harb\xf6ur"));
    find_->SetSearchText("\xe2\x82\xac \xe6\x9c\xac"); // the euro sign has a byte there, the ideograph none
    QCOMPARE(find_->ContentSearchText(), std::string("\xe2\x82\xac \xe6\x9c\xac"));
    find_->SetSearchText("\xe2\x82\xac" "5");
    QCOMPARE(find_->ContentSearchText(), std::string("\x80" "5"));
    QVERIFY(!find_->isVisible());
}

void TestFindDialog::escapeCancels()
{
    QCOMPARE(runModal(*find_, [] { press(Qt::Key_Escape); }), 2);
    // Any other way of closing counts as Cancel too.
    QCOMPARE(runModal(*find_, [this] { find_->close(); }), 2);
    QCOMPARE(runModal(*find_, [this] { QTest::mouseClick(child<QPushButton>(*find_, "BitBtn2"), Qt::LeftButton); }),
             2);
}

void TestFindDialog::textAndOptionKeptAfterCancel()
{
    int result = runModal(*find_, [this] {
        type(QStringLiteral("Harbour"));
        QTest::mouseClick(child<QRadioButton>(*find_, "RadioButton2"), Qt::LeftButton);
        press(Qt::Key_Escape);
    });
    QCOMPARE(result, 2);

    QString shownText;
    bool fullShown = false;
    result = runModal(*find_, [&] {
        shownText = child<QLineEdit>(*find_, "Edit1")->text();
        fullShown = child<QRadioButton>(*find_, "RadioButton2")->isChecked();
        press(Qt::Key_Return);
    });
    QCOMPARE(result, 1);
    QCOMPARE(shownText, QStringLiteral("Harbour"));
    QVERIFY(fullShown);
    QVERIFY(find_->FullSearch());
    QCOMPARE(find_->SearchText(), std::string("Harbour"));
}

void TestFindDialog::focusAndSelectionAcrossShowings()
{
    auto *edit = child<QLineEdit>(*find_, "Edit1");
    auto *ok = child<QPushButton>(*find_, "BitBtn1");

    QCOMPARE(runModal(*find_, [] {
                 type(QStringLiteral("Harbour"));
                 press(Qt::Key_Return);
             }),
             1);

    // Reopened: the field has the focus again with the whole text selected;
    // End keeps the text to add to.
    QWidget *focusOnOpen = nullptr;
    QString selectedOnOpen;
    QCOMPARE(runModal(*find_, [&] {
                 focusOnOpen = QApplication::focusWidget();
                 selectedOnOpen = edit->selectedText();
                 press(Qt::Key_End);
                 type(QStringLiteral("X"));
                 press(Qt::Key_Return);
             }),
             1);
    QCOMPARE(focusOnOpen, edit);
    QCOMPARE(selectedOnOpen, QStringLiteral("Harbour"));
    QCOMPARE(find_->SearchText(), std::string("HarbourX"));

    // Typing replaces the selected text.
    QString afterTyping, afterBacktab, afterClick = QStringLiteral("unset");
    QCOMPARE(runModal(*find_, [&] {
                 type(QStringLiteral("Y"));
                 afterTyping = edit->text();
                 press(Qt::Key_Tab);     // to OK
                 press(Qt::Key_Backtab); // back: the whole text is selected
                 afterBacktab = edit->selectedText();
                 press(Qt::Key_Tab);
                 QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(5, 10)); // a click places the caret
                 afterClick = edit->selectedText();
                 QTest::mouseClick(ok, Qt::LeftButton);
             }),
             1);
    QCOMPARE(afterTyping, QStringLiteral("Y"));
    QCOMPARE(afterBacktab, QStringLiteral("Y"));
    QCOMPARE(afterClick, QString());

    // OK had the focus when the dialog closed, so it has it again: Enter clicks it.
    QWidget *focusOnThird = nullptr;
    QCOMPARE(runModal(*find_, [&] {
                 focusOnThird = QApplication::focusWidget();
                 press(Qt::Key_Return);
             }),
             1);
    QCOMPARE(focusOnThird, ok);

    // Enter on the focused Cancel button clicks Cancel, not the default button.
    QCOMPARE(runModal(*find_, [] {
                 press(Qt::Key_Tab); // OK -> Cancel
                 press(Qt::Key_Return);
             }),
             2);
}

void TestFindDialog::notFoundClosesWithEnterOnly()
{
    TfrmNotFound &notice = *notFound_;
    QCOMPARE(notice.windowTitle(), QStringLiteral("Maps not found"));
    QCOMPARE(notice.size(), QSize(297, 127));
    QCOMPARE(child<QLabel>(notice, "Label2")->text(), QStringLiteral("SEARCH FAILURE"));
    QCOMPARE(child<QLabel>(notice, "Image1")->pixmap().size(), QSize(32, 32));
    QCOMPARE(child<QLabel>(notice, "Label2")->font().pixelSize(), 13);
    QVERIFY(child<QLabel>(notice, "Label2")->font().bold());
    QCOMPARE(child<QLabel>(notice, "Label1")->text(),
             QStringLiteral("No maps containing the desired search string were found"));

    bool openAfterEscape = false;
    QWidget *focused = nullptr;
    const int result = runModal(notice, [&] {
        focused = QApplication::focusWidget();
        press(Qt::Key_Escape);
        QApplication::processEvents();
        openAfterEscape = notFound_->isVisible();
        press(Qt::Key_Enter);
    });
    QCOMPARE(result, 1);
    QCOMPARE(focused, child<QPushButton>(notice, "BitBtn1"));
    QVERIFY(openAfterEscape);
}

QTEST_MAIN(TestFindDialog)
#include "tst_finddialog.moc"
