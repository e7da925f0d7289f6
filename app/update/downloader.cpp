#include "update/downloader.h"

#include "update/no_cookie_jar.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QUrl>

namespace kelvora
{

Downloader::Downloader(QObject* parent) : QObject(parent)
{
    m_manager.setCookieJar(new NoCookieJar(&m_manager));
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
    request.setMaximumRedirectsAllowed(15);
    request.setTransferTimeout(m_timeoutMs);
    m_clock.start();
    m_reply = m_manager.get(request);
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

void Downloader::readBlock()
{
    if (!writeBlock())
        m_reply->abort(); // finish() reports it
}

bool Downloader::writeBlock()
{
    const QByteArray block = m_reply->readAll();
    if (block.isEmpty())
        return true;
    if (m_file->write(block) != block.size()) {
        m_errors.append(QStringLiteral("Écriture impossible dans %1 : %2")
                            .arg(m_target, m_file->errorString()));
        return false;
    }
    m_received += block.size();
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    m_total = length.isValid() ? length.toLongLong() : 0;
    qint64 remaining = 0;
    if (m_total > m_received)
        remaining = m_clock.elapsed() * (m_total - m_received) / m_received / 1000;
    emit progress(m_received, m_total, remaining);
    return true;
}

void Downloader::finish()
{
    if (m_reply->error() == QNetworkReply::NoError) {
        writeBlock();
        if (!m_reply)
            return; // a progress handler stopped the transfer
        const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
        m_total = length.isValid() ? length.toLongLong() : 0;
        // A compressed body announces its compressed length, which cannot be compared.
        const bool comparable = !m_reply->hasRawHeader("Content-Encoding");
        if (m_errors.isEmpty() && comparable && m_total > 0 && m_received != m_total)
            m_errors.append(QStringLiteral("Téléchargement incomplet : %1 octets reçus sur %2")
                                .arg(m_received)
                                .arg(m_total));
        if (m_errors.isEmpty()) {
            if (m_file->commit())
                m_complete = true;
            else
                m_errors.append(QStringLiteral("Impossible d'enregistrer le fichier %1 : %2")
                                    .arg(m_target, m_file->errorString()));
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
