// File locations: the running executable, and the Windows-style relative
// names the game uses for its data ("bmp\ball.bmp"). Any thread.
#pragma once

#include <string>

// Full path of the running executable (from /proc/self/exe).
std::string ExecutablePath();

// Folder of the running executable, ending in '/'.
std::string ExecutableDir();

// Turns a Windows-style name into one this system can open: every
// backslash becomes '/'. Relative names stay relative to the current
// directory, as on Windows.
std::string TranslatePath(const std::string& windowsName);

// The name with its extension (the part after the last '.' of the last
// path component) replaced by ext (which includes its dot); the name plus
// ext when it has none. "/opt/game/pluvionaut" -> "/opt/game/pluvionaut.ini".
std::string ChangeFileExt(const std::string& name, const std::string& ext);

// The last path component of name ('/' or '\' separated).
std::string ExtractFileName(const std::string& name);

// The settings file: the executable's path with its extension replaced by
// ".ini". Tests may point it elsewhere with SetSettingsPathForTesting.
std::string SettingsFilePath();
void SetSettingsPathForTesting(const std::string& path);
