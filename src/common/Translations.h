#pragma once

class QCoreApplication;

// Installs the client's Chinese catalogue and Qt's own beside it, so that the
// file, colour and font dialogs and the standard buttons speak the same
// language as the client's windows. Returns false when either catalogue is
// missing (whatever could be loaded is still installed).
bool installTranslations(QCoreApplication& app);
