// The chapter history, opened from the chapter tree over the writing window.

#include "CUiManager.h"

#include "ui/creation/Dialog_TimeMachine.h"

void CUiManager::showTimeMachine(T_Chapter* chapter)
{
    // The dialog belongs over the writing window; the tree only offers the
    // entry there, but a late call after leaving the window finds none.
    if (chapter == nullptr || !m_creation || m_mainMode != 1)
        return;
    Dialog_TimeMachine dialog(chapter, creationWidget());
    dialog.exec();
}
