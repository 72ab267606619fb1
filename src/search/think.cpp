// Placeholder engine routines until the search exists: they do nothing.
#include "search/search.h"

void think() {}
void reportBestMove(int) {}
uint64_t searchToDepth(int) { return 0; }
