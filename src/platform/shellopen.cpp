#include "platform/shellopen.h"

#include <QDesktopServices>
#include <QUrl>

#include "platform/cp1252.h"

namespace pk {

bool OpenInBrowser(const std::string& url) {
    const QUrl address(Cp1252ToQString(url), QUrl::TolerantMode);
    const QString scheme = address.scheme().toLower();
    if (!address.isValid() || (scheme != "http" && scheme != "https") || address.host().isEmpty())
        return false;
    return QDesktopServices::openUrl(address);
}

}  // namespace pk
