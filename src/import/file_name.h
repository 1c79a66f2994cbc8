#pragma once
// File name parts taken straight from a path's native text, without building
// path objects: the walk and the batch do this for every file.

#include "app/path_text.h"

using NativeChar = std::filesystem::path::value_type;
using NativeView = NativePathView;

// The last element; empty when the path ends with a separator.
NativeView fileNameOf(NativeView path);

// From the last dot to the end. None for a name without a dot, a name whose
// only dot is its first character (".mp3"), and "." and "..".
NativeView extensionOf(NativeView fileName);

// The name without its extension.
NativeView stemOf(NativeView fileName);
