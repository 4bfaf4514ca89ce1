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
// The page the bookshelf loads into a hidden web view at construction, so
// that the web engine has started before the first web page is opened:
// TESSANE_WARMUP_URL when set ("none" turns the warm-up off), otherwise an
// empty page, which starts the engine without reaching any site.
QUrl warmUpUrl();
}
