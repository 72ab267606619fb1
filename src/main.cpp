// The engine's entry: wires the UCI host to the engine's routines and lends
// the engine the host's output.
#include "host/host.h"
#include "search/search.h"

int main() {
  setEngineOutput({sendLine, searchStarted});
  // The table exists from the start, so that a "go" before the first
  // "isready" is safe.
  prepareTables(1);
  EngineHooks hooks{};
  hooks.uciHook = uciHook;
  hooks.isReadyHook = prepareTables;
  hooks.positionHook = setPosition;
  hooks.setOptionHook = setOptionHook;
  hooks.goHook = think;
  hooks.bestMoveHook = reportBestMove;
  hooks.quitHook = releaseTables;
  hooks.stopHook = stopSearch;
  hooks.ponderhitHook = ponderHit;
  return runHost(hooks);
}
