#pragma once
#include <windows.h>

#include "app/startup.h"

// MessageBoxA's shape, so a test can stand in for the real box.
using MessageBoxFunction = int(WINAPI*)(HWND owner, LPCSTR text, LPCSTR caption, UINT style);

// The whole run of the Windows program: finds the start page, then runs the
// start-up sequence with the host from `createHost`. A host failure is shown
// with `showMessageBox` (no owner, "Sonabel Error", MB_OK | MB_ICONERROR) and
// gives exit code 1; otherwise 0 once the loop ends.
int runSonabel(const WebHostFactory& createHost, MessageBoxFunction showMessageBox);
