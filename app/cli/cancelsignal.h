// Ctrl+C as "Cancelar": SIGINT and SIGTERM on Linux, Ctrl+C and Ctrl+Break
// on Windows, only noted here; the download looks at the note between
// records. A second one ends the program at once, as the system would.
#pragma once

void catchCancelSignals();
bool cancelSignalled();
