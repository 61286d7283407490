/* A library the "absent" fake front end links, and which the loader cannot find. */
__attribute__((visibility("default"))) int quire_absent_function(void) {
  return 7;
}
