#pragma once
#include "import/script_evaluator.h"

// Shows the open-file dialog (audio filter, multiple selection) over
// g_mainWindow and delivers the chosen files as one batch; nothing on cancel.
void pickAudioFiles(ScriptEvaluator& page);

// Shows the folder chooser, walks the chosen folder and delivers the audio
// files found as one batch; nothing on cancel or when none is found.
void importMusicFolder(ScriptEvaluator& page);
