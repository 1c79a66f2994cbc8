#pragma once
// Downloads the page starts (a playlist saved as a file) go where the user
// chooses in a save dialog, as a browser would ask, instead of silently into
// the downloads folder.

#include <webkit2/webkit2.h>

// Asks for a destination for every download started in `context`.
void askWhereDownloadsGo(WebKitWebContext* context);
