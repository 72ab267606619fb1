// The engine's entry: wires the UCI host to the engine's routines.
#include "board/board.h"
#include "host/host.h"
#include "search/search.h"

int main() {
  // The tables and keys exist from the start, so that a "position" or "go"
  // before the first "isready" is safe.
  prepareTables();
  EngineHooks hooks{};
  hooks.uciHook = uciHook;
  hooks.isReadyHook = prepareTables;
  hooks.positionHook = setupPosition;
  hooks.setOptionHook = setOptionHook;
  hooks.goHook = think;
  hooks.bestMoveHook = reportBestMove;
  hooks.quitHook = releaseTables;
  return runHost(hooks);
}
