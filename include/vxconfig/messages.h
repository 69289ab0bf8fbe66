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

// Message id (1 to IC_MAX_MESSAGE) into out, 1; 0 and out untouched for any other number.
VX_API int SysLoadString(unsigned int id, ICString& out);
// out = text with "%1" and "%2" replaced by arg1 and arg2. Writes into text while scanning: give
// it a private copy.
VX_API void BuildMessage(ICString& out, char* text, const char* arg1, const char* arg2);
// SysLoadString, then BuildMessage with the arguments; 0 and out untouched for a bad number.
VX_API int ICLoadMessage(ICString& out, unsigned int id, const char* arg1 = nullptr,
                         const char* arg2 = nullptr);

// Message id with its arguments ("Internal Error!" for a bad number) to OutputError,
// OutputMessage, or (only when pfnUpdate is set) to pfnUpdate.
VX_API void ICShowError(unsigned int id, const char* arg1 = nullptr, const char* arg2 = nullptr);
VX_API void ICShowMessage(unsigned int id, const char* arg1 = nullptr, const char* arg2 = nullptr);
VX_API void ICUpdateStatus(unsigned int id, const char* arg1 = nullptr, const char* arg2 = nullptr);
// Without bCgiApp: SysErrorMessage / SysInfoMessage; with it: pfnError / pfnInfo when set, else
// the text is dropped. An error is also kept as the reason of the running step (outcome.h).
VX_API void OutputError(const char* text);
VX_API void OutputMessage(const char* text);
// Message 55 (56), ": " and the text, as one line on standard error.
VX_API void SysErrorMessage(const char* text);
VX_API void SysInfoMessage(const char* text);

// Progress of a multi-stage operation: ICAddStage announces stages, each finished stage is
// ICShowProgress(100) then ICIncCurStage (which stops at the total); pfnProgress, when set,
// receives the whole operation's percent of a stage's percent.
VX_API void ICShowProgress(int percent);
VX_API void ICAddStage(int count);
VX_API void ICIncCurStage();
// Forgets the stages announced and finished: the next operation's percentages start from
// nothing instead of adding to those of the operations before it in the same process.
VX_API void ICResetProgress();

// The error number of the most recent failing system call.
extern "C" VX_API int ICGetLastError(void);
VX_API int SysGetLastError();

// value as text in radix into buffer; returns buffer.
VX_API char* itoa(int value, char* buffer, int radix);
// Compares a and b with the ASCII letters' case ignored, characters as signed values: <0, 0, >0.
VX_API int stricmp(const char* a, const char* b);

#endif
