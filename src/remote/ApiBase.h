#pragma once

#include <QUrl>

// The platform's API base address: TESSANE_API_BASE when set (read once),
// otherwise the built-in address.
namespace ApiBase {
QUrl url();
QString defaultUrl();
// The platform's community page: TESSANE_COMMUNITY_URL when set, otherwise
// "/feedback" on the API base's own origin.
QUrl communityUrl();
}
