// make_level: turns the readable level source into the game's level file.
//
//   make_level SOURCE.txt OUTPUT.lvl
//
// The source is a block of text, one character per tile:
//   '#'       solid
//   '.', ' '  empty
//   'S'       empty; marks the player's start tile, column 64, row 130
//   'G'       empty; marks the goal tile, column 138, row 133
// The block does not cover the whole 256 by 256 grid, only the part that is
// played: its first character is column SOURCE_LEFT_COLUMN and its last line
// is row SOURCE_BOTTOM_ROW, so lines run from the top of the level downward,
// as the level is seen. Every line has the same length, and the block must
// fit in the grid. Tiles outside the block are empty, except the grid's
// border (columns 0 and 255, rows 0 and 255), which is always solid so that
// nobody can fall out of the level.
//
// There must be exactly one 'S' and one 'G', each on its tile: the markers
// pin the block to the grid, so a drawing shifted by a line or a column is
// rejected instead of quietly moving the level under the player's feet.
//
// The output is the game's level layout: the 32-bit little-endian version 1,
// then 65,536 32-bit little-endian tiles (0 empty, 1 solid), the bottom row
// first and, within a row, column 0 first. The bytes are written one by one,
// so the file is the same whatever the host's byte order.
//
// A malformed source gets a message on the standard error stream and exit
// status 1; nothing is written then. Wrong arguments give exit status 2.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int MAP_SIZE = 256;
constexpr int32_t LEVEL_VERSION = 1;
constexpr int32_t SOLID = 1;
constexpr int SOURCE_LEFT_COLUMN = 52;
constexpr int SOURCE_BOTTOM_ROW = 116;
constexpr int START_COLUMN = 64;
constexpr int START_ROW = 130;
constexpr int GOAL_COLUMN = 138;
constexpr int GOAL_ROW = 133;

struct Marker {
  char symbol;
  const char *name;
  int column, row;
  int found;  // how many times the source holds it
  int found_column, found_row;
};

using Grid = std::vector<int32_t>;  // MAP_SIZE * row + column

bool fail(const std::string &source, const std::string &message) {
  std::fprintf(stderr, "make_level: %s: %s\n", source.c_str(), message.c_str());
  return false;
}

std::string at_line(int line, int column) {
  return "line " + std::to_string(line) + ", character " + std::to_string(column + 1);
}

bool read_lines(const std::string &source, std::vector<std::string> *lines) {
  std::ifstream in(source, std::ios::binary);
  if (!in) {
    return fail(source, "cannot be read");
  }
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    lines->push_back(line);
  }
  if (lines->empty()) {
    return fail(source, "is empty");
  }
  return true;
}

bool check_shape(const std::string &source, const std::vector<std::string> &lines) {
  const size_t width = lines[0].size();
  for (size_t i = 1; i < lines.size(); ++i) {
    if (lines[i].size() != width) {
      return fail(source, "line " + std::to_string(i + 1) + " has " +
                              std::to_string(lines[i].size()) + " characters, line 1 has " +
                              std::to_string(width));
    }
  }
  const long top_row = SOURCE_BOTTOM_ROW + static_cast<long>(lines.size()) - 1;
  const long right_column = SOURCE_LEFT_COLUMN + static_cast<long>(width) - 1;
  if (width == 0 || top_row >= MAP_SIZE || right_column >= MAP_SIZE) {
    return fail(source, "the block of " + std::to_string(width) + " by " +
                            std::to_string(lines.size()) + " tiles does not fit in the grid");
  }
  return true;
}

// Marks the grid's edges solid, whatever the source says.
void add_border(Grid *grid) {
  for (int i = 0; i < MAP_SIZE; ++i) {
    (*grid)[i] = SOLID;
    (*grid)[MAP_SIZE * (MAP_SIZE - 1) + i] = SOLID;
    (*grid)[MAP_SIZE * i] = SOLID;
    (*grid)[MAP_SIZE * i + MAP_SIZE - 1] = SOLID;
  }
}

void note_marker(Marker *marker, int column, int row) {
  ++marker->found;
  marker->found_column = column;
  marker->found_row = row;
}

bool fill_tiles(const std::string &source, const std::vector<std::string> &lines, Grid *grid,
                Marker *start, Marker *goal) {
  const int line_count = static_cast<int>(lines.size());
  for (int line = 0; line < line_count; ++line) {
    const int row = SOURCE_BOTTOM_ROW + line_count - 1 - line;
    for (int i = 0; i < static_cast<int>(lines[line].size()); ++i) {
      const int column = SOURCE_LEFT_COLUMN + i;
      const char c = lines[line][i];
      if (c == '#') {
        (*grid)[MAP_SIZE * row + column] = SOLID;
      } else if (c == start->symbol) {
        note_marker(start, column, row);
      } else if (c == goal->symbol) {
        note_marker(goal, column, row);
      } else if (c != '.' && c != ' ') {
        return fail(source, at_line(line + 1, i) + ": unknown character '" + std::string(1, c) +
                                "' (use '#', '.', ' ', 'S' or 'G')");
      }
    }
  }
  return true;
}

bool check_marker(const std::string &source, const Marker &marker) {
  if (marker.found != 1) {
    return fail(source, std::string("needs exactly one '") + marker.symbol + "' (" + marker.name +
                            "), found " + std::to_string(marker.found));
  }
  if (marker.found_column != marker.column || marker.found_row != marker.row) {
    return fail(source, std::string("'") + marker.symbol + "' (" + marker.name + ") is at column " +
                            std::to_string(marker.found_column) + ", row " +
                            std::to_string(marker.found_row) + "; it belongs at column " +
                            std::to_string(marker.column) + ", row " + std::to_string(marker.row));
  }
  return true;
}

void put_int32_le(std::vector<unsigned char> *bytes, int32_t value) {
  const uint32_t bits = static_cast<uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) {
    bytes->push_back(static_cast<unsigned char>((bits >> shift) & 0xffu));
  }
}

bool write_level(const std::string &output, const Grid &grid) {
  std::vector<unsigned char> bytes;
  bytes.reserve(4 + 4 * grid.size());
  put_int32_le(&bytes, LEVEL_VERSION);
  for (int32_t tile : grid) {
    put_int32_le(&bytes, tile);
  }
  std::ofstream out(output, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char *>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    return fail(output, "cannot be written");
  }
  return true;
}

bool make_level(const std::string &source, const std::string &output) {
  std::vector<std::string> lines;
  if (!read_lines(source, &lines) || !check_shape(source, lines)) {
    return false;
  }
  Grid grid(MAP_SIZE * MAP_SIZE, 0);
  Marker start = {'S', "the player's start", START_COLUMN, START_ROW, 0, 0, 0};
  Marker goal = {'G', "the goal", GOAL_COLUMN, GOAL_ROW, 0, 0, 0};
  if (!fill_tiles(source, lines, &grid, &start, &goal) || !check_marker(source, start) ||
      !check_marker(source, goal)) {
    return false;
  }
  add_border(&grid);
  return write_level(output, grid);
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_level SOURCE.txt OUTPUT.lvl\n");
    return 2;
  }
  return make_level(argv[1], argv[2]) ? 0 : 1;
}
