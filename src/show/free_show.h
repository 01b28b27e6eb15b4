// The end of a show: everything the play script made, freed.
#pragma once

// Frees every scene (its textures and frames with it), the music track
// records and their names, and both action lists, and leaves the show empty
// (no scenes, no tracks, no actions), as before a play script is read. The
// music is not stopped here: the run sequence stops it first.
void FreeShow();
