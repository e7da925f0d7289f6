#include "ui/desktop_platform.h"

#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

namespace kelvora
{

void DesktopPlatform::messageBox(const QString& text, const QString& caption, MessageIcon icon)
{
    QString body = text;
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    body.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::Information,
                    caption, body, QMessageBox::Ok);
    box.exec();
}

bool DesktopPlatform::openDocument(const QString& pathOrUrl)
{
    const bool isUrl = pathOrUrl.contains(QLatin1String("://"));
#if defined(Q_OS_LINUX)
    if (!isUrl) {
        // Qt only reports that xdg-open started. Its verdict is waited for briefly, so a missing
        // viewer is told; the shell stays detached, so closing Kelvora never closes the viewer.
        QTemporaryDir dir;
        const QString verdict = dir.filePath(QStringLiteral("verdict"));
        if (!dir.isValid() ||
            !QProcess::startDetached(QStringLiteral("/bin/sh"),
                                     {QStringLiteral("-c"),
                                      QStringLiteral("xdg-open \"$1\" >/dev/null 2>&1; "
                                                     "echo $? > \"$2\""),
                                      QStringLiteral("sh"), pathOrUrl, verdict}))
            return false;
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 3000) {
            QFile answer(verdict);
            if (answer.open(QIODevice::ReadOnly) && answer.size() > 0)
                return answer.readAll().trimmed() == "0";
            QThread::msleep(50);
        }
        dir.setAutoRemove(false); // the shell writes there later; a few bytes in /tmp
        return true; // still running: the viewer itself is open
    }
#endif
    return QDesktopServices::openUrl(isUrl ? QUrl(pathOrUrl) : QUrl::fromLocalFile(pathOrUrl));
}

QString DesktopPlatform::saveFileName(QWidget* parent, const QString& title, const QString& filter,
                                      const QString& defaultSuffix, const QString& initialName)
{
    QFileDialog dialog(parent, title, QString(), filter);
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
    return dialog.selectedFiles().constFirst();
}

} // namespace kelvora
