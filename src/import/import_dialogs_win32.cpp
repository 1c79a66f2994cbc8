#include "import/import_dialogs.h"

// Filled in by the Windows shell.
void pickAudioFiles(ScriptEvaluator&) {}
void importMusicFolder(ScriptEvaluator&) {}
