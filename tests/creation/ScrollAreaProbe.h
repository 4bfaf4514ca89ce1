#pragma once

// How often code of the client library asked a scroll area (an editor) for
// its viewport after the area's destruction had begun: an invalid member
// call, which the sanitizer build reports and this counts in the normal one.
int scrollAreasAskedWhileDestroyed();
