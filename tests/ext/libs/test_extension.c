/* One extension library for the tests, built several times: the TEST_LIB_* definition
 * picks which entry points it exports and how it answers. Every call is appended as one
 * line to the file named by QUIRE_EXT_TEST_LOG:
 *
 *   <library> <entry point> zero=<int> host=<address> window=<address> [details]
 *
 * with addresses as decimal integers, so the tests can compare them. */
#define _GNU_SOURCE /* RTLD_DEFAULT */
#include <dlfcn.h>
#include <limits.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "quire/extension.h"

/* --- What each build offers -------------------------------------------------------- */
#define HAS_IS_RUNTIME 1
#define HAS_SCRIPT_INIT 1
#define HAS_GET_KEY 1
#define HAS_COMMAND 1
#define HAS_VARIABLES 1
#define SCRIPT_INTERFACE 1

#if defined(TEST_LIB_FULL)
#define LIB_NAME "full"
#define LIB_KEY "Tools"
#elif defined(TEST_LIB_NORUNTIME)
#define LIB_NAME "noruntime"
#define LIB_KEY "noruntime"
#undef HAS_IS_RUNTIME
#define HAS_IS_RUNTIME 0
#elif defined(TEST_LIB_NOINTERFACE)
#define LIB_NAME "nointerface"
#define LIB_KEY "nointerface"
#undef SCRIPT_INTERFACE
#define SCRIPT_INTERFACE 0
#elif defined(TEST_LIB_NOCOMMAND)
#define LIB_NAME "nocommand"
#define LIB_KEY "nocmd"
#undef HAS_COMMAND
#define HAS_COMMAND 0
#elif defined(TEST_LIB_EMPTYKEY)
#define LIB_NAME "emptykey"
#define LIB_KEY ""
#undef HAS_GET_KEY
#define HAS_GET_KEY 0
#elif defined(TEST_LIB_TWIN_A)
#define LIB_NAME "twin_a"
#define LIB_KEY "twin"
#elif defined(TEST_LIB_TWIN_B)
#define LIB_NAME "twin_b"
#define LIB_KEY "twin"
#elif defined(TEST_LIB_UNRULY)
/* Abuses every buffer and length, answers script interface 1 without the script
 * notification entry points, and names variables for ever. */
#define LIB_NAME "unruly"
#define LIB_KEY ""
#undef HAS_SCRIPT_INIT
#define HAS_SCRIPT_INIT 0
#else
#error "pick a TEST_LIB_* build"
#endif

/* --- The call log ------------------------------------------------------------------- */
static void Log(const char* entry, int zero, PGXHostGetFunc host, void* window,
                const char* details) {
  const char* path = getenv("QUIRE_EXT_TEST_LOG");
  if (path == NULL || *path == '\0')
    return;
  FILE* file = fopen(path, "a");
  if (file == NULL)
    return;
  fprintf(file, "%s %s zero=%d host=%llu window=%llu%s%s\n", LIB_NAME, entry, zero,
          (unsigned long long)(uintptr_t)host, (unsigned long long)(uintptr_t)window,
          details[0] ? " " : "", details);
  fclose(file);
}

#define LOG(entry) Log(entry, zero, host, window, "")

/* Runs when the reader unloads the library, so the tests see when that happened. */
__attribute__((destructor)) static void Unloaded(void) {
  Log("Unloaded", 0, NULL, NULL, "");
}

/* --- Required entry points ---------------------------------------------------------- */
#if HAS_IS_RUNTIME
PGX_EXPORT int PGX_IsRuntime(int zero, PGXHostGetFunc host, void* window) {
  LOG("IsRuntime");
  return 1;
}
#endif

PGX_EXPORT int PGX_GetName(int zero, PGXHostGetFunc host, void* window) {
  LOG("GetName");
  return 0;
}

PGX_EXPORT int PGX_GetVersion(int zero, PGXHostGetFunc host, void* window) {
  LOG("GetVersion");
  return 0;
}

PGX_EXPORT int PGX_Init(int zero, PGXHostGetFunc host, void* window) {
  /* How this C compiler lays out the records, for the host to compare with its own, and
   * where the program's exported host function is, as a library finds it by name. */
  char details[300];
  snprintf(details, sizeof(details),
           "param=%zu param.text=%zu param.number=%zu result=%zu exported=%llu", sizeof(PGXParam),
           offsetof(PGXParam, text), offsetof(PGXParam, number), sizeof(PGXResult),
           (unsigned long long)(uintptr_t)dlsym(RTLD_DEFAULT, "PGX_HostGetFunc"));
  Log("Init", zero, host, window, details);
  return 0;
}

PGX_EXPORT int PGX_Exit(int zero, PGXHostGetFunc host, void* window) {
  LOG("Exit");
  return 0;
}

PGX_EXPORT int PGX_IsInterface(int zero, PGXHostGetFunc host, void* window, int four, int reserved,
                               int interface_number) {
  char details[100];
  snprintf(details, sizeof(details), "args=%d,%d,%d", four, reserved, interface_number);
  Log("IsInterface", zero, host, window, details);
  return SCRIPT_INTERFACE && four == 4 && reserved == 0 && interface_number == 1;
}

/* --- Script interface ----------------------------------------------------------------- */
#if HAS_SCRIPT_INIT
PGX_EXPORT int PGX_ScriptInit(int zero, PGXHostGetFunc host, void* window) {
  LOG("ScriptInit");
  return 0;
}

PGX_EXPORT int PGX_ScriptExit(int zero, PGXHostGetFunc host, void* window) {
  LOG("ScriptExit");
  return 0;
}
#endif

#if HAS_GET_KEY
PGX_EXPORT int PGX_ScriptGetKey(int zero, PGXHostGetFunc host, void* window, char* key) {
  LOG("ScriptGetKey");
#if defined(TEST_LIB_UNRULY)
  memset(key, 'K', PGX_KEY_SIZE); /* no terminating zero */
#else
  strcpy(key, LIB_KEY);
#endif
  return 0;
}
#endif

#if HAS_COMMAND
static void Describe(const PGXParam* p, char* out, size_t size) {
  if (p->type == PGX_PARAM_STRING)
    snprintf(out, size, "s'%s'", p->text ? p->text : "(null)");
  else if (p->type == PGX_PARAM_NUMBER)
    snprintf(out, size, "n%d%s", p->number, p->text ? "(text!)" : "");
  else
    snprintf(out, size, "-%s%s", p->text ? "(text!)" : "", p->number ? "(number!)" : "");
}

PGX_EXPORT int PGX_ScriptCommand(int zero, PGXHostGetFunc host, void* window, const char* name,
                                 int count, PGXParam* p0, PGXParam* p1, PGXParam* p2, PGXParam* p3,
                                 PGXParam* p4, PGXParam* p5, PGXParam* p6, PGXParam* p7,
                                 PGXParam* p8, PGXParam* p9, int* flag, PGXResult* result) {
  PGXParam* params[PGX_MAX_PARAMS] = {p0, p1, p2, p3, p4, p5, p6, p7, p8, p9};
  char details[4096];
  size_t used = (size_t)snprintf(details, sizeof(details), "name=%s count=%d flag=%d code=%d", name,
                                 count, *flag, result->code);
  for (int i = 0; i < PGX_MAX_PARAMS && used < sizeof(details); ++i) {
    char one[600];
    Describe(params[i], one, sizeof(one));
    used += (size_t)snprintf(details + used, sizeof(details) - used, " %s", one);
  }
  Log("ScriptCommand", zero, host, window, details);
  *flag = 12345; /* the host must not care */

#if defined(TEST_LIB_UNRULY)
  /* A message that fills the whole record without a terminating zero. */
  result->code = PGX_RESULT_MESSAGE;
  memset(result->message, 'm', PGX_MESSAGE_SIZE);
  return 0;
#else
  if (strcmp(name, "RESULT") == 0) {
    /* RESULT(code[, message]) answers with that code and message. */
    result->code = p0->type == PGX_PARAM_NUMBER ? p0->number : -1;
    if (p1->type == PGX_PARAM_STRING) {
      strncpy(result->message, p1->text, PGX_MESSAGE_SIZE - 1);
      result->message[PGX_MESSAGE_SIZE - 1] = '\0';
    }
  } else if (strcmp(name, "HOST") == 0) {
    /* The host function offers nothing, whatever it is asked. */
    void* a = host(0);
    void* b = host(7, "SomeService");
    void* c = host(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13.5, "x");
    result->code = (a == NULL && b == NULL && c == NULL) ? PGX_RESULT_OK : 99;
  } else if (strcmp(name, "ECHO") != 0) {
    result->code = PGX_RESULT_UNKNOWN_COMMAND;
  }
  return 0;
#endif
}
#endif

/* --- Variables ------------------------------------------------------------------------ */
#if HAS_VARIABLES
#if defined(TEST_LIB_UNRULY)
static int g_nameCalls = 0;
#define UNRULY_NAMES 5

PGX_EXPORT int PGX_ScriptGetVarName(int zero, PGXHostGetFunc host, void* window, int first,
                                    char* name) {
  (void)zero, (void)host, (void)window;
  if (first)
    g_nameCalls = 0;
  ++g_nameCalls;
  /* Two values at the length limit and just past it, then never says "no more": cycles
   * through its other names, the first filling the buffer. */
  if (g_nameCalls == 1) {
    strcpy(name, "largest");
    return 1;
  }
  if (g_nameCalls == 2) {
    strcpy(name, "toolarge");
    return 1;
  }
  switch ((g_nameCalls - 2) % UNRULY_NAMES) {
    case 1:
      memset(name, 'n', PGX_VARNAME_SIZE);
      break;
    case 2:
      strcpy(name, "negative");
      break;
    case 3:
      strcpy(name, "huge");
      break;
    case 4:
      strcpy(name, "short");
      break;
    default:
      strcpy(name, "calls");
      break;
  }
  return 1;
}

PGX_EXPORT int PGX_ScriptGetVarValueLen(int zero, PGXHostGetFunc host, void* window,
                                        const char* name, int* length) {
  (void)zero, (void)host, (void)window;
  if (strcmp(name, "negative") == 0)
    *length = -5;
  else if (strcmp(name, "huge") == 0)
    *length = INT_MAX;
  else if (strcmp(name, "short") == 0)
    *length = 3; /* but writes 3 bytes and no zero: the host's own zero ends it */
  else if (strcmp(name, "calls") == 0)
    *length = 12;
  else if (strcmp(name, "largest") == 0)
    *length = PGX_MAX_VALUE_LENGTH;
  else if (strcmp(name, "toolarge") == 0)
    *length = PGX_MAX_VALUE_LENGTH + 1;
  /* any other name: leaves the length alone */
  return 0;
}

PGX_EXPORT int PGX_ScriptGetVarValue(int zero, PGXHostGetFunc host, void* window, const char* name,
                                     char* value) {
  (void)zero, (void)host, (void)window;
  if (strcmp(name, "short") == 0)
    memcpy(value, "abc", 3);
  else if (strcmp(name, "calls") == 0)
    snprintf(value, 13, "%d", g_nameCalls);
  else if (strcmp(name, "largest") == 0)
    memset(value, 'v', PGX_MAX_VALUE_LENGTH);
  else
    strcpy(value, "SHOULD-NOT-BE-ASKED");
  return 0;
}
#else
/* The variables: name, count (how often the list was read) and, per build, more. */
static const char* const kNames[] = {
#if defined(TEST_LIB_TWIN_A)
    "who",
#elif defined(TEST_LIB_TWIN_B)
    "who",
    "only_b",
#else
    "name", "count", "empty", "self", "nested",
#endif
};
static int g_next = 0;
static int g_reads = 0;

static const char* ValueOf(const char* name, char* scratch, size_t size) {
#if defined(TEST_LIB_TWIN_A)
  (void)name, (void)scratch, (void)size;
  return "from a";
#elif defined(TEST_LIB_TWIN_B)
  (void)scratch, (void)size;
  return strcmp(name, "who") == 0 ? "from b" : "only in b";
#else
  if (strcmp(name, "name") == 0)
    return "Quire " LIB_NAME;
  if (strcmp(name, "count") == 0) {
    snprintf(scratch, size, "%d", g_reads);
    return scratch;
  }
  if (strcmp(name, "self") == 0)
    return "{tools.self}";
  if (strcmp(name, "nested") == 0)
    return "<{title}>";
  return "";
#endif
}

PGX_EXPORT int PGX_ScriptGetVarName(int zero, PGXHostGetFunc host, void* window, int first,
                                    char* name) {
  char details[300];
  snprintf(details, sizeof(details), "first=%d buffer=%s", first,
           name[0] == '\0' && memcmp(name, name + 1, PGX_VARNAME_SIZE - 1) == 0 ? "zero" : "dirty");
  Log("ScriptGetVarName", zero, host, window, details);
  if (first) {
    g_next = 0;
    ++g_reads;
  }
  if (g_next >= (int)(sizeof(kNames) / sizeof(kNames[0])))
    return 0;
  strcpy(name, kNames[g_next++]);
  return 1;
}

PGX_EXPORT int PGX_ScriptGetVarValueLen(int zero, PGXHostGetFunc host, void* window,
                                        const char* name, int* length) {
  char scratch[32];
  char details[300];
  snprintf(details, sizeof(details), "name=%s length=%d", name, *length);
  Log("ScriptGetVarValueLen", zero, host, window, details);
  *length = (int)strlen(ValueOf(name, scratch, sizeof(scratch)));
  return 0;
}

PGX_EXPORT int PGX_ScriptGetVarValue(int zero, PGXHostGetFunc host, void* window, const char* name,
                                     char* value) {
  char scratch[32];
  char details[300];
  snprintf(details, sizeof(details), "name=%s", name);
  Log("ScriptGetVarValue", zero, host, window, details);
  const char* text = ValueOf(name, scratch, sizeof(scratch));
  memcpy(value, text, strlen(text));
  return 0;
}
#endif
#endif
