// The packed data archive and the lookup of every data file.
#pragma once

// Reads the directory of the named archive; a missing archive leaves every
// lookup to the disk.
void LoadDataArchive(const char* fileName);
