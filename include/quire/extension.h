/*
 * Quire extension libraries: the interface between the reader and a library.
 *
 * A book may carry shared libraries whose file names begin with "__pxa__" (for example
 * "__pxa__tools.so"). At start-up the reader loads each one with dlopen, checks that it
 * exports the six required entry points, calls PGX_Init, and from then on:
 *
 *   - brackets every command link and script run with PGX_ScriptInit and PGX_ScriptExit,
 *     when the library answers PGX_IsInterface(..., 4, 0, PGX_INTERFACE_SCRIPT) with a
 *     non-zero value;
 *   - hands it every script command written as its key in upper case, a point and a
 *     command name ("TOOLS.RUN" for the key "tools"), through PGX_ScriptCommand;
 *   - asks it for its variables whenever a text refers to "{key.name}" (or "[{key.name}]"
 *     in pages), with the key in lower case;
 *   - at shutdown calls PGX_Exit, unloads the library and deletes its file.
 *
 * All calls happen on the reader's one user-interface thread, one at a time. Every entry
 * point is a plain C function with the platform's C calling convention and receives the
 * same first three arguments:
 *
 *   zero    always 0;
 *   host    the reader's PGX_HostGetFunc (see below);
 *   window  the main window (a GtkWindow*), or NULL while it does not exist yet, which is
 *           always the case during PGX_Init.
 *
 * This header is plain C (C99 or later) and C++. The records are laid out as the C
 * compiler lays them out on the platform (natural alignment); do not pack them.
 */
#ifndef QUIRE_EXTENSION_H_
#define QUIRE_EXTENSION_H_

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Marks an entry point as exported from the library, also when the library is built with
 * -fvisibility=hidden. */
#if defined(__GNUC__)
#define PGX_EXPORT __attribute__((visibility("default")))
#else
#define PGX_EXPORT
#endif

/* The only interface number the reader asks about: the script interface. */
#define PGX_INTERFACE_SCRIPT 1

/* Sizes of the buffers the reader hands over. Each arrives zero-filled; write at most
 * size - 1 bytes and a terminating zero. The reader never reads past the end, and cuts a
 * text that fills its whole buffer at size - 1 bytes. */
#define PGX_KEY_SIZE 256
#define PGX_VARNAME_SIZE 256
#define PGX_MESSAGE_SIZE 8192

/* A command takes at most this many arguments; the reader refuses more without calling
 * the library. */
#define PGX_MAX_PARAMS 10

/* The longest variable value, in bytes, the reader accepts from PGX_ScriptGetVarValueLen.
 * A longer (or negative) length gives the variable an empty value. */
#define PGX_MAX_VALUE_LENGTH (16 * 1024 * 1024)

/* PGXParam.type */
#define PGX_PARAM_NONE 0
#define PGX_PARAM_NUMBER 1
#define PGX_PARAM_STRING 2

/* PGXResult.code, and the message the reader shows for it ("<command>" is the whole
 * command as written in the script):
 *   PGX_RESULT_OK               success, no message
 *   PGX_RESULT_UNKNOWN_COMMAND  "Syntax error in Pagora Script command.\n\nUnknown
 *                               command:\n<command>"
 *   PGX_RESULT_PARAM_COUNT      "Incorrect number of parameters:\n<command>"
 *   PGX_RESULT_PARAM_TYPE       "Incorrect parameter type:\n<command>"
 *   PGX_RESULT_MESSAGE          PGXResult.message, as it is
 *   any other code N            "Error N:\n<command>"
 * Every code other than PGX_RESULT_OK makes the command fail and stops the script. */
#define PGX_RESULT_OK 0
#define PGX_RESULT_UNKNOWN_COMMAND 1
#define PGX_RESULT_PARAM_COUNT 2
#define PGX_RESULT_PARAM_TYPE 3
#define PGX_RESULT_MESSAGE 32767

/* One argument of a script command.
 *
 * On 64-bit Linux (x86-64 and AArch64) this record is 24 bytes: type at offset 0, four
 * bytes of padding, the text pointer at offset 8, number at offset 16 and four bytes of
 * padding at the end. */
typedef struct PGXParam {
  int32_t type;     /* PGX_PARAM_NONE, PGX_PARAM_NUMBER or PGX_PARAM_STRING */
  const char* text; /* PGX_PARAM_STRING: the zero-terminated text, else NULL; valid only
                       until PGX_ScriptCommand returns */
  int32_t number;   /* PGX_PARAM_NUMBER: the value, else 0 */
} PGXParam;

/* What a command answers: 4 + 8192 = 8196 bytes. The reader zero-fills it before the
 * call. `message` is read only with PGX_RESULT_MESSAGE, and never past its last byte. */
typedef struct PGXResult {
  int32_t code;
  char message[PGX_MESSAGE_SIZE];
} PGXResult;

/* The reader's host function, PGX_HostGetFunc, also exported by name from the reader's
 * program. It is meant to hand out further services of the reader; this reader offers
 * none: it reads none of its arguments and always returns NULL. It may be called with any
 * arguments. */
typedef void* (*PGXHostGetFunc)(int request, ...);

/* --- Entry points ---------------------------------------------------------------------
 * Results of type int that the notes call "ignored" are not examined by the reader;
 * return 0. */

/* Required: the reader only checks that these three are exported, and never calls them. */
PGX_EXPORT int PGX_IsRuntime(int zero, PGXHostGetFunc host, void* window);
PGX_EXPORT int PGX_GetName(int zero, PGXHostGetFunc host, void* window);
PGX_EXPORT int PGX_GetVersion(int zero, PGXHostGetFunc host, void* window);

/* Required: called once after loading (window is NULL), and once right before unloading.
 * Results ignored; a library cannot refuse to load. */
PGX_EXPORT int PGX_Init(int zero, PGXHostGetFunc host, void* window);
PGX_EXPORT int PGX_Exit(int zero, PGXHostGetFunc host, void* window);

/* Required: non-zero when the library offers `interface`. The reader always passes
 * four = 4, reserved = 0 and interface = PGX_INTERFACE_SCRIPT. */
PGX_EXPORT int PGX_IsInterface(int zero, PGXHostGetFunc host, void* window, int four, int reserved,
                               int interface_number);

/* Needed when the library offers the script interface: called right before the commands
 * of a command link or script run, and right after them, also when a command failed.
 * Results ignored. */
PGX_EXPORT int PGX_ScriptInit(int zero, PGXHostGetFunc host, void* window);
PGX_EXPORT int PGX_ScriptExit(int zero, PGXHostGetFunc host, void* window);

/* Optional: writes the library's script key into `key` (PGX_KEY_SIZE bytes, zero-filled).
 * Called once after all libraries are loaded. Without it the key is empty, and the
 * library gets every unknown command that begins with a point. Result ignored. */
PGX_EXPORT int PGX_ScriptGetKey(int zero, PGXHostGetFunc host, void* window, char* key);

/* Optional: runs the command `name` (the part after "KEY."; as written in the script).
 * `count` arguments (0 to PGX_MAX_PARAMS) are in p0 ... p9; the records past `count` have
 * type PGX_PARAM_NONE. `flag` points to an int the library may set; the reader ignores it.
 * The answer goes into `result`. Result ignored. Without this entry point every command
 * under the key fails with "DLL missing PGX_ScriptCommand entry point." */
PGX_EXPORT int PGX_ScriptCommand(int zero, PGXHostGetFunc host, void* window, const char* name,
                                 int count, PGXParam* p0, PGXParam* p1, PGXParam* p2, PGXParam* p3,
                                 PGXParam* p4, PGXParam* p5, PGXParam* p6, PGXParam* p7,
                                 PGXParam* p8, PGXParam* p9, int* flag, PGXResult* result);

/* Optional: lists the library's variable names, one per call: first = 1 asks for the
 * first name, first = 0 for the next one. Write the name into `name` (PGX_VARNAME_SIZE
 * bytes, zero-filled) and return non-zero; return 0 when there are no more. The reader
 * asks again every time a text refers to the library's key. */
PGX_EXPORT int PGX_ScriptGetVarName(int zero, PGXHostGetFunc host, void* window, int first,
                                    char* name);

/* Optional (both or neither): the value of the variable `name`. The reader first asks for
 * its length in bytes (`length` arrives as 0; a value of 0 means empty), then hands a
 * zero-filled buffer of length + 1 bytes for the value. Results ignored. */
PGX_EXPORT int PGX_ScriptGetVarValueLen(int zero, PGXHostGetFunc host, void* window,
                                        const char* name, int* length);
PGX_EXPORT int PGX_ScriptGetVarValue(int zero, PGXHostGetFunc host, void* window, const char* name,
                                     char* value);

/* Pointer types of the entry points, for hosts and tests that look them up by name. */
typedef int (*PGX_NotifyFn)(int zero, PGXHostGetFunc host, void* window);
typedef int (*PGX_IsInterfaceFn)(int zero, PGXHostGetFunc host, void* window, int four,
                                 int reserved, int interface_number);
typedef int (*PGX_ScriptGetKeyFn)(int zero, PGXHostGetFunc host, void* window, char* key);
typedef int (*PGX_ScriptCommandFn)(int zero, PGXHostGetFunc host, void* window, const char* name,
                                   int count, PGXParam* p0, PGXParam* p1, PGXParam* p2,
                                   PGXParam* p3, PGXParam* p4, PGXParam* p5, PGXParam* p6,
                                   PGXParam* p7, PGXParam* p8, PGXParam* p9, int* flag,
                                   PGXResult* result);
typedef int (*PGX_ScriptGetVarNameFn)(int zero, PGXHostGetFunc host, void* window, int first,
                                      char* name);
typedef int (*PGX_ScriptGetVarValueLenFn)(int zero, PGXHostGetFunc host, void* window,
                                          const char* name, int* length);
typedef int (*PGX_ScriptGetVarValueFn)(int zero, PGXHostGetFunc host, void* window,
                                       const char* name, char* value);

#ifdef __cplusplus
} /* extern "C" */
#endif

/* The layout the reader relies on. */
#if defined(__cplusplus)
static_assert(sizeof(PGXResult) == 4 + PGX_MESSAGE_SIZE, "PGXResult layout");
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
_Static_assert(sizeof(PGXResult) == 4 + PGX_MESSAGE_SIZE, "PGXResult layout");
#endif

#endif /* QUIRE_EXTENSION_H_ */
