#pragma once

#include <QString>
#include <functional>
#include <memory>

class Dialogs;
class Shell;
class MediaBackend;

// The program's ways to the outside world. The program sets the real ones at start; tests set
// recording fakes before they create the windows.
struct Services {
    Dialogs *dialogs = nullptr;
    Shell *shell = nullptr;
    std::function<std::unique_ptr<MediaBackend>()> makeMediaBackend;
    QString programPath;   // the executable's full path; its folder is AppDir
};

Services &services();
