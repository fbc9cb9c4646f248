#pragma once

#include "source/gui/MediaBackend.h"

#include <memory>

// The media engine (the libavformat probe and Qt Multimedia's playback) lives in a module of its own
// beside the program, so that a start with no source maps none of the codec libraries or the media
// framework. The module is loaded when the first source is opened.

// The module's file name in the program's folder, and its one entry: a new engine, which the caller owns.
inline constexpr char MediaModuleFileName[] = "quillmark-media.so";
inline constexpr char MediaModuleEntry[] = "QuillmarkMakeMediaBackend";
using MakeMediaBackendEntry = MediaBackend *();

// Loads the module from folder and makes an engine with it; throws Failure naming what is wrong when
// the module is missing or broken.
std::unique_ptr<MediaBackend> MakeModuleMediaBackend(const QString &folder);
