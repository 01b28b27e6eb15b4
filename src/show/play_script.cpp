#include "show/play_script.h"

// The script reader arrives with the data archive and the scene model; until
// then a show has no actions, and the timeline ends it after one frame.
void ReadPlayScript(const char*, IDirect3DDevice7*) {}
