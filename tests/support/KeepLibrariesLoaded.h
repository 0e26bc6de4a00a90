#pragma once

// Marks every shared library loaded so far as never to be unloaded.
//
// Leak checking runs after the program has ended, when the GL driver and the
// libraries it opened have been unloaded again: the memory they kept for the
// whole run is then reported from an unknown module, so it can be neither told
// apart from ours nor suppressed by name. Call this once the suites that render
// have loaded their driver.
void keepLoadedLibrariesUntilExit();
