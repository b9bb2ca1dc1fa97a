#include "content_field.h"

#include "index_model.h"
#include "row_text.h"
#include "status_message.h"
#include "view_settings.h"

#include "runtime/io_error.h"

#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

namespace mapindex {
namespace {

// The progress bar's widest, unless its text needs more.
constexpr int ProgressMaxWidth = 240;

// Long enough that a word typed at speed starts one search, not one per letter.
constexpr int TypingPauseMs = 300;

QString unreadableNote(const ContentMatch &match)
{
    const auto count = static_cast<qsizetype>(match.unreadable.size());
    return count == 1 ? QStringLiteral("1 map could not be read")
                      : QStringLiteral("%1 maps could not be read").arg(count);
}

// Searched with case, found in none, but held in another case by some.
QString anotherCaseNote(const ContentMatch &match)
{
    const auto count = static_cast<qsizetype>(match.heldInAnotherCase);
    return count == 1 ? QStringLiteral("No map holds this text in this case; 1 does with \"Aa\" off")
                      : QStringLiteral("No map holds this text in this case; %1 do with \"Aa\" off").arg(count);
}

} // namespace

ContentField::ContentField(IndexModel &model, QStatusBar &statusBar, QWidget *parent)
    : QLineEdit(parent), model_(model), filter_(new ContentFilter(this)), pause_(new QTimer(this)),
      progress_(new QProgressBar(&statusBar)), stop_(new QPushButton(QStringLiteral("Stop"), &statusBar)),
      note_(new QLabel(&statusBar)), case_(new QToolButton(parent))
{
    setObjectName(QStringLiteral("contents"));
    setPlaceholderText(QStringLiteral("Contents contain… (Ctrl+Shift+F)"));
    setClearButtonEnabled(true);

    pause_->setSingleShot(true);
    pause_->setInterval(TypingPauseMs);
    connect(pause_, &QTimer::timeout, this, &ContentField::searchNow);
    connect(this, &QLineEdit::textChanged, this, &ContentField::onTextChanged);

    case_->setObjectName(QStringLiteral("matchCase"));
    case_->setText(QStringLiteral("Aa"));
    case_->setCheckable(true);
    case_->setAutoRaise(true); // flat when off, pressed in when on: the state shows at a glance
    case_->setChecked(ContentsMatchCase());
    case_->setToolTip(QStringLiteral("Match case in the contents search (off: \"é\" finds \"É\")"));
    case_->setAccessibleName(QStringLiteral("Match case"));
    connect(case_, &QToolButton::toggled, this, [this](bool matchCase) {
        SetContentsMatchCase(matchCase);
        if (!text().isEmpty())
            searchNow();
    });
    connect(&model_, &QAbstractItemModel::modelReset, this, &ContentField::onRowsReset);

    note_->setObjectName(QStringLiteral("contentsNote"));
    statusBar.addWidget(note_);
    progress_->setObjectName(QStringLiteral("contentsProgress"));
    progress_->setMaximumWidth(ProgressMaxWidth);
    progress_->setFormat(QStringLiteral("Contents: %v of %m"));
    statusBar.addPermanentWidget(progress_);
    stop_->setObjectName(QStringLiteral("contentsStop"));
    stop_->setToolTip(QStringLiteral("Stop the contents search (Esc)"));
    statusBar.addPermanentWidget(stop_);
    showProgress(false);
    connect(stop_, &QPushButton::clicked, this, &ContentField::stop);

    connect(filter_, &ContentFilter::started, this, [this](int total) {
        progress_->setRange(0, total);
        progress_->setValue(0);
        fitProgressText(total);
        SetLastingText(*note_, {});
        showProgress(true);
    });
    connect(filter_, &ContentFilter::progress, progress_, &QProgressBar::setValue);
    connect(filter_, &ContentFilter::matched, this, &ContentField::onMatched);
    connect(filter_, &ContentFilter::cancelled, this, &ContentField::onStopped);
}

// The status bar gives a progress bar room for a few digits only; its text
// ("Contents: 6561 of 20000") then broke into two cut lines.
void ContentField::fitProgressText(int total)
{
    const QString count = QString::number(total);
    const QString widest =
        progress_->format().replace(QStringLiteral("%v"), count).replace(QStringLiteral("%m"), count);
    const QFontMetrics metrics = progress_->fontMetrics();
    const int width = metrics.horizontalAdvance(widest) + 4 * metrics.averageCharWidth();
    progress_->setMaximumWidth(std::max(width, ProgressMaxWidth));
    progress_->setMinimumWidth(width);
}

bool ContentField::matchesCase() const
{
    return case_->isChecked();
}

bool ContentField::isSearching() const
{
    return pause_->isActive() || filter_->isRunning();
}

void ContentField::stop()
{
    if (pause_->isActive()) {
        pause_->stop();
        onStopped();
    }
    filter_->cancel();
}

void ContentField::searchNow()
{
    pause_->stop();
    if (mapsDir_.empty() && !text().isEmpty())
        return; // no folder yet; the rows' arrival starts it
    searched_ = model_.sharedRows();
    filter_->search(mapsDir_, searched_, text(), matchesCase());
}

void ContentField::keyPressEvent(QKeyEvent *event)
{
    // Enter on a text not yet searched searches it rather than opening a row.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && pause_->isActive()) {
        searchNow();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void ContentField::onTextChanged()
{
    // Clearing and a kept text show at once; a new text waits for a pause in typing.
    if (text().isEmpty() || filter_->isKept(model_.sharedRows(), text(), matchesCase()))
        searchNow();
    else
        pause_->start();
}

void ContentField::onRowsReset()
{
    // New rows (a reading, a reload): the text's maps are searched again in them.
    if (model_.sharedRows() == searched_ || text().isEmpty())
        return;
    // Rows that only lost their marks keep the match the model moved onto them.
    if (model_.contentMatch() && model_.contentMatch()->rows == model_.sharedRows()) {
        searched_ = model_.sharedRows();
        return;
    }
    searchNow();
}

void ContentField::onMatched(const SharedContentMatch &match)
{
    showProgress(false);
    note_->setToolTip({});
    if (match && match->error) {
        SetLastingText(*note_,
                       QStringLiteral("Contents not searched: %1")
                           .arg(QString::fromStdString(runtime::ReportText(*match->error))));
    } else if (match && !match->unreadable.empty()) {
        const UnreadableRow &first = match->unreadable.front();
        SetLastingText(*note_, unreadableNote(*match));
        note_->setToolTip(QStringLiteral("%1: %2").arg(EntryText(first.entry),
                                                       QString::fromStdString(runtime::ReportText(first.message))));
    } else if (match && match->heldInAnotherCase > 0) {
        SetLastingText(*note_, anotherCaseNote(*match));
    } else {
        SetLastingText(*note_, {});
    }
    model_.setContentMatch(match);
    emit searchEnded();
}

void ContentField::onStopped()
{
    showProgress(false);
    SetLastingText(*note_, QStringLiteral("Contents search stopped"));
    emit searchEnded();
}

void ContentField::showProgress(bool shown)
{
    progress_->setVisible(shown);
    stop_->setVisible(shown);
}

} // namespace mapindex
