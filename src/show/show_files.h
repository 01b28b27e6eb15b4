// The two files a show is: the packed archive and the play script, read from
// the archive first and from the folder beside it otherwise. The player plays
// these names whatever its settings say; the tools write and look for them.
#pragma once

inline constexpr char kShowArchiveName[] = "MORVAST.QXD";
inline constexpr char kShowScriptName[] = "MORVAST.QXP";
