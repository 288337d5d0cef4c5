// The program's entry. The arguments are not looked at.
#include "app/startup.h"

int main(int, char **) { return game_main(); }
