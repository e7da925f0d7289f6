// The control field of a Debian package the download brought, read by dpkg-deb.
#pragma once

#include <QString>

namespace kelvora
{

// The only package an update may install.
inline constexpr const char* kDebianPackage = "kelvora";

// The package's `Package` field; empty when dpkg-deb cannot read it as a package.
QString debianPackageName(const QString& path);

} // namespace kelvora
