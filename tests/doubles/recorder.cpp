#include "tests/doubles/recorder.h"

#include <cstdio>
#include <cstring>

RecordedCall recorded_calls[RECORDER_CAPACITY];
int recorded_count = 0;
long recorded_total = 0;
bool recorder_enabled = true;

void record_call(const char *name, std::initializer_list<double> args, const void *data) {
  if (!recorder_enabled) {
    return;
  }
  ++recorded_total;
  if (recorded_count >= RECORDER_CAPACITY) {
    return;
  }
  RecordedCall &call = recorded_calls[recorded_count++];
  call.name = name;
  call.argc = 0;
  for (double value : args) {
    if (call.argc < RECORDED_ARG_MAX) {
      call.args[call.argc++] = value;
    }
  }
  call.data = data;
}

void recorder_clear() {
  recorded_count = 0;
  recorded_total = 0;
}

int call_count(const char *name) {
  int count = 0;
  for (int i = 0; i < recorded_count; ++i) {
    count += std::strcmp(recorded_calls[i].name, name) == 0;
  }
  return count;
}

int call_index(const char *name, int nth, int from) {
  for (int i = from; i < recorded_count; ++i) {
    if (std::strcmp(recorded_calls[i].name, name) == 0 && nth-- == 0) {
      return i;
    }
  }
  return -1;
}

const RecordedCall *find_call(const char *name, int nth) {
  int index = call_index(name, nth);
  return index < 0 ? nullptr : &recorded_calls[index];
}

std::vector<const RecordedCall *> calls_named(const char *name) {
  std::vector<const RecordedCall *> found;
  for (int i = 0; i < recorded_count; ++i) {
    if (std::strcmp(recorded_calls[i].name, name) == 0) {
      found.push_back(&recorded_calls[i]);
    }
  }
  return found;
}

std::string call_text(const RecordedCall &call) {
  std::string text = call.name;
  text += '(';
  for (int i = 0; i < call.argc; ++i) {
    char number[64];
    std::snprintf(number, sizeof number, "%.9g", call.args[i]);
    text += i ? ", " : "";
    text += number;
  }
  return text + ')';
}

std::vector<std::string> call_texts(int from, int to) {
  if (to < 0 || to > recorded_count) {
    to = recorded_count;
  }
  std::vector<std::string> texts;
  for (int i = from; i < to; ++i) {
    texts.push_back(call_text(recorded_calls[i]));
  }
  return texts;
}
