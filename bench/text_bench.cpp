// Cost of one line of formatted text at the character limit: expansion alone,
// and expansion with measuring, alignment and the quad batch, with the GL
// double's picture off (the calls still go through the doubles) and on.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "gfx/font.h"
#include "gfx/quads.h"
#include "gfx/text.h"
#include "gfx/texture.h"
#include "tests/doubles/fake_gl.h"

namespace {

constexpr int FONT_SLOT = 1000;

// One of every escape, with ordinary text between.
constexpr const char *SEGMENT = "Gold /I, hp /f of /u (/x) by /s//at /c, lvl /i, /U pts. ";

struct Line {
  std::string format;
  std::vector<TextArg> values;
};

TextArg value_for(char letter) {
  switch (letter) {
    case 'I': return text_arg(1234567);
    case 'U': return text_arg(-42);
    case 'f': return text_arg(37.5);
    case 'u': return text_arg(400u);
    case 'x': return text_arg(0xBEEFu);
    case 's': return text_arg("Quill");
    case 'c': return text_arg('Q');
    default: return text_arg(12);
  }
}

// A format of exactly TEXT_MAX_CHARS characters, never ending inside an
// escape, and one value for each escape in it.
Line make_line() {
  Line line;
  while (line.format.size() < static_cast<size_t>(TEXT_MAX_CHARS)) {
    line.format += SEGMENT;
  }
  line.format.resize(TEXT_MAX_CHARS);
  if (line.format.back() == '/') {
    line.format.back() = '.';
  }
  for (size_t i = 0; i + 1 < line.format.size(); ++i) {
    if (line.format[i] == '/') {
      if (line.format[i + 1] != '/') {
        line.values.push_back(value_for(line.format[i + 1]));
      }
      ++i;
    }
  }
  return line;
}

void set_up_font() {
  current_font = 0;
  fonts[0].texture_slot = FONT_SLOT;
  textures[FONT_SLOT].gl_name = 1;
  for (int ch = 0; ch < 256; ++ch) {
    fonts[0].advance[ch] = static_cast<float>(ch % 13 + 4) / 30.0f;
    for (int corner = 0; corner < 4; ++corner) {
      const int right = corner == 1 || corner == 2;
      const int top = corner < 2;
      fonts[0].texcoord[ch][corner][0] = static_cast<float>(ch % 16 + right) / 16.0f;
      fonts[0].texcoord[ch][corner][1] = static_cast<float>(ch / 16 + top) / 16.0f;
    }
  }
}

// Reported per character drawn, the figure that scales with text on screen.
void report_per_character(benchmark::State &state, int drawn) {
  state.counters["drawn"] = drawn;
  state.counters["per_char"] = benchmark::Counter(
      drawn, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_ExpandText(benchmark::State &state) {
  const Line line = make_line();
  int drawn = 0;
  for (auto _ : state) {
    drawn = gfx_expand_text(line.format.c_str(), line.values.data(),
                            static_cast<int>(line.values.size()));
    benchmark::DoNotOptimize(text_buffer);
  }
  report_per_character(state, drawn);
}
BENCHMARK(BM_ExpandText);

void draw_line(benchmark::State &state, bool recording) {
  set_up_font();
  fake::reset_gl();
  fake::gl_recording = recording;
  const Line line = make_line();
  for (auto _ : state) {
    fake::quad_count = 0;
    gfx_draw_text_values(line.format.c_str(), 320, 240, 24, ALIGN_CENTER_X | ALIGN_CENTER_Y, 1,
                         1, 1, 1, line.values.data(), static_cast<int>(line.values.size()));
    benchmark::ClobberMemory();
  }
  const int drawn = gfx_expand_text(line.format.c_str(), line.values.data(),
                                    static_cast<int>(line.values.size()));
  fake::gl_recording = true;
  report_per_character(state, drawn);
}

void BM_DrawText(benchmark::State &state) { draw_line(state, false); }
BENCHMARK(BM_DrawText);

void BM_DrawTextRecorded(benchmark::State &state) { draw_line(state, true); }
BENCHMARK(BM_DrawTextRecorded);

}  // namespace
