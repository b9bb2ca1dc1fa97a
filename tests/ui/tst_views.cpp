// The widgets behind the catalogue's views, the error report and the byte
// handling of names, each on its own.

#include "ByteText.h"
#include "DetailsPane.h"
#include "ErrorReport.h"
#include "JpegPicture.h"
#include "MapListView.h"
#include "Windows1252.h"

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>

#include <vector>

namespace {

QTextCharFormat formatOfLine(const QTextEdit &edit, int line)
{
    const QTextBlock block = edit.document()->findBlockByNumber(line);
    return block.begin().fragment().charFormat();
}

} // namespace

class TestViews : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void detailsLinesKeepTheirStyle();
    void styleAndColourAreIndependent();
    void clearEmptiesThePane();
    void lineWithNulInsertsPartAndFails();
    void windows1252Decoding();
    void listKeepsRawBytes();
    void fieldsHandBackUndecodableBytes();
    void reportAddsPeriodByLastCharacter_data();
    void reportAddsPeriodByLastCharacter();
    void guardReportsEveryKindOfError();
    void stopBoxHasRoomForItsCaption();
    void damagedJpegGivesNoPicture_data();
    void damagedJpegGivesNoPicture();

private:
    std::vector<ui::ShownMessage> messages_;
};

void TestViews::init()
{
    QCoreApplication::setApplicationName(QStringLiteral("Map utility"));
    messages_.clear();
    ui::SetMessageRecorder([this](const ui::ShownMessage &message) { messages_.push_back(message); });
}

void TestViews::cleanup()
{
    ui::SetMessageRecorder({});
}

void TestViews::detailsLinesKeepTheirStyle()
{
    QTextEdit edit;
    ui::RichEditDetailsView view(edit);
    view.setBold(true);
    view.appendLine("Map Name: A");
    view.setBold(false);
    view.appendLine("Map Type: B");
    QCOMPARE(edit.toPlainText(), QStringLiteral("Map Name: A\nMap Type: B\n"));
    QCOMPARE(formatOfLine(edit, 0).fontWeight(), int(QFont::Bold));
    QCOMPARE(formatOfLine(edit, 1).fontWeight(), int(QFont::Normal));
    // An empty line is a line end only.
    view.appendLine("");
    QCOMPARE(edit.toPlainText(), QStringLiteral("Map Name: A\nMap Type: B\n\n"));
}

void TestViews::styleAndColourAreIndependent()
{
    QTextEdit edit;
    ui::RichEditDetailsView view(edit);
    view.setColour(catalogue::TextColour::Red);
    view.setBold(true);
    view.setBold(false);
    view.appendLine("red normal");
    view.setBold(true);
    view.setColour(catalogue::TextColour::Black);
    view.appendLine("black bold");
    QCOMPARE(formatOfLine(edit, 0).foreground().color(), QColor(255, 0, 0));
    QCOMPARE(formatOfLine(edit, 0).fontWeight(), int(QFont::Normal));
    QCOMPARE(formatOfLine(edit, 1).foreground().color(), QColor(0, 0, 0));
    QCOMPARE(formatOfLine(edit, 1).fontWeight(), int(QFont::Bold));
}

void TestViews::clearEmptiesThePane()
{
    QTextEdit edit;
    edit.setPlainText(QStringLiteral("typed by the user"));
    ui::RichEditDetailsView view(edit);
    view.clear();
    view.appendLine("first");
    QCOMPARE(edit.toPlainText(), QStringLiteral("first\n"));
}

void TestViews::lineWithNulInsertsPartAndFails()
{
    QTextEdit edit;
    ui::RichEditDetailsView view(edit);
    const std::string line("Map Name\0\0: X", 13);
    try {
        view.appendLine(line);
        QFAIL("no error for a NUL byte");
    } catch (const runtime::Exception &error) {
        QCOMPARE(std::string(error.what()), std::string("RichEdit line insertion error"));
    }
    QCOMPARE(edit.toPlainText(), QStringLiteral("Map Name"));
}

void TestViews::windows1252Decoding()
{
    QCOMPARE(ui::DecodeWindows1252("Caf\xe9 \x80 \x99 \x93q\x94"),
             QStringLiteral("Caf\u00e9 \u20ac \u2122 \u201cq\u201d"));
    // Undefined in the code page: the C1 control of the same value.
    QCOMPARE(ui::DecodeWindows1252("\x81\x8d\x8f\x90\x9d"), QStringLiteral("\u0081\u008d\u008f\u0090\u009d"));
    QCOMPARE(ui::DecodeWindows1252("\xff"), QStringLiteral("\u00ff"));
}

void TestViews::listKeepsRawBytes()
{
    QListWidget widget;
    ui::ListBoxMapList list(widget);
    list.append("Plain");
    list.append("Caf\xe9");
    QCOMPARE(list.count(), std::size_t(2));
    QCOMPARE(widget.item(0)->text(), QStringLiteral("Plain"));
    QCOMPARE(list.at(1), std::string("Caf\xe9"));
    QVERIFY(!widget.item(1)->text().isEmpty());
    list.clear();
    QCOMPARE(widget.count(), 0);
}

void TestViews::fieldsHandBackUndecodableBytes()
{
    QLineEdit edit;
    ui::SetBytesText(edit, "/maps/Caf\xe9");
    QCOMPARE(ui::BytesText(edit), std::string("/maps/Caf\xe9"));
    edit.setText(QStringLiteral("/maps/Caf\u00e9"));
    QCOMPARE(ui::BytesText(edit), std::string("/maps/Caf\xc3\xa9"));
    edit.clear();
    QCOMPARE(ui::BytesText(edit), std::string());

    QLabel label;
    ui::SetBytesText(label, "/start/\xff");
    QCOMPARE(ui::BytesText(label), std::string("/start/\xff"));
}

void TestViews::reportAddsPeriodByLastCharacter_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << QByteArray("File not found") << QStringLiteral("File not found.");
    QTest::newRow("digit") << QByteArray("I/O error 32") << QStringLiteral("I/O error 32.");
    QTest::newRow("bracket") << QByteArray("List index out of bounds (-1)")
                             << QStringLiteral("List index out of bounds (-1)");
    QTest::newRow("period") << QByteArray("Done.") << QStringLiteral("Done.");
    QTest::newRow("space") << QByteArray("Trailing ") << QStringLiteral("Trailing ");
    QTest::newRow("empty") << QByteArray() << QString();
}

void TestViews::reportAddsPeriodByLastCharacter()
{
    QFETCH(QByteArray, message);
    QFETCH(QString, shown);
    ui::ReportError(message.toStdString());
    QCOMPARE(messages_.size(), std::size_t(1));
    QCOMPARE(messages_[0].icon, QMessageBox::Critical);
    QCOMPARE(messages_[0].caption, QStringLiteral("Map utility"));
    QCOMPARE(messages_[0].text, shown);
}

void TestViews::guardReportsEveryKindOfError()
{
    // Reaching the end of this test shows that nothing escaped a guard.
    ui::Guarded([] { throw runtime::EInOutError("File access denied", 5); });
    ui::Guarded([] { throw std::runtime_error("RichEdit line insertion error"); });
    ui::Guarded([] { throw 42; });
    ui::Guarded([] {});
    QCOMPARE(messages_.size(), std::size_t(3));
    QCOMPARE(messages_[0].text, QStringLiteral("File access denied."));
    QCOMPARE(messages_[1].text, QStringLiteral("RichEdit line insertion error."));
    QCOMPARE(messages_[2].caption, QStringLiteral("Map utility"));
}

void TestViews::stopBoxHasRoomForItsCaption()
{
    const auto box = ui::MakeMessageBox(nullptr, {QMessageBox::Critical, QStringLiteral("Map utility"),
                                                  QStringLiteral("File not found.")});
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box.get()));
    QVERIFY2(box->width() >= ui::StopBoxMinimumWidth, qPrintable(QString::number(box->width())));
}

void TestViews::damagedJpegGivesNoPicture_data()
{
    Q_INIT_RESOURCE(resources);
    QFile about(QStringLiteral(":/about.jpg"));
    QVERIFY(about.open(QIODevice::ReadOnly));
    const QByteArray good = about.readAll();
    // The frame header: marker, length, precision, then height and width.
    qsizetype frame = good.indexOf(QByteArray("\xff\xc0", 2));
    if (frame < 0)
        frame = good.indexOf(QByteArray("\xff\xc2", 2));
    QVERIFY(frame > 0);
    QByteArray huge = good;
    huge.replace(frame + 5, 4, QByteArray("\xff\xff\xff\xff", 4));

    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("header cut short") << good.left(frame + 4);
    QTest::newRow("size beyond memory") << huge;
    QTest::newRow("not a JPEG") << QByteArray("GIF89a");
}

void TestViews::damagedJpegGivesNoPicture()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("picture.jpg"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();
    QVERIFY(ui::LoadJpeg(path).isNull());
}

QTEST_MAIN(TestViews)
#include "tst_views.moc"
