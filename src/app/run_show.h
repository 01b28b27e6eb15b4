// The program's entry and its one road through a run.
#pragma once

// Loads the archive and the play script, plays the show, releases the scenes
// and music, pauses one second and writes the closing statistics.
void RunShow();
