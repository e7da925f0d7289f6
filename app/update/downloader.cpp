#include "update/downloader.h"

#include "base/durable_file.h"
#include "common/update_kind.h"
#include "update/network_module.h"

#include <QUrl>

namespace kelvora
{

Downloader::Downloader(QObject* parent)
    : QObject(parent), m_network(&NetworkModule::shared()),
      m_maxBytes(qint64(update::kMaxUpdateBytes))
{
    m_rateTimer.setInterval(1000);
    connect(&m_rateTimer, &QTimer::timeout, this, &Downloader::checkRate);
}

Downloader::~Downloader()
{
    stop();
}

void Downloader::setNetwork(NetworkModule& network)
{
    stop();
    m_transport.reset();
    m_network = &network;
}

bool Downloader::start()
{
    stop();
    m_errors.clear();
    m_complete = false;
    m_received = 0;
    m_total = 0;
    m_headChecked = false;

    const QUrl url(m_address);
    if (!url.isValid() || url.isRelative()) {
        m_errors.append(QStringLiteral("Adresse de téléchargement invalide : %1").arg(m_address));
        return false;
    }
    if (!m_transport)
        m_transport = m_network->createTransport();
    if (!m_transport) {
        m_errors.append(m_network->errorString());
        return false;
    }
    auto file = std::make_unique<io::PendingFile>();
    if (const auto why = file->open(m_target)) {
        m_errors.append(
            QStringLiteral("Impossible de créer le fichier %1 : %2").arg(m_target, why->reason));
        return false;
    }
    m_file = std::move(file);

    net::HttpRequest request;
    request.url = m_address;
    request.agent = m_agent;
    // A compressed body's length says nothing of the file; ask for the bytes themselves.
    request.headers = {{"Accept", "*/*"}, {"Accept-Encoding", "identity"}};
    request.maxRedirects = 15;
    request.transferTimeoutMs = m_timeoutMs;
    m_clock.start();
    m_samples.assign({{0, 0}});
    m_rateTimer.start();
    m_reply = m_transport->get(
        request, {[this] { checkHead(); }, [this] { readBlock(); }, [this] { finish(); }});
    return true;
}

void Downloader::stop()
{
    if (!m_reply)
        return;
    release(); // the reply abandoned, without events
}

// Drops the reply and, unless it was committed, the temporary file with it.
void Downloader::release()
{
    m_rateTimer.stop();
    m_reply.reset();
    m_file.reset(); // removes the temporary file unless it was committed
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
    const int status = m_reply->status();
    // Redirections are followed, and an error status is reported as such by finish().
    if (status < 200 || status >= 300)
        return;
    m_headChecked = true;
    const QByteArray encoding = m_reply->rawHeader("Content-Encoding").trimmed().toLower();
    const std::optional<qint64> length = m_reply->contentLength();
    if (!encoding.isEmpty() && encoding != "identity") {
        refuse(QStringLiteral("Le serveur a envoyé le fichier compressé (%1) : le téléchargement "
                              "ne peut pas être vérifié et la mise à jour n'a pas été lancée.")
                   .arg(QString::fromLatin1(encoding)));
    } else if (!length || *length < 0) {
        refuse(QStringLiteral("Le serveur n'a pas annoncé la taille du fichier : le "
                              "téléchargement ne peut pas être vérifié et la mise à jour n'a pas "
                              "été lancée."));
    } else if (*length > m_maxBytes) {
        const qint64 mega = 1024 * 1024;
        const QString limit = m_maxBytes >= mega && m_maxBytes % mega == 0
                                  ? QStringLiteral("%1 Mo").arg(m_maxBytes / mega)
                                  : QStringLiteral("%1 Ko").arg(m_maxBytes / 1024);
        refuse(QStringLiteral("Le fichier annoncé (%1 octets) dépasse la taille maximale "
                              "attendue (%2) : téléchargement refusé.")
                   .arg(*length)
                   .arg(limit));
    } else {
        m_total = *length;
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
    if (const auto why = m_file->write(block)) {
        m_errors.append(
            QStringLiteral("Écriture impossible dans %1 : %2").arg(m_target, why->reason));
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
    if (!m_reply->failed()) {
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
            // The last block reaches the disk before the file takes its name.
            if (const auto why = m_file->commit())
                m_errors.append(QStringLiteral("Impossible d'enregistrer le fichier %1 : %2")
                                    .arg(m_target, why->reason));
            else
                m_complete = true;
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

void Downloader::checkRate()
{
    if (!m_reply)
        return;
    const qint64 now = m_clock.elapsed();
    m_samples.emplace_back(now, m_received);
    // The oldest sample kept is the last one at least a window old.
    while (m_samples.size() > 1 && now - m_samples[1].first >= m_rateWindowMs)
        m_samples.pop_front();
    const auto& [then, receivedThen] = m_samples.front();
    if (now - then < m_rateWindowMs)
        return;
    if ((m_received - receivedThen) * 1000 < m_minBytesPerSecond * (now - then))
        refuse(QStringLiteral("Le téléchargement est trop lent (moins de %1 Ko par seconde "
                              "depuis %2 secondes) : il a été abandonné. Réessayez plus tard.")
                   .arg(QString::number(double(m_minBytesPerSecond) / 1024))
                   .arg(m_rateWindowMs / 1000));
}

} // namespace kelvora
