#pragma once

#include <QByteArray>

// The community page the stand-in serves at "/feedback": a small page whose
// getTheme(theme, token, flag, version) the client calls once it has
// loaded. With a token it asks the API for the author's notices, as the
// platform's page does.
namespace CommunityPage {
const char* path();
QByteArray html();
}
