#pragma once

class QCoreApplication;
class QTranslator;

// Installs the client's Chinese catalogue and Qt's own beside it, so that the
// file, colour and font dialogs and the standard buttons speak the same
// language as the client's windows. Returns false when either catalogue is
// missing (whatever could be loaded is still installed).
bool installTranslations(QCoreApplication& app);

// The two halves: the client's catalogue (null when it did not load) and Qt's.
QTranslator* installClientCatalogue(QCoreApplication& app);
bool installQtCatalogue(QCoreApplication& app);
