// Book operations that the change feed calls and the book operations do not
// offer yet. Each says so and returns false, so that the feed stops without
// acknowledging the change and the platform offers it again later.

#include "CBookJobManager.h"

#include "remote/records/OutlineRecords.h"

bool CBookJobManager::chapter_menu(TC_Chapter_Menu&, bool) { return notBuilt("chapter_menu"); }
bool CBookJobManager::books_info(TC_Books_Info&) { return notBuilt("books_info"); }
bool CBookJobManager::outline_list(TC_BookOutline_List&) { return notBuilt("outline_list"); }
bool CBookJobManager::volume_menu(TC_Volume_Menu&) { return notBuilt("volume_menu"); }
bool CBookJobManager::outline_create(TC_BookOutline_Create&) { return notBuilt("outline_create"); }
bool CBookJobManager::outline_delete(TC_BookOutline_Delete&) { return notBuilt("outline_delete"); }
