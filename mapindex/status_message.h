#pragma once

class QLabel;
class QStatusBar;
class QString;

namespace mapindex {

// How long a passing message covers the status bar's lasting texts.
inline constexpr int PassingMessageMs = 5000;

// A message about something just done ("3 rows written to …"). It covers the
// row count and the notes beside it for a few seconds, or until one of them
// changes, so the bar soon says again what is true now.
void ShowPassingMessage(QStatusBar &bar, const QString &text);

// Sets one of the status bar's lasting texts (the row count, a note of the
// contents search). A new text makes a passing message give way.
void SetLastingText(QLabel &label, const QString &text);

} // namespace mapindex
