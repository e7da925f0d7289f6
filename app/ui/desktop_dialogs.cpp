#include "ui/desktop_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <algorithm>

namespace kelvora
{

void DesktopDialogs::messageBox(const QString& text, const QString& caption, MessageIcon icon)
{
    QMessageBox box(icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::Information,
                    caption, unixLines(text), QMessageBox::Ok);
    // Boxes quote file names, causes and card texts: shown as written, never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

QString DesktopDialogs::saveFileName(const QString& title, const QString& filter,
                                     const QString& defaultSuffix, const QString& initialName)
{
    return saveFileChoice(title, QStringList{filter}, defaultSuffix, initialName).path;
}

SaveChoice DesktopDialogs::saveFileChoice(const QString& title, const QStringList& filters,
                                          const QString& defaultSuffix, const QString& initialName)
{
    // Over the window the user clicked in, so that it stays modal to it.
    QFileDialog dialog(QApplication::activeWindow(), title, QString());
    dialog.setNameFilters(filters);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    // The folder and the name apart: Qt's dialog turns a path into a folder it cannot open
    // into a name relative to wherever it is.
    const QFileInfo initial(initialName);
    if (initial.isAbsolute()) {
        dialog.setDirectory(initial.absolutePath());
        dialog.selectFile(initial.fileName());
    } else {
        dialog.selectFile(initialName);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return {dialog.selectedFiles().constFirst(),
            std::max(0, int(filters.indexOf(dialog.selectedNameFilter())))};
}

} // namespace kelvora
