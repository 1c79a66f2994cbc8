#pragma once
#include <filesystem>
#include <vector>

// One of .mp3 .wav .ogg .m4a .flac .aac .aiff .webm, ASCII letters in any
// case, and a name that can become UTF-8.
bool isAudioFileName(const std::filesystem::path& fileName);

// Every audio file under `root`, depth-first in pre-order as the file system
// lists entries. Links to directories are not followed; a subfolder that
// cannot be opened and an entry that fails are skipped, and the walk goes on.
std::vector<std::filesystem::path> scanMusicFolder(const std::filesystem::path& root);
