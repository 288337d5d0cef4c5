#include "input/key_names.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct Named {
  int code;
  const char *name;
};

TEST(KeyNames, FillsTheTable) {
  input_init_key_names();
  const Named expected[] = {
      {0, "None"},     {13, "Enter"},  {32, "Space"},  {44, "Comma"},   {46, "Period"},
      {48, "0"},       {57, "9"},      {97, "A"},      {122, "Z"},      {256, "Ins"},
      {257, "End"},    {259, "PgDn"},  {261, "Center"}, {263, "Home"},  {265, "PgUp"},
      {266, "Del"},    {269, "Minus"}, {270, "Plus"},  {273, "Up"},     {274, "Down"},
      {275, "Right"},  {276, "Left"},  {304, "Shift"}, {306, "Ctrl"},   {308, "Alt"},
  };
  for (const Named &key : expected) {
    EXPECT_STREQ(key_names[key.code], key.name) << "key " << key.code;
  }
  for (int c = 'a'; c <= 'z'; ++c) {
    EXPECT_EQ(std::string(key_names[c]), std::string(1, char(c - 'a' + 'A')));
  }
  for (int c = '0'; c <= '9'; ++c) {
    EXPECT_EQ(std::string(key_names[c]), std::string(1, char(c)));
  }
}

TEST(KeyNames, EveryOtherSlotIsEmpty) {
  input_init_key_names();
  int named = 0;
  for (int code = 0; code < KEY_NAME_SLOTS; ++code) {
    named += key_names[code][0] != '\0';
    EXPECT_EQ(key_names[code][KEY_NAME_LEN - 1], '\0') << "slot " << code << " is terminated";
  }
  EXPECT_EQ(named, 57);
  EXPECT_STREQ(key_names[27], "") << "Escape has no name";
  EXPECT_STREQ(key_names[278], "") << "the main block's Home has no name";
  EXPECT_STREQ(key_names[258], "") << "keypad 2 has no name";
  EXPECT_STREQ(key_names[303], "") << "right Shift has no name";
}

TEST(KeyNames, FillingTwiceWritesTheSameNames) {
  input_init_key_names();
  static char first[KEY_NAME_SLOTS][KEY_NAME_LEN];
  std::memcpy(first, key_names, sizeof first);
  input_init_key_names();
  EXPECT_EQ(0, std::memcmp(first, key_names, sizeof first));
}

}  // namespace
