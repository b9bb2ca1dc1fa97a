#pragma once

#include "content_filter.h"
#include "index_row.h"

#include <QLineEdit>

#include <string>

class QLabel;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTimer;
class QToolButton;

namespace mapindex {

class IndexModel;

// The "Contents contain…" field: searches the maps' contents as the user
// types, narrows the model to the maps holding the text, and shows the
// search's progress, its Stop button and its unreadable maps in the status bar.
// Its "Aa" button, for the window to place beside it, says whether case
// matters; the choice is kept in the settings.
class ContentField final : public QLineEdit {
    Q_OBJECT

public:
    ContentField(IndexModel &model, QStatusBar &statusBar, QWidget *parent);

    void setMapsDirectory(const std::string &mapsDir) { mapsDir_ = mapsDir; }
    // A search running or about to start.
    bool isSearching() const;
    void stop();
    // Starts the search for the text now rather than after a pause in typing.
    void searchNow();
    ContentFilter &filter() const { return *filter_; }
    QToolButton *caseButton() const { return case_; }
    bool matchesCase() const;

signals:
    void searchEnded(); // the table shows the text's maps, or the search was stopped

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void onTextChanged();
    void onRowsReset();
    void onMatched(const SharedContentMatch &match);
    void onStopped();
    void showProgress(bool shown);
    void fitProgressText(int total);

    IndexModel &model_;
    ContentFilter *filter_;
    QTimer *pause_;
    QProgressBar *progress_;
    QPushButton *stop_;
    QLabel *note_;
    QToolButton *case_;
    std::string mapsDir_;
    SharedRows searched_; // the rows the text was last searched in
};

} // namespace mapindex
