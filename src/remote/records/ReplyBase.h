#pragma once

#include "remote/T_Http_S.h"

// A reply that carries the header alone: deletions, password changes,
// statistics uploads and the memo replies that return nothing of their own.
struct TS_HttpBase
{
    T_Http_S header;
};

using TS_AuthorCount_Save = TS_HttpBase;
using TS_Author_EditPwd = TS_HttpBase;
using TS_Author_SetNewPwd = TS_HttpBase;
using TS_Author_SendCode = TS_HttpBase;
using TS_Sensitive_Edit = TS_HttpBase;
