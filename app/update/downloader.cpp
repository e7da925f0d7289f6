#include "update/downloader.h"

#include "base/durable_file.h"
#include "common/update_kind.h"
#include "update/no_cookie_jar.h"

#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QUrl>
#include <cerrno>
#include <unistd.h>

namespace kelvora
{

Downloader::Downloader(QObject* parent) : QObject(parent)
{
    m_manager.setCookieJar(new NoCookieJar(&m_manager));
    // Many practices reach the internet only through the system's proxy.
    QNetworkProxyFactory::setUseSystemConfiguration(true);
}

Downloader::~Downloader()
{
    stop();
}

bool Downloader::start()
{
    stop();
    m_errors.clear();
    m_complete = false;
    m_received = 0;
    m_total = 0;
    m_headChecked = false;

    auto file = std::make_unique<QSaveFile>(m_target);
    if (!file->open(QIODevice::WriteOnly)) {
        m_errors.append(QStringLiteral("Impossible de créer le fichier %1 : %2")
                            .arg(m_target, file->errorString()));
        return false;
    }
    const QUrl url(m_address);
    if (!url.isValid() || url.isRelative()) {
        m_errors.append(QStringLiteral("Adresse de téléchargement invalide : %1").arg(m_address));
        return false;
    }
    m_file = std::move(file);

    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, m_agent);
    request.setRawHeader("Accept", "*/*");
    // A compressed body's length says nothing of the file; ask for the bytes themselves.
    request.setRawHeader("Accept-Encoding", "identity");
    request.setMaximumRedirectsAllowed(15);
    request.setTransferTimeout(m_timeoutMs);
    m_clock.start();
    m_reply = m_manager.get(request);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &Downloader::checkHead);
    connect(m_reply, &QNetworkReply::readyRead, this, &Downloader::readBlock);
    connect(m_reply, &QNetworkReply::finished, this, &Downloader::finish);
    return true;
}

void Downloader::stop()
{
    if (!m_reply)
        return;
    m_reply->disconnect(this);
    m_reply->abort();
    release();
}

// Drops the reply and, unless it was committed, the temporary file with it.
void Downloader::release()
{
    if (m_reply) {
        m_reply->deleteLater();
        m_reply = nullptr;
    }
    if (m_file) {
        m_file->cancelWriting();
        m_file.reset();
    }
}

// Ends the transfer with `message`; finish() reports it.
void Downloader::refuse(const QString& message)
{
    if (m_errors.isEmpty())
        m_errors.append(message);
    if (m_reply)
        m_reply->abort();
}

void Downloader::checkHead()
{
    if (m_headChecked || !m_reply)
        return;
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    // Redirections are followed, and an error status is reported as such by finish().
    if (status < 200 || status >= 300)
        return;
    m_headChecked = true;
    const QByteArray encoding = m_reply->rawHeader("Content-Encoding").trimmed().toLower();
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    if (!encoding.isEmpty() && encoding != "identity") {
        refuse(QStringLiteral("Le serveur a envoyé le fichier compressé (%1) : le téléchargement "
                              "ne peut pas être vérifié et la mise à jour n'a pas été lancée.")
                   .arg(QString::fromLatin1(encoding)));
    } else if (!length.isValid() || length.toLongLong() < 0) {
        refuse(QStringLiteral("Le serveur n'a pas annoncé la taille du fichier : le "
                              "téléchargement ne peut pas être vérifié et la mise à jour n'a pas "
                              "été lancée."));
    } else if (quint64(length.toLongLong()) > update::kMaxUpdateBytes) {
        refuse(QStringLiteral("Le fichier annoncé (%1 octets) dépasse la taille maximale d'une "
                              "mise à jour (512 Mo) : téléchargement refusé.")
                   .arg(length.toLongLong()));
    } else {
        m_total = length.toLongLong();
    }
}

void Downloader::readBlock()
{
    checkHead();
    if (m_reply && !writeBlock())
        m_reply->abort(); // finish() reports it
}

bool Downloader::writeBlock()
{
    const QByteArray block = m_reply->readAll();
    if (block.isEmpty())
        return true;
    if (!m_headChecked)
        return true; // not the file but an error page, which finish() reports
    if (m_received + block.size() > m_total) {
        refuse(QStringLiteral("Le serveur a envoyé plus de données qu'annoncé : téléchargement "
                              "interrompu."));
        return true;
    }
    if (m_file->write(block) != block.size()) {
        m_errors.append(QStringLiteral("Écriture impossible dans %1 : %2")
                            .arg(m_target, m_file->errorString()));
        return false;
    }
    m_received += block.size();
    qint64 remaining = 0;
    if (m_total > m_received)
        remaining = m_clock.elapsed() * (m_total - m_received) / m_received / 1000;
    emit progress(m_received, m_total, remaining);
    return true;
}

void Downloader::finish()
{
    if (m_reply->error() == QNetworkReply::NoError) {
        checkHead();
        if (m_reply && m_errors.isEmpty())
            writeBlock();
        if (!m_reply)
            return; // a progress handler stopped the transfer
        // Only an announced length, fully received, makes a complete file.
        if (m_errors.isEmpty() && !m_headChecked)
            m_errors.append(QStringLiteral("Le serveur n'a pas annoncé la taille du fichier : le "
                                           "téléchargement ne peut pas être vérifié et la mise à "
                                           "jour n'a pas été lancée."));
        if (m_errors.isEmpty() && m_received != m_total)
            m_errors.append(QStringLiteral("Téléchargement incomplet : %1 octets reçus sur %2")
                                .arg(m_received)
                                .arg(m_total));
        if (m_errors.isEmpty()) {
            // The last block must reach the disk before the file takes its name: commit()
            // alone reports success when its final flush fails on a full disk.
            const bool flushed = m_file->flush();
            const int syncError = flushed && ::fsync(m_file->handle()) != 0 ? errno : 0;
            if (flushed && syncError == 0 && m_file->commit())
                m_complete = true;
            else
                m_errors.append(QStringLiteral("Impossible d'enregistrer le fichier %1 : %2")
                                    .arg(m_target, syncError != 0 ? io::systemReason(syncError)
                                                                  : m_file->errorString()));
        }
    } else if (m_errors.isEmpty()) {
        m_errors.append(m_reply->errorString());
    }
    // The handlers may start the next transfer; this one is over before they run.
    release();
    if (!m_complete)
        emit failed();
    emit completed();
}

} // namespace kelvora
