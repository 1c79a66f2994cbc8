#pragma once
#include <string>

// `path` in the form that Windows opens whatever its length: "\\?\C:\..." for
// a drive path, "\\?\UNC\server\share\..." for a share, with every "/" made
// "\" (that form takes names literally). Relative paths and paths already in
// a device form come back as they are, since the long form needs a full path.
std::wstring extendedLengthPath(std::wstring path);
