// Printing the map list: the print setup, the print progress dialog and the
// pages that come out (read back from PDF files with poppler's tools).
#include "app_fixture.h"

#include "ErrorReport.h"
#include "PrintSetup.h"
#include "Unit7.h"
#include "ui_test_support.h"

#include "catalogue/views.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

// A list that counts how it is used and lets a test look at the dialog while
// the entries are being read.
class WatchedList final : public catalogue::MapList {
public:
    explicit WatchedList(std::vector<std::string> entries) : entries_(std::move(entries)) {}

    std::size_t count() const override
    {
        ++countReads;
        return entries_.size();
    }
    std::string at(std::size_t index) const override
    {
        if (index == 0 && onFirstRead)
            onFirstRead();
        return entries_.at(index);
    }
    std::string fileAt(std::size_t) const override { return {}; }
    void clear() override { ++changes; }
    void append(const std::string &) override { ++changes; }
    void assign(const std::vector<catalogue::ListedMap> &) override { ++changes; }

    const std::vector<std::string> &entries() const { return entries_; }

    mutable int countReads = 0;
    int changes = 0;
    std::function<void()> onFirstRead;

private:
    std::vector<std::string> entries_;
};

std::vector<std::string> numberedMaps(int count)
{
    std::vector<std::string> names;
    for (int i = 1; i <= count; ++i)
        names.push_back("Map " + std::to_string(1000 + i));
    return names;
}

QString runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QStringLiteral("<%1 failed: %2>").arg(program, QString::fromLocal8Bit(process.readAllStandardError()));
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The text lines of a PDF (optionally of one page), blank ones dropped.
QStringList pdfLines(const QString &pdf, int page = 0)
{
    QStringList arguments{QStringLiteral("-layout")};
    if (page > 0)
        arguments << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l") << QString::number(page);
    arguments << pdf << QStringLiteral("-");
    QStringList lines;
    const QString text = runTool(QStringLiteral("pdftotext"), arguments);
    for (QString line : text.split(QLatin1Char('\n'))) {
        line.remove(QLatin1Char('\f'));
        if (!line.trimmed().isEmpty())
            lines << line.trimmed();
    }
    return lines;
}

QString pdfInfo(const QString &pdf, const QString &key)
{
    const QString info = runTool(QStringLiteral("pdfinfo"), {pdf});
    const QRegularExpression pattern(QStringLiteral("^%1:[ \\t]*(.*)$").arg(key), QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = pattern.match(info);
    return match.hasMatch() ? match.captured(1).trimmed() : QString();
}

QStringList asLines(const std::vector<std::string> &entries)
{
    QStringList lines;
    for (const std::string &entry : entries)
        lines << QString::fromUtf8(entry);
    return lines;
}

} // namespace

class TestPrinting : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void printsEveryEntryInOrder();
    void longListContinuesOnNextPage();
    void fileKeepsAPrintersMargin();
    void oneEntry();
    void emptyListPrintsNothing();
    void secondPrintStartsAgain();
    void failureStillOffersOk_data();
    void failureStillOffersOk();
    void setupDialogOffersWholeDocumentOnly();
    void cancelledSetupChangesNothing();
    void printFromTheMainWindowChangesNothing();

    void printsToNamedQueue();

private:
    // PrintDialog1 confirmed with PDF output into file; returns Execute's answer.
    bool confirmSetupToPdf(const QString &file);
    // Shows frmPrint modally for list and presses OK once it is offered.
    int printThroughDialog(WatchedList &list);

    QLabel *label() const { return frmPrint->findChild<QLabel *>(QStringLiteral("Label1")); }
    QPushButton *okButton() const { return frmPrint->findChild<QPushButton *>(QStringLiteral("BitBtn1")); }
    QProgressBar *bar() const { return frmPrint->findChild<QProgressBar *>(QStringLiteral("ProgressBar1")); }

    QString dir_;
    std::unique_ptr<ui::PrintSetup> setup_;
    std::unique_ptr<TfrmPrint> dialog_;
    std::vector<ui::ShownMessage> messages_;
};

void TestPrinting::initTestCase()
{
    Q_INIT_RESOURCE(resources); // the pictures live in a static library
    QCoreApplication::setApplicationName(QStringLiteral("Map utility"));
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
}

void TestPrinting::init()
{
    dir_ = uitest::makeTempDir();
    setup_ = std::make_unique<ui::PrintSetup>();
    dialog_ = std::make_unique<TfrmPrint>();
    frmPrint = dialog_.get();
    messages_.clear();
    ui::SetMessageRecorder([this](const ui::ShownMessage &message) { messages_.push_back(message); });
}

void TestPrinting::cleanup()
{
    uitest::closeAllModals();
    ui::SetMessageRecorder({});
    ui::PrintSetup::SetAnswerForTests({});
    frmPrint = nullptr;
    dialog_.reset();
    setup_.reset();
}

bool TestPrinting::confirmSetupToPdf(const QString &file)
{
    ui::PrintSetup::SetAnswerForTests([file](QPrintDialog &dialog) {
        dialog.printer()->setOutputFormat(QPrinter::PdfFormat);
        dialog.printer()->setOutputFileName(file);
        dialog.printer()->setPageSize(QPageSize(QPageSize::A4));
        return int(QDialog::Accepted);
    });
    return setup_->Execute(nullptr);
}

int TestPrinting::printThroughDialog(WatchedList &list)
{
    frmPrint->SetPrintJob(list, setup_->Printer());
    // OK is pressed once this showing has read the list and offered the button.
    QTimer presser;
    presser.setInterval(20);
    connect(&presser, &QTimer::timeout, frmPrint, [this, &list] {
        if (frmPrint->isVisible() && list.countReads > 0 && okButton()->isVisible())
            QTest::mouseClick(okButton(), Qt::LeftButton);
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, frmPrint, [] { frmPrint->done(-1); });
    presser.start();
    watchdog.start(60000);
    return frmPrint->exec();
}

void TestPrinting::printsEveryEntryInOrder()
{
    const QString pdf = dir_ + QStringLiteral("/list.pdf");
    QVERIFY(confirmSetupToPdf(pdf));
    WatchedList list({"Harbour", "Zed keep", "ancient ruins", "Caf\xc3\xa9 du Port", "12 Harbour", "x"});

    QCOMPARE(printThroughDialog(list), 1);

    QCOMPARE(pdfLines(pdf), asLines(list.entries()));
    QCOMPARE(pdfInfo(pdf, QStringLiteral("Pages")), QStringLiteral("1"));
    QCOMPARE(pdfInfo(pdf, QStringLiteral("Title")), QString()); // the job has no title
    QCOMPARE(label()->text(), QStringLiteral("Complete - select OK to return"));
    QCOMPARE(frmPrint->windowTitle(), QStringLiteral("Printing list of maps ..."));
    QVERIFY(!frmPrint->findChild<QLabel *>(QStringLiteral("Image1"))->pixmap().isNull());
    QCOMPARE(bar()->maximum(), 5);
    QCOMPARE(bar()->value(), 5);
    QVERIFY(messages_.empty());
    // The list is only read, and the printer keeps its own settings.
    QCOMPARE(list.changes, 0);
    QCOMPARE(list.countReads, 1);
    QVERIFY(!setup_->Printer().fullPage());
    QCOMPARE(setup_->Printer().outputFileName(), pdf);
}

// A file has no hardware margin: the text keeps a quarter inch (18 points)
// from every edge, as on a typical printer.
void TestPrinting::fileKeepsAPrintersMargin()
{
    const QString pdf = dir_ + QStringLiteral("/margins.pdf");
    QVERIFY(confirmSetupToPdf(pdf));
    WatchedList list(numberedMaps(150));
    QCOMPARE(printThroughDialog(list), 1);

    const QString html = runTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    const QRegularExpression word(QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\""));
    const QSizeF paper = setup_->Printer().pageLayout().fullRect(QPageLayout::Point).size();
    int words = 0;
    for (const QRegularExpressionMatch &match : word.globalMatch(html)) {
        ++words;
        QVERIFY2(match.captured(1).toDouble() >= 17.5 && match.captured(2).toDouble() >= 17.5 &&
                     match.captured(3).toDouble() <= paper.width() - 17.5 &&
                     match.captured(4).toDouble() <= paper.height() - 17.5,
                 qPrintable(match.captured(0)));
    }
    QCOMPARE(words, 300);
}

void TestPrinting::longListContinuesOnNextPage()
{
    const QString pdf = dir_ + QStringLiteral("/long.pdf");
    QVERIFY(confirmSetupToPdf(pdf));
    WatchedList list(numberedMaps(150));

    QCOMPARE(printThroughDialog(list), 1);

    // 12-point lines: a few dozen to an A4 page, so three or four pages.
    const int pages = pdfInfo(pdf, QStringLiteral("Pages")).toInt();
    QVERIFY2(pages >= 3 && pages <= 5, qPrintable(QString::number(pages)));
    QCOMPARE(pdfLines(pdf), asLines(list.entries()));
    const QStringList first = pdfLines(pdf, 1);
    const QStringList second = pdfLines(pdf, 2);
    QVERIFY(!second.isEmpty());
    QCOMPARE(second.first(), QString::fromUtf8(list.entries().at(first.size())));
}

void TestPrinting::oneEntry()
{
    const QString pdf = dir_ + QStringLiteral("/one.pdf");
    QVERIFY(confirmSetupToPdf(pdf));
    WatchedList list({"Lonely Isle"});

    QCOMPARE(printThroughDialog(list), 1);

    QCOMPARE(pdfLines(pdf), QStringList{QStringLiteral("Lonely Isle")});
    QCOMPARE(bar()->value(), bar()->maximum()); // full, not a busy indicator
    QVERIFY(bar()->maximum() > bar()->minimum());
}

void TestPrinting::emptyListPrintsNothing()
{
    const QString pdf = dir_ + QStringLiteral("/empty.pdf");
    QVERIFY(confirmSetupToPdf(pdf));
    WatchedList list({});

    QCOMPARE(printThroughDialog(list), 1);

    QVERIFY(!QFile::exists(pdf));
    QCOMPARE(label()->text(), QStringLiteral("Complete - select OK to return"));
    QVERIFY(messages_.empty());
}

void TestPrinting::secondPrintStartsAgain()
{
    const QString firstPdf = dir_ + QStringLiteral("/first.pdf");
    QVERIFY(confirmSetupToPdf(firstPdf));
    WatchedList first(numberedMaps(3));
    QCOMPARE(printThroughDialog(first), 1);
    QVERIFY(okButton()->isVisible() == false); // hidden with the dialog
    QCOMPARE(label()->text(), QStringLiteral("Complete - select OK to return"));

    const QString secondPdf = dir_ + QStringLiteral("/second.pdf");
    QVERIFY(confirmSetupToPdf(secondPdf));
    WatchedList second({"Other", "Maps"});
    QString labelWhileCopying;
    bool okShownWhileCopying = true;
    second.onFirstRead = [&] {
        labelWhileCopying = label()->text();
        okShownWhileCopying = !okButton()->isHidden();
    };
    QCOMPARE(printThroughDialog(second), 1);

    QCOMPARE(labelWhileCopying, QStringLiteral("Printing ..."));
    QVERIFY(!okShownWhileCopying);
    // The pane was emptied first: only the second list comes out.
    QCOMPARE(pdfLines(secondPdf), (QStringList{QStringLiteral("Other"), QStringLiteral("Maps")}));
    QCOMPARE(pdfLines(firstPdf), asLines(first.entries()));
}

void TestPrinting::failureStillOffersOk_data()
{
    QTest::addColumn<QString>("outputDir");
    QTest::addColumn<std::vector<std::string>>("entries");
    QTest::addColumn<QString>("message");

    QTest::newRow("printer cannot start") << QStringLiteral("/no such dir") << std::vector<std::string>{"Harbour"}
                                          << QStringLiteral("Printer selected is not valid.");
    QTest::newRow("entry the pane cannot take whole")
        << QString() << std::vector<std::string>{"Good", "Bad\r\nname"}
        << QStringLiteral("RichEdit line insertion error.");
}

void TestPrinting::failureStillOffersOk()
{
    QFETCH(QString, outputDir);
    QFETCH(std::vector<std::string>, entries);
    QFETCH(QString, message);

    const QString pdf = (outputDir.isEmpty() ? dir_ : outputDir) + QStringLiteral("/failed.pdf");
    QVERIFY(confirmSetupToPdf(pdf));
    WatchedList list(entries);

    // The error box comes first, then OK is the way out.
    QCOMPARE(printThroughDialog(list), 1);

    QCOMPARE(messages_.size(), std::size_t(1));
    QCOMPARE(messages_.front().caption, QStringLiteral("Map utility"));
    QCOMPARE(messages_.front().icon, QMessageBox::Critical);
    QCOMPARE(messages_.front().text, message);
    QCOMPARE(label()->text(), QStringLiteral("Printing ..."));
    QVERIFY(!QFile::exists(pdf));
}

void TestPrinting::setupDialogOffersWholeDocumentOnly()
{
    bool pageRange = true, selection = true, currentPage = true, toFile = false, collateFirst = true;
    ui::PrintSetup::SetAnswerForTests([&](QPrintDialog &dialog) {
        pageRange = dialog.testOption(QAbstractPrintDialog::PrintPageRange);
        selection = dialog.testOption(QAbstractPrintDialog::PrintSelection);
        currentPage = dialog.testOption(QAbstractPrintDialog::PrintCurrentPage);
        toFile = dialog.testOption(QAbstractPrintDialog::PrintToFile);
        collateFirst = dialog.printer()->collateCopies();
        dialog.printer()->setCollateCopies(true); // what the user confirms
        dialog.printer()->setPrintRange(QPrinter::PageRange); // as a range Qt still offered would
        // Qt offers a range for the print system to pick out all the same:
        // as shown, no page choice is left to make.
        dialog.show();
        // A widget Qt no longer has by its name is a choice left offered.
        const auto offered = [&dialog](const char *name, bool shownEnabled) {
            const auto *choice = dialog.findChild<QWidget *>(QLatin1String(name));
            return !choice || (shownEnabled ? choice->isEnabled() : !choice->isHidden());
        };
        for (const char *name : {"printRange", "from", "to", "pagesRadioButton", "pagesLineEdit"})
            pageRange = pageRange || offered(name, true);
        pageRange = pageRange || offered("pageSetCombo", false);
        dialog.hide();
        return int(QDialog::Accepted);
    });
    QVERIFY(setup_->Execute(nullptr));
    QCOMPARE(setup_->Printer().printRange(), QPrinter::AllPages);
    QVERIFY(!pageRange);
    QVERIFY(!selection);
    QVERIFY(!currentPage);
    QVERIFY(toFile); // "Print to File (PDF)" for users without a printer
    QVERIFY(!collateFirst);

    // The confirmed collation is offered next time.
    bool collateSecond = false;
    ui::PrintSetup::SetAnswerForTests([&](QPrintDialog &dialog) {
        collateSecond = dialog.printer()->collateCopies();
        return int(QDialog::Rejected);
    });
    QVERIFY(!setup_->Execute(nullptr));
    QVERIFY(collateSecond);
}

void TestPrinting::cancelledSetupChangesNothing()
{
    const QString pdf = dir_ + QStringLiteral("/kept.pdf");
    QVERIFY(confirmSetupToPdf(pdf));
    QPrinter *printer = &setup_->Printer();
    ui::PrintSetup::SetAnswerForTests([](QPrintDialog &) { return int(QDialog::Rejected); });
    QVERIFY(!setup_->Execute(nullptr));
    // The same printer, still printing to the chosen file.
    QCOMPARE(&setup_->Printer(), printer);
    QCOMPARE(printer->outputFileName(), pdf);
}

// File > Print ... with a scanned list and a selected map.
void TestPrinting::printFromTheMainWindowChangesNothing()
{
    uitest::AppRun run;
    run.writeConfiguration(QFile::encodeName(uitest::makeDemoMaps()), QByteArray());
    run.createWindows();
    run.form->FormActivate();
    run.form->Scan1Click();
    run.list()->setCurrentRow(3);
    const QString detailsBefore = run.details()->toPlainText();
    const QString pdf = dir_ + QStringLiteral("/list.pdf");
    ui::PrintSetup::SetAnswerForTests([pdf](QPrintDialog &dialog) {
        dialog.printer()->setOutputFormat(QPrinter::PdfFormat);
        dialog.printer()->setOutputFileName(pdf);
        return int(QDialog::Accepted);
    });
    // OK is pressed once offered; polled, never waited for inside a callback,
    // since the dialog's own work may run the timer from within itself.
    QTimer presser;
    presser.setInterval(20);
    connect(&presser, &QTimer::timeout, this, [] {
        auto *ok = frmPrint->findChild<QPushButton *>(QStringLiteral("BitBtn1"));
        if (QApplication::activeModalWidget() == frmPrint && ok->isVisible())
            ok->click();
    });
    presser.start();
    run.form->Print1Click();
    presser.stop();

    QCOMPARE(pdfLines(pdf), run.entries());
    QCOMPARE(run.list()->currentRow(), 3);
    QCOMPARE(run.details()->toPlainText(), detailsBefore);
    QVERIFY(run.messages.empty());
}

// Used by cups_print_test.sh: prints a long list to the queue it names.
void TestPrinting::printsToNamedQueue()
{
    const QByteArray queue = qgetenv("MAP_UTILITY_TEST_QUEUE");
    if (queue.isEmpty())
        QSKIP("MAP_UTILITY_TEST_QUEUE names no printer queue");
    ui::PrintSetup::SetAnswerForTests([&queue](QPrintDialog &dialog) {
        dialog.printer()->setOutputFormat(QPrinter::NativeFormat);
        dialog.printer()->setPrinterName(QString::fromLocal8Bit(queue));
        return int(QDialog::Accepted);
    });
    QVERIFY(setup_->Execute(nullptr));
    QVERIFY2(setup_->Printer().isValid(), queue.constData());
    QCOMPARE(setup_->Printer().printerName(), QString::fromLocal8Bit(queue));

    WatchedList list(numberedMaps(150));
    QCOMPARE(printThroughDialog(list), 1);
    QVERIFY(messages_.empty());
    QCOMPARE(label()->text(), QStringLiteral("Complete - select OK to return"));
}

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
