// A cookie jar that keeps nothing: update requests carry no state from one to the next.
#pragma once

#include <QNetworkCookieJar>

namespace kelvora
{

class NoCookieJar : public QNetworkCookieJar
{
public:
    using QNetworkCookieJar::QNetworkCookieJar;
    bool setCookiesFromUrl(const QList<QNetworkCookie>&, const QUrl&) override { return false; }
};

} // namespace kelvora
