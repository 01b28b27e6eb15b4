// The show's heartbeat: one window message or one frame per pass.
#pragma once

int MainLoop();
