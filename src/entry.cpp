#include "main.h"

// main only hands over: C++ forbids calling main itself, and the tests call tessivane_main
// directly, with argument vectors that no exec can produce.
int main(int argc, char *argv[]) {
    return tessivane_main(argc, argv);
}
