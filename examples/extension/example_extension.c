/* An example Quire extension library, written in plain C.
 *
 * Built as "__pxa__example.so" and carried inside a book, it claims the script key
 * "example" and offers:
 *
 *   ##EXAMPLE.GREET('greeting', 'Ada')   stores "Hello, Ada!" as {example.greeting}
 *   ##EXAMPLE.ADD(5)                      adds a number to {example.total}
 *   ##EXAMPLE.FAIL('Something went wrong') fails the command with that message
 *
 *   {example.time}   the local time, HH:MM:SS
 *   {example.date}   the local date, YYYY-MM-DD
 *   {example.runs}   how many command links and scripts have run so far
 *   {example.total}  the sum of every ADD
 *   {example.<name>} every text stored with GREET
 *
 * In pages that the book expands, write them as [{example.time}].
 */
#include <ctype.h>
#include <stdio.h>
#include <string.h>
#include <time.h>

#include "quire/extension.h"

#define MAX_STORED 32

/* The library's whole state: the reader calls it on one thread, one call at a time. */
static struct {
  char names[MAX_STORED][PGX_VARNAME_SIZE];
  char values[MAX_STORED][PGX_MESSAGE_SIZE];
  int stored;
  long long total;
  int runs;
  int nextName; /* position of the variable listing */
} g_state;

/* --- Required entry points --------------------------------------------------------- */
PGX_EXPORT int PGX_IsRuntime(int zero, PGXHostGetFunc host, void* window) {
  (void)zero, (void)host, (void)window;
  return 1;
}

PGX_EXPORT int PGX_GetName(int zero, PGXHostGetFunc host, void* window) {
  (void)zero, (void)host, (void)window;
  return 0;
}

PGX_EXPORT int PGX_GetVersion(int zero, PGXHostGetFunc host, void* window) {
  (void)zero, (void)host, (void)window;
  return 1;
}

PGX_EXPORT int PGX_Init(int zero, PGXHostGetFunc host, void* window) {
  (void)zero, (void)host, (void)window;
  memset(&g_state, 0, sizeof(g_state));
  return 0;
}

PGX_EXPORT int PGX_Exit(int zero, PGXHostGetFunc host, void* window) {
  (void)zero, (void)host, (void)window;
  return 0;
}

PGX_EXPORT int PGX_IsInterface(int zero, PGXHostGetFunc host, void* window, int four, int reserved,
                               int interface_number) {
  (void)zero, (void)host, (void)window, (void)four, (void)reserved;
  return interface_number == PGX_INTERFACE_SCRIPT;
}

/* --- Script interface ------------------------------------------------------------------ */
PGX_EXPORT int PGX_ScriptInit(int zero, PGXHostGetFunc host, void* window) {
  (void)zero, (void)host, (void)window;
  ++g_state.runs;
  return 0;
}

PGX_EXPORT int PGX_ScriptExit(int zero, PGXHostGetFunc host, void* window) {
  (void)zero, (void)host, (void)window;
  return 0;
}

PGX_EXPORT int PGX_ScriptGetKey(int zero, PGXHostGetFunc host, void* window, char* key) {
  (void)zero, (void)host, (void)window;
  snprintf(key, PGX_KEY_SIZE, "%s", "example");
  return 0;
}

/* A name for {example.<name>}: letters, digits and '_', and not one of the built-in
 * variables. */
static int IsStorableName(const char* name) {
  static const char* const kBuiltIn[] = {"time", "date", "runs", "total"};
  size_t length = strlen(name);
  if (length == 0 || length >= PGX_VARNAME_SIZE)
    return 0;
  for (size_t i = 0; i < length; ++i)
    if (!isalnum((unsigned char)name[i]) && name[i] != '_')
      return 0;
  for (size_t i = 0; i < sizeof(kBuiltIn) / sizeof(kBuiltIn[0]); ++i)
    if (strcmp(name, kBuiltIn[i]) == 0)
      return 0;
  return 1;
}

static void Fail(PGXResult* result, const char* message) {
  result->code = PGX_RESULT_MESSAGE;
  snprintf(result->message, PGX_MESSAGE_SIZE, "%s", message);
}

static void Greet(const PGXParam* var, const PGXParam* who, PGXResult* result) {
  if (var->type != PGX_PARAM_STRING || who->type != PGX_PARAM_STRING) {
    result->code = PGX_RESULT_PARAM_TYPE;
    return;
  }
  if (!IsStorableName(var->text)) {
    Fail(result, "EXAMPLE.GREET: the variable name may hold only letters, digits and _.");
    return;
  }
  int slot = 0;
  while (slot < g_state.stored && strcmp(g_state.names[slot], var->text) != 0)
    ++slot;
  if (slot == MAX_STORED) {
    Fail(result, "EXAMPLE.GREET: no room for another variable.");
    return;
  }
  if (slot == g_state.stored) {
    snprintf(g_state.names[slot], PGX_VARNAME_SIZE, "%s", var->text);
    ++g_state.stored;
  }
  snprintf(g_state.values[slot], PGX_MESSAGE_SIZE, "Hello, %s!", who->text);
}

PGX_EXPORT int PGX_ScriptCommand(int zero, PGXHostGetFunc host, void* window, const char* name,
                                 int count, PGXParam* p0, PGXParam* p1, PGXParam* p2, PGXParam* p3,
                                 PGXParam* p4, PGXParam* p5, PGXParam* p6, PGXParam* p7,
                                 PGXParam* p8, PGXParam* p9, int* flag, PGXResult* result) {
  (void)zero, (void)host, (void)window, (void)p2, (void)p3, (void)p4, (void)p5, (void)p6, (void)p7,
      (void)p8, (void)p9, (void)flag;
  if (strcmp(name, "GREET") == 0) {
    if (count != 2)
      result->code = PGX_RESULT_PARAM_COUNT;
    else
      Greet(p0, p1, result);
  } else if (strcmp(name, "ADD") == 0) {
    if (count != 1)
      result->code = PGX_RESULT_PARAM_COUNT;
    else if (p0->type != PGX_PARAM_NUMBER)
      result->code = PGX_RESULT_PARAM_TYPE;
    else
      g_state.total += p0->number;
  } else if (strcmp(name, "FAIL") == 0) {
    if (count != 1)
      result->code = PGX_RESULT_PARAM_COUNT;
    else if (p0->type != PGX_PARAM_STRING)
      result->code = PGX_RESULT_PARAM_TYPE;
    else
      Fail(result, p0->text);
  } else {
    result->code = PGX_RESULT_UNKNOWN_COMMAND;
  }
  return 0;
}

/* --- Variables ------------------------------------------------------------------------ */
#define BUILT_IN_COUNT 4

/* Writes the value of `name` into `out` (size bytes); returns its full length. */
static int ValueOf(const char* name, char* out, size_t size) {
  time_t now = time(NULL);
  struct tm local;
  localtime_r(&now, &local);
  if (strcmp(name, "time") == 0)
    return (int)strftime(out, size, "%H:%M:%S", &local);
  if (strcmp(name, "date") == 0)
    return (int)strftime(out, size, "%Y-%m-%d", &local);
  if (strcmp(name, "runs") == 0)
    return snprintf(out, size, "%d", g_state.runs);
  if (strcmp(name, "total") == 0)
    return snprintf(out, size, "%lld", g_state.total);
  for (int i = 0; i < g_state.stored; ++i)
    if (strcmp(name, g_state.names[i]) == 0)
      return snprintf(out, size, "%s", g_state.values[i]);
  return snprintf(out, size, "%s", "");
}

PGX_EXPORT int PGX_ScriptGetVarName(int zero, PGXHostGetFunc host, void* window, int first,
                                    char* name) {
  static const char* const kBuiltIn[BUILT_IN_COUNT] = {"time", "date", "runs", "total"};
  (void)zero, (void)host, (void)window;
  if (first)
    g_state.nextName = 0;
  int index = g_state.nextName;
  if (index >= BUILT_IN_COUNT + g_state.stored)
    return 0;
  ++g_state.nextName;
  const char* text =
      index < BUILT_IN_COUNT ? kBuiltIn[index] : g_state.names[index - BUILT_IN_COUNT];
  snprintf(name, PGX_VARNAME_SIZE, "%s", text);
  return 1;
}

PGX_EXPORT int PGX_ScriptGetVarValueLen(int zero, PGXHostGetFunc host, void* window,
                                        const char* name, int* length) {
  char value[PGX_MESSAGE_SIZE];
  (void)zero, (void)host, (void)window;
  *length = ValueOf(name, value, sizeof(value));
  return 0;
}

/* `value` has room for the length given above plus the terminating zero. */
PGX_EXPORT int PGX_ScriptGetVarValue(int zero, PGXHostGetFunc host, void* window, const char* name,
                                     char* value) {
  char text[PGX_MESSAGE_SIZE];
  (void)zero, (void)host, (void)window;
  int length = ValueOf(name, text, sizeof(text));
  memcpy(value, text, (size_t)length);
  return 0;
}
