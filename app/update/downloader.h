// The installer downloader: one file fetched in the background with progress, error and
// completion events. The bytes go to a temporary file beside the target, which takes the
// target's name only once the whole resource has arrived: the server must announce its
// length, send it unencoded, and exactly that many bytes must come. The shared folder is
// writable by the practice's other accounts, so neither name is ever followed as a link.
#pragma once

#include "base/durable_file.h"
#include "update/http_transport.h"

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <memory>

namespace kelvora
{

class NetworkModule;

class Downloader : public QObject
{
    Q_OBJECT

public:
    explicit Downloader(QObject* parent = nullptr);
    ~Downloader() override;

    // Where the transport comes from (the module beside the program by default); taken at the
    // next start().
    void setNetwork(NetworkModule& network);
    void setAddress(const QString& address) { m_address = address; }
    QString address() const { return m_address; }
    // Full path the complete file ends under.
    void setTarget(const QString& path) { m_target = path; }
    void setAgent(const QByteArray& agent) { m_agent = agent; }
    // The transfer ends in error when no data arrives for that long.
    void setTimeout(int milliseconds) { m_timeoutMs = milliseconds; }
    // Largest file accepted (an update by default).
    void setMaximumBytes(qint64 bytes) { m_maxBytes = bytes; }
    // The transfer is abandoned when, over the last `milliseconds`, fewer than
    // `bytesPerSecond` arrived on average: a server that trickles cannot hold it forever.
    void setMinimumRate(int milliseconds, qint64 bytesPerSecond)
    {
        m_rateWindowMs = milliseconds;
        m_minBytesPerSecond = bytesPerSecond;
    }

    // Begins the transfer and returns at once; false when it could not begin (see errors()).
    bool start();
    // Abandons a transfer in progress: the partial file is discarded and no event is raised.
    void stop();
    bool isActive() const { return m_reply != nullptr; }
    // Whether the last transfer ended with the complete file under the target name.
    bool isComplete() const { return m_complete; }
    // Messages of the last transfer's failures, readable by the user.
    QStringList errors() const { return m_errors; }

signals:
    // After each block: bytes so far, announced total (0 when unknown), estimated seconds left
    // (0 when unknown).
    void progress(qint64 received, qint64 total, qint64 remainingSeconds);
    // The transfer failed; `completed` follows.
    void failed();
    // Raised once after every transfer that began, whether it succeeded or not.
    void completed();

private:
    // Refuses, as soon as the answer's head is in, what could not be verified or is too big.
    void checkHead();
    void refuse(const QString& message);
    void readBlock();
    // Moves what has arrived into the file and reports progress; false when writing failed.
    bool writeBlock();
    void finish();
    void release();
    // Called every second: compares what arrived over the last window with the minimum rate.
    void checkRate();

    NetworkModule* m_network;
    // Made by the module on the first start, kept for the next ones.
    std::unique_ptr<net::HttpTransport> m_transport;
    QString m_address;
    QString m_target;
    QByteArray m_agent;
    int m_timeoutMs = 20000;
    qint64 m_maxBytes;
    int m_rateWindowMs = 60000;
    qint64 m_minBytesPerSecond = 1024;

    std::unique_ptr<net::HttpReply> m_reply;
    std::unique_ptr<io::PendingFile> m_file;
    QElapsedTimer m_clock;
    QTimer m_rateTimer;
    // (milliseconds since the start, bytes received then), one a second, oldest first.
    std::deque<std::pair<qint64, qint64>> m_samples;
    qint64 m_received = 0;
    qint64 m_total = 0;
    bool m_headChecked = false;
    bool m_complete = false;
    QStringList m_errors;
};

} // namespace kelvora
