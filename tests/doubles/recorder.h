// A recorder of the calls the engine makes into SDL and OpenGL, in order, with
// their arguments. The test doubles append to it; tests read it back.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

constexpr int RECORDER_CAPACITY = 1 << 19;
constexpr int RECORDED_ARG_MAX = 10;

struct RecordedCall {
  const char *name;
  int argc;
  double args[RECORDED_ARG_MAX];
  const void *data;  // a pointer argument worth keeping (pixels, matrices)
};

extern RecordedCall recorded_calls[RECORDER_CAPACITY];
extern int recorded_count;    // calls held
extern long recorded_total;   // calls made, also those past the capacity
extern bool recorder_enabled;

// Appends one call; fixed storage, so the frame loop allocates nothing.
void record_call(const char *name, std::initializer_list<double> args, const void *data = nullptr);
void recorder_clear();

// Reading it back.
int call_count(const char *name);
int call_index(const char *name, int nth = 0, int from = 0);  // -1 when absent
const RecordedCall *find_call(const char *name, int nth = 0);
std::vector<const RecordedCall *> calls_named(const char *name);
std::string call_text(const RecordedCall &call);  // "glViewport(0, 0, 800, 600)"
std::vector<std::string> call_texts(int from = 0, int to = -1);
