#include "ScrollAreaProbe.h"

#include <QAbstractScrollArea>

#include <dlfcn.h>

namespace {
int g_asked = 0;
}

int scrollAreasAskedWhileDestroyed()
{
    return g_asked;
}

// Defined in the test executable, this takes the calls the client library
// makes (it is resolved before Qt's own definition); Qt's calls inside its
// own library stay with Qt. While a scroll area is being destroyed its
// dynamic type has already dropped back to QAbstractScrollArea or below.
QWidget* QAbstractScrollArea::viewport() const
{
    using Real = QWidget* (*)(const QAbstractScrollArea*);
    static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "_ZNK19QAbstractScrollArea8viewportEv"));
    const QMetaObject* type = metaObject();
    if (type == &QAbstractScrollArea::staticMetaObject || !type->inherits(&QAbstractScrollArea::staticMetaObject))
        ++g_asked;
    return real(this);
}
