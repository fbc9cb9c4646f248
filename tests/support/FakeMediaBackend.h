#pragma once

#include "source/gui/MediaBackend.h"

#include <QHash>
#include <QStringList>
#include <memory>

// What the fake media engine knows and what it was asked, shared by every fake the program makes.
struct FakeMedia {
    QHash<QString, MediaFacts> files;   // facts per path; a path not listed cannot be opened,
    bool probeOtherFiles = false;       // unless this asks for the real probe of the files not listed
    QStringList calls;                  // "Load <path>", "Unload", "Play", "Pause", "SetPosition <s>"
    double position = 0;
    bool playing = false;
    class FakeMediaBackend *backend = nullptr;   // the one made last
};

// A media engine that plays nothing: it reports the facts it was given and records every call.
class FakeMediaBackend : public MediaBackend {
    Q_OBJECT
public:
    explicit FakeMediaBackend(std::shared_ptr<FakeMedia> media);

    MediaFacts Load(const QString &path) override;
    void Unload() override;
    void Play() override;
    void Pause() override;
    bool Playing() const override { return media_->playing; }
    double Position() const override { return media_->position; }
    void SetPosition(double seconds) override;
    QWidget *VideoView() override;

    // Moves the fake playback to seconds, as playing does.
    void Advance(double seconds);

private:
    std::shared_ptr<FakeMedia> media_;
    QWidget *view_;
};
