// The gallery's entry. The arguments are not looked at.
#include "gallery/gallery.h"

int main(int, char **) { return gallery_main(); }
