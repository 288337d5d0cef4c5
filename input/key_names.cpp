// Display names for key codes. The keypad keys are named after their
// navigation role; the main block's own navigation keys have no name.
#include "input/key_names.h"

#include <cstring>
#include <string>

char key_names[KEY_NAME_SLOTS][KEY_NAME_LEN];

namespace {

struct KeyName {
  int code;
  const char *name;
};

constexpr KeyName NAMED_KEYS[] = {
    {0, "None"},      {13, "Enter"},   {32, "Space"},  {44, "Comma"},   {46, "Period"},
    {256, "Ins"},     {257, "End"},    {259, "PgDn"},  {261, "Center"}, {263, "Home"},
    {265, "PgUp"},    {266, "Del"},    {269, "Minus"}, {270, "Plus"},   {273, "Up"},
    {274, "Down"},    {275, "Right"},  {276, "Left"},  {304, "Shift"},  {306, "Ctrl"},
    {308, "Alt"},
};

constexpr bool names_fit() {
  for (const KeyName &key : NAMED_KEYS) {
    if (key.code < 0 || key.code >= KEY_NAME_SLOTS ||
        std::char_traits<char>::length(key.name) >= KEY_NAME_LEN) {
      return false;
    }
  }
  return true;
}
static_assert(names_fit(), "every named key has a slot and a name that fits it");

void set_name(int code, const char *name) {
  std::strncpy(key_names[code], name, KEY_NAME_LEN - 1);
  key_names[code][KEY_NAME_LEN - 1] = '\0';
}

}  // namespace

void input_init_key_names() {
  for (const KeyName &key : NAMED_KEYS) {
    set_name(key.code, key.name);
  }
  for (char digit = '0'; digit <= '9'; ++digit) {
    const char name[2] = {digit, '\0'};
    set_name(digit, name);
  }
  for (char letter = 'a'; letter <= 'z'; ++letter) {
    const char name[2] = {static_cast<char>(letter - 'a' + 'A'), '\0'};
    set_name(letter, name);
  }
}
