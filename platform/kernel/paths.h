// File locations: the running executable, and the Windows-style relative
// names the game uses for its data ("bmp\ball.bmp"). Any thread.
#pragma once

#include <functional>
#include <string>
#include <vector>

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
// ".ini" when that file exists and can be written, or when it does not exist
// yet and the executable's folder can be written (a build folder); otherwise
// (an installed game) "pluvionaut/pluvionaut.ini" in the user's configuration
// folder, which is created. Tests may point it elsewhere with
// SetSettingsPathForTesting.
std::string SettingsFilePath();

// The choice above on given names, with writable(path) telling whether a file
// or folder may be written; the folder of the user's file is not created.
std::string ChooseSettingsFile(const std::string& besideExecutable, const std::string& inUserConfig,
                               const std::function<bool(const std::string&)>& writable);
// $XDG_CONFIG_HOME (or ~/.config when it is unset or not absolute) +
// "/pluvionaut/pluvionaut.ini".
std::string UserConfigSettingsFile();

// The data is found relative to the current directory. When it holds no
// "dat" folder, the first of the folders given (absolute, or relative to the
// executable's folder) that does becomes the current directory. Returns the
// folder changed to, or empty when none was (already there, or none found).
std::string ChangeToDataFolder(const std::vector<std::string>& candidates);
void SetSettingsPathForTesting(const std::string& path);
