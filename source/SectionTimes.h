#pragma once

// A length in seconds as whole seconds, an exact half going to the even neighbour (2.5 gives 2, 3.5
// gives 4), kept within the range of a track bar position.
int WholeSeconds(double seconds);
