#pragma once

#include "preview/PreviewLibrary.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace vc {

class PreviewSurface;

// The preview library on libmpv. Frames come from the render API's software renderer and are
// drawn on the GUI thread into a child widget that fills the panel; the core decodes on its
// own threads. Construct it, and call InitPreviewWindow and DestroyPreviewWindow, on the GUI
// thread; the other operations may come from any thread.
//
// Play belongs on a worker thread. Called on the GUI thread it still works: it keeps the
// event loop turning while it waits, so frames are drawn and Stop can be clicked, and a
// DestroyPreviewWindow made from inside that loop finishes once Play has returned.
class MpvPreviewLibrary final : public PreviewLibrary {
public:
    MpvPreviewLibrary();
    ~MpvPreviewLibrary() override;
    MpvPreviewLibrary(const MpvPreviewLibrary&) = delete;
    MpvPreviewLibrary& operator=(const MpvPreviewLibrary&) = delete;

    void InitPreviewWindow(QWidget* panel, int width, int height) override;
    void SetEventFuntion(PositionCallback callback) override;
    void Seek(int seconds) override;
    void Play(const QString& path) override;
    void Pause() override;
    void Stop() override;
    void DestroyPreviewWindow() override;

private:
    struct Session;

    static void onRenderUpdate(void* library);
    void renderFrame();
    void runPlayback(Session& session, const QString& path, bool onGuiThread);
    void reportPosition(double seconds);

    // Receives the render requests that mpv's threads post to the GUI thread.
    QObject gui_;
    QPointer<PreviewSurface> surface_;
    QSize frameSize_;
    QImage frame_;
    std::atomic<bool> renderQueued_{false};

    // Guards everything below, and every use of the core outside Play's event wait.
    std::mutex mutex_;
    std::condition_variable playsDone_;
    std::shared_ptr<Session> session_;
    PositionCallback callback_;
    // A Stop that came while nothing played; the next Play returns at once.
    bool stopBeforePlay_ = false;
};

} // namespace vc
