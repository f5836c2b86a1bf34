#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace vc {

// The seven operations the preview player drives. Play blocks until playback is over or Stop
// was called, so the player calls it on a thread of its own; the position callback may come
// from any thread.
class PreviewLibrary {
public:
    using PositionCallback = std::function<void(double seconds)>;

    virtual ~PreviewLibrary() = default;
    // The video is drawn into panel at width x height, letterboxed.
    virtual void InitPreviewWindow(QWidget* panel, int width, int height) = 0;
    virtual void SetEventFuntion(PositionCallback callback) = 0;
    virtual void Seek(int seconds) = 0;
    // Returns when the file is over, cannot be played, or Stop was called.
    virtual void Play(const QString& path) = 0;
    // Toggles between paused and playing.
    virtual void Pause() = 0;
    virtual void Stop() = 0;
    virtual void DestroyPreviewWindow() = 0;
};

} // namespace vc
