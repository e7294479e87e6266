#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;

namespace quillmoor {

// The program's dialogs. Handlers reach them only through seams (Platform's
// showMessage and askToOpen, the saved list's edits' questions), which the
// program's wiring sets to these and tests answer instead.

// The error report's box: modal, a warning, one OK button. The text is
// plain, every CR LF and lone CR a line break.
void showReportBox(const QString& title, const QString& text);

// An information box: modal, one OK button; news that is no fault.
void showInformationBox(const QString& title, const QString& text);

// Asks over `window` whether to open `pages` pages: Open (Return) or Cancel
// (Escape), and "Don't ask again", which clears `askAgain`.
bool askOpenBox(QWidget* window, int pages, qint64 takesMs, bool& askAgain);
// The question before `pages` pages, naming the time they take at the pace
// chosen (`takesMs` in all) where that is more than a moment.
QString openPagesQuestion(int pages, qint64 takesMs);

// Asks over `window` for a new search text, offering `shown`; none when the
// user cancels.
std::optional<QString> askSearchTextBox(QWidget* window, const QString& shown);

// Asks over `window` for the file to import searches from, or to export
// them to; empty when the user cancels.
// A list's name, shown to begin with; `trouble` says why the last would not
// do. Nothing when the user cancels.
std::optional<QString> askListNameBox(
    QWidget* window, const QString& title, const QString& shown, const QString& trouble);
// Whether to delete a list, as `question` asks.
bool askDeleteListBox(QWidget* window, const QString& question);
QString askImportFileBox(QWidget* window);
QString askExportFileBox(QWidget* window);

// Tells the user over `window` what an edit did: one OK button.
void tellBox(QWidget* window, const QString& title, const QString& text);
// Asks over `window` which of the backups `choices` describes (newest
// first) the saved list becomes: its index, or -1 when the user cancels or
// there is none (said, naming `folder`, where backups are kept). While it
// asks, `later` changes a choice's text (by its index), for what was not
// known when it began.
using ChoiceText = std::function<void(int index, const QString& text)>;
int askBackupBox(QWidget* window, const QStringList& choices, const QString& folder, ChoiceText* later = nullptr);

// Closes the dialog that waits for an answer, if one does: a close asked
// for by a signal or the session's end must not wait for a user.
void closeWaitingDialog();

} // namespace quillmoor
