#include "import/import_dialogs.h"

// Filled in by the GTK shell.
void pickAudioFiles(ScriptEvaluator&) {}
void importMusicFolder(ScriptEvaluator&) {}
