#include "data/data_archive.h"

DataArchive dataArchive;
int32_t localPath = 0;

// The archive reader is not built yet: every file is looked up on disk.
void LoadDataArchive(const char*) {}
