// The settings file "QX_Engine.ini".
#pragma once

// Reads the settings; nonzero when the file was read and says autorun.
int LoadSettings();
