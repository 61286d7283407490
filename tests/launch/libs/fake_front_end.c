/* Stand-ins for the window front end, for the loader tests; each build shows one case. */
#if defined(FRONT_NEEDS_ABSENT)
int quire_absent_function(void);
#endif

#if !defined(FRONT_NO_ENTRY)
/* The reader's context comes first; as a C++ reference it is passed as a pointer. */
__attribute__((visibility("default"))) int QuireFrontMain(void* context, int argc, char** argv) {
  (void)context;
  (void)argv;
#if defined(FRONT_NEEDS_ABSENT)
  return quire_absent_function() + argc;
#else
  return 40 + argc;
#endif
}
#endif

__attribute__((visibility("default"))) int quire_fake_front_end_marker(void) {
  return 1;
}
