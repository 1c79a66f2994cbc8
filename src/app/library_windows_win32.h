#pragma once

// Takes down the windows that the webview library's constructor left behind
// when it failed after creating them: the library does not run its own
// destructor then, so its top-level window stays on screen and its window
// procedures still point at the freed engine. Their user data is cleared
// first, so the procedures fall back to the default one while they go.
void destroyLeftoverLibraryWindows();
