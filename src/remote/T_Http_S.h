#pragma once

#include "T_Http_Custom.h"

#include <QString>

// Result codes a caller tests; the first three are the platform's, the rest
// are local failures reported in the same field.
enum HttpResultCode {
    HttpOk = 200,
    HttpSignInAgain = 300,
    HttpRefused = 400,
    HttpDbError = 10001,
    HttpNetworkError = 10002,
    HttpMissingParameter = 10004,
};

// The head of every reply: code, message, server clock and echoed identity.
struct T_Http_S
{
    int code = 0;
    QString msg;
    int server_time = 0;
    T_Http_Custom userdata;
};
