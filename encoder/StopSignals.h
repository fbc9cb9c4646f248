#pragma once

// Ctrl+C, a closed terminal window or a plain kill ask the utility to stop. The encode then ends at
// its next packet and removes what it had written, instead of dying half way through a file.
void WatchStopSignals();

bool StopRequested();
