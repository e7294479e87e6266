#include "Dialogs.h"

#include "BookmarksHtml.h"
#include "OpenPace.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>

namespace quillmoor {

namespace {
    // What a browser exports and takes as bookmarks is offered beside text.
    const QString kBookmarkFiles = QStringLiteral("Bookmarks (HTML) (*.html *.htm)");
    const QString kFileTypes = QStringLiteral("Text files (*.txt);;") + kBookmarkFiles + QStringLiteral(";;All files (*)");
} // namespace

void showReportBox(const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok);
    // Plain text: the report holds CR LF and lone CRs, each shown as a line
    // break, and must never be taken for markup.
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void showInformationBox(const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

int askBackupBox(QWidget* window, const QStringList& choices, const QString& folder, ChoiceText* later)
{
    const QString title = QInputDialog::tr("Restore Searches From Backup");
    if (choices.isEmpty()) {
        QMessageBox box(QMessageBox::Information, title,
            QInputDialog::tr("No backup of the saved searches has been made yet. They are kept in \"%1\".").arg(folder),
            QMessageBox::Ok, window);
        box.setTextFormat(Qt::PlainText);
        box.exec();
        return -1;
    }
    QInputDialog dialog(window);
    dialog.setWindowTitle(title);
    dialog.setLabelText(QInputDialog::tr("The saved searches become those of the backup (Undo brings the list back):"));
    dialog.setComboBoxItems(choices);
    dialog.setComboBoxEditable(false);
    // Chosen by place: a text may change while the box asks.
    auto* const box = dialog.findChild<QComboBox*>();
    if (later && box)
        *later = [box](int index, const QString& text) { box->setItemText(index, text); };
    const auto done = qScopeGuard([later] {
        if (later)
            *later = nullptr;
    });
    if (dialog.exec() != QDialog::Accepted)
        return -1;
    return box ? box->currentIndex() : int(choices.indexOf(dialog.textValue()));
}

QString openPagesQuestion(int pages, qint64 takesMs)
{
    const QString question = QMessageBox::tr("Open %1 pages in your browser?").arg(pages);
    // At a pace a run takes minutes, during which the browser has the front.
    if (takesMs < 2000)
        return question;
    return question + u'\n' + QMessageBox::tr("At the pace chosen they take %1.").arg(timeLeftText(takesMs));
}

bool askOpenBox(QWidget* window, int pages, qint64 takesMs, bool& askAgain)
{
    QMessageBox box(QMessageBox::Question, QMessageBox::tr("Open Pages"), openPagesQuestion(pages, takesMs),
        QMessageBox::NoButton, window);
    QPushButton* open = box.addButton(QMessageBox::tr("&Open"), QMessageBox::AcceptRole);
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(open);
    box.setEscapeButton(QMessageBox::Cancel);
    auto* again = new QCheckBox(QMessageBox::tr("&Don't ask again"));
    box.setCheckBox(again);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
    askAgain = !again->isChecked();
    return box.clickedButton() == open;
}

std::optional<QString> askSearchTextBox(QWidget* window, const QString& shown)
{
    bool ok = false;
    const QString text = QInputDialog::getText(window, QInputDialog::tr("Edit Search Text"),
        QInputDialog::tr("New search text (each search keeps its city):"), QLineEdit::Normal, shown, &ok);
    return ok ? std::optional<QString>(text) : std::nullopt;
}

std::optional<QString> askListNameBox(
    QWidget* window, const QString& title, const QString& shown, const QString& trouble)
{
    bool ok = false;
    const QString label = QInputDialog::tr("Name of the list (up to 80 characters):");
    const QString text = QInputDialog::getText(
        window, title, trouble.isEmpty() ? label : trouble + u'\n' + label, QLineEdit::Normal, shown, &ok);
    return ok ? std::optional<QString>(text) : std::nullopt;
}

bool askDeleteListBox(QWidget* window, const QString& question)
{
    QMessageBox box(QMessageBox::Question, QMessageBox::tr("Delete List"), question, QMessageBox::NoButton, window);
    QPushButton* remove = box.addButton(QMessageBox::tr("Delete List"), QMessageBox::DestructiveRole);
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Cancel);
    box.exec();
    return box.clickedButton() == remove;
}

QString askImportFileBox(QWidget* window)
{
    return QFileDialog::getOpenFileName(window, QFileDialog::tr("Import Searches"), QDir::homePath(),
        QStringLiteral("Searches (*.txt *.html *.htm);;") + kFileTypes);
}

QString askExportFileBox(QWidget* window)
{
    QString chosen;
    QString path = QFileDialog::getSaveFileName(window, QFileDialog::tr("Export Searches"),
        QDir::home().filePath(QStringLiteral("searches.txt")), kFileTypes, &chosen);
    // The kind of file goes by its name's ending: bookmarks chosen by the
    // filter get the ending that says so.
    if (!path.isEmpty() && chosen == kBookmarkFiles && !isBookmarksFileName(path))
        path += QStringLiteral(".html");
    return path;
}

void tellBox(QWidget* window, const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok, window);
    box.exec();
}

void closeWaitingDialog()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        modal->close();
}

} // namespace quillmoor
