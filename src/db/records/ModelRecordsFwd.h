#pragma once

// The records the database class reads and writes for the model, declared
// ahead so that its header stays light.

class QJsonArray;
class QJsonObject;
class SensitiveWordMatcher;
struct T_Book;
struct T_Chapter;
struct T_Chapter_TimeMachineItem;
struct T_CreationConf;
struct T_Level;
struct T_Memo;
struct T_Outline;
struct T_SysInfo;
struct T_SystemConf;
struct T_UserConf;
struct T_Volume;
struct T_WriteLock;
struct TS_Author_Info;
struct TS_SynchronizaTion_SynData;
struct TC_Books_AddBook;
struct TC_Books_Delete_Hard;
struct TC_BookOutline_Create;
struct TC_BookOutline_Delete;
struct TC_BookOutline_Update;
struct TC_Memo_Add;
struct TC_Memo_Del;
struct TC_Volume_Add;
struct TC_Volume_Delete;
struct TS_Books_Cate;
struct TS_Books_CateList;
struct TS_Level_AllData;
struct TS_Sensitive_Get;
struct TS_Sensitive_NameData;
