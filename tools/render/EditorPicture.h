// A picture of a plug-in's editor, taken the way a Linux host shows it: an X11 window
// of ours is the parent given to effEditOpen, the host's idle calls run, and the
// screen's pixels are read back.
#pragma once

#include "VstHost.h"

#include <string>

// Throws std::runtime_error when there is no X display or no editor.
void WriteEditorPicture(CVstHost& host, const std::string& path);
