// The numbered message table and the reporting, status and progress interface of the front end.
#ifndef VXCONFIG_MESSAGES_H
#define VXCONFIG_MESSAGES_H

#include "vxconfig/icstring.h"

// Highest message number; the table holds one more entry, a null pointer that ends it.
#define IC_MAX_MESSAGE 524

typedef void (*ICTextCallback)(const char* text);
typedef void (*ICProgressCallback)(int percent);

// Set by the front end before any call; the library never writes them.
extern "C" VX_API ICTextCallback pfnError;
extern "C" VX_API ICTextCallback pfnInfo;
extern "C" VX_API ICTextCallback pfnUpdate;
extern "C" VX_API ICProgressCallback pfnProgress;
extern "C" VX_API int bCgiApp;

// Entry n-1 holds message n.
extern "C" VX_API const char* const ic_mscfgStrTbl[IC_MAX_MESSAGE + 1];

VX_API int SysLoadString(unsigned int id, ICString& out);
VX_API void BuildMessage(ICString& out, char* text, const char* arg1, const char* arg2);
VX_API int ICLoadMessage(ICString& out, unsigned int id, const char* arg1 = nullptr,
                         const char* arg2 = nullptr);

VX_API void ICShowError(unsigned int id, const char* arg1 = nullptr, const char* arg2 = nullptr);
VX_API void ICShowMessage(unsigned int id, const char* arg1 = nullptr, const char* arg2 = nullptr);
VX_API void ICUpdateStatus(unsigned int id, const char* arg1 = nullptr, const char* arg2 = nullptr);
VX_API void OutputError(const char* text);
VX_API void OutputMessage(const char* text);
VX_API void SysErrorMessage(const char* text);
VX_API void SysInfoMessage(const char* text);

VX_API void ICShowProgress(int percent);
VX_API void ICAddStage(int count);
VX_API void ICIncCurStage();

// The error number of the most recent failing system call.
extern "C" VX_API int ICGetLastError(void);
VX_API int SysGetLastError();

VX_API char* itoa(int value, char* buffer, int radix);
VX_API int stricmp(const char* a, const char* b);

#endif
