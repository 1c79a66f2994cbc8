#pragma once
#include "app/web_host.h"

// The handler bound as sendNativeAction: the dispatcher over this platform's
// window actions and import dialogs. Holds `host` by reference, not owning it.
NativeActionHandler makeNativeActionHandler(WebHost& host);
