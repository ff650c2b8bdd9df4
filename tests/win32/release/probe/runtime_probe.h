// The probe of the release run-time's start-up and exit (runtime_probe.cpp).
#ifndef KOVEL_TESTS_WIN32_RELEASE_PROBE_RUNTIME_PROBE_H
#define KOVEL_TESTS_WIN32_RELEASE_PROBE_RUNTIME_PROBE_H

// Writes "what name" as a line to standard output.
void Report(const char* what, const char* name);

// A static object that reports its construction and its destruction.
struct Reporter {
  const char* name;
  explicit Reporter(const char* n) : name(n) { Report("construct", name); }
  ~Reporter() { Report("destroy", name); }
};

#endif
