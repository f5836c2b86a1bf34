#include "preview/MpvPreviewLibrary.h"

#include "common/FileNames.h"
#include "media/DiscTitles.h"
#include "preview/MpvApi.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPainter>
#include <QThread>
#include <QWidget>
#include <algorithm>
#include <clocale>
#include <cstring>
#include <initializer_list>
#include <utility>

namespace vc {

namespace {

// Reached only through a session, and a session is made only once the library has loaded.
const MpvApi& lib() {
    return *mpvApi();
}

} // namespace

// Fills the panel and shows the last rendered frame centred on black.
class PreviewSurface final : public QWidget {
public:
    explicit PreviewSurface(QWidget* panel) : QWidget(panel) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        // Clicks belong to the panel and the window's own handlers.
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setGeometry(panel->rect());
        panel->installEventFilter(this);
    }

    void showFrame(const QImage& frame) {
        frame_ = frame;
        update();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == parent() && event->type() == QEvent::Resize)
            setGeometry(parentWidget()->rect());
        return false;
    }

    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::black);
        if (!frame_.isNull())
            painter.drawImage(
                QPoint((width() - frame_.width()) / 2, (height() - frame_.height()) / 2), frame_);
    }

private:
    QImage frame_;
};

struct MpvPreviewLibrary::Session {
    mpv_handle* mpv = nullptr;
    mpv_render_context* render = nullptr;

    // The rest is guarded by the library's mutex.
    bool closing = false;
    bool playing = false;
    bool stopRequested = false;
    bool fileLoaded = false;
    int pendingSeek = 0;
    int workerPlays = 0;

    Session() = default;
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    ~Session() {
        // libmpv requires the render context to go before the core.
        if (render) {
            lib().render_context_set_update_callback(render, nullptr, nullptr);
            lib().render_context_free(render);
        }
        if (mpv)
            lib().terminate_destroy(mpv);
    }
};

namespace {

constexpr std::uint64_t LoadReply = 1;

void command(mpv_handle* mpv, std::initializer_list<const char*> words) {
    const char* args[8] = {};
    std::size_t n = 0;
    for (const char* word : words)
        args[n++] = word;
    lib().command_async(mpv, 0, args);
}

void stopCore(mpv_handle* mpv) {
    command(mpv, {"stop"});
    lib().wakeup(mpv);
}

void seekCore(mpv_handle* mpv, int seconds) {
    const QByteArray target = QByteArray::number(seconds);
    command(mpv, {"seek", target.constData(), "absolute"});
}

std::int64_t entryId(const mpv_node& result) {
    if (result.format != MPV_FORMAT_NODE_MAP)
        return -1;
    const mpv_node_list* map = result.u.list;
    for (int i = 0; i < map->num; ++i)
        if (std::strcmp(map->keys[i], "playlist_entry_id") == 0 &&
            map->values[i].format == MPV_FORMAT_INT64)
            return map->values[i].u.int64;
    return -1;
}

} // namespace

MpvPreviewLibrary::MpvPreviewLibrary() = default;

MpvPreviewLibrary::~MpvPreviewLibrary() {
    DestroyPreviewWindow();
    delete surface_.data();
}

void MpvPreviewLibrary::InitPreviewWindow(QWidget* panel, int width, int height) {
    DestroyPreviewWindow();

    if (width <= 0 || height <= 0)
        frameSize_ = panel ? panel->size() : QSize();
    else
        frameSize_ = QSize(width, height);
    if (panel) {
        if (surface_ && surface_->parent() != panel)
            delete surface_.data();
        if (!surface_)
            surface_ = new PreviewSurface(panel);
        surface_->setGeometry(panel->rect());
        surface_->showFrame(QImage());
        surface_->show();
        surface_->raise();
    }

    // QApplication took the user's locale; libmpv refuses to start unless numbers are "C".
    std::setlocale(LC_NUMERIC, "C");
    if (!mpvApi())
        return;
    auto session = std::make_shared<Session>();
    session->mpv = lib().create();
    if (!session->mpv)
        return;
    mpv_handle* mpv = session->mpv;
    // VC_PREVIEW_VO / VC_PREVIEW_AO replace the outputs, e.g. "null" for tests on silent machines.
    const QByteArray vo = qEnvironmentVariable("VC_PREVIEW_VO", QStringLiteral("libmpv")).toUtf8();
    const QByteArray ao = qgetenv("VC_PREVIEW_AO");
    lib().set_option_string(mpv, "vo", vo.constData());
    if (!ao.isEmpty())
        lib().set_option_string(mpv, "ao", ao.constData());
    lib().set_option_string(mpv, "keep-open", "no");
    lib().set_option_string(mpv, "idle", "yes");
    lib().set_option_string(mpv, "hwdec", "no");
    lib().set_option_string(mpv, "input-default-bindings", "no");
    lib().set_option_string(mpv, "osc", "no");
    lib().set_option_string(mpv, "terminal", "no");
    // A preview plays local files only: no scripts, no network helpers.
    lib().set_option_string(mpv, "load-scripts", "no");
    lib().set_option_string(mpv, "ytdl", "no");
    if (lib().initialize(mpv) < 0)
        return;
    lib().observe_property(mpv, 0, "time-pos", MPV_FORMAT_DOUBLE);

    if (vo == "libmpv") {
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_SW)},
            {MPV_RENDER_PARAM_INVALID, nullptr}};
        if (lib().render_context_create(&session->render, mpv, params) >= 0) {
            lib().render_context_set_update_callback(session->render, &onRenderUpdate, this);
        } else {
            // Without a renderer the libmpv output would fail each file; play the sound alone.
            session->render = nullptr;
            lib().set_option_string(mpv, "vo", "null");
        }
    }

    renderQueued_ = false;
    std::lock_guard lock(mutex_);
    session_ = std::move(session);
    stopBeforePlay_ = false;
}

void MpvPreviewLibrary::SetEventFuntion(PositionCallback callback) {
    std::lock_guard lock(mutex_);
    callback_ = std::move(callback);
}

void MpvPreviewLibrary::Seek(int seconds) {
    std::lock_guard lock(mutex_);
    if (!session_)
        return;
    seconds = std::max(seconds, 0);
    // mpv refuses to seek before the file is open; the load applies it instead.
    if (session_->fileLoaded)
        seekCore(session_->mpv, seconds);
    else
        session_->pendingSeek = seconds;
}

void MpvPreviewLibrary::Play(const QString& path) {
    const bool onGuiThread = QThread::currentThread() == gui_.thread();
    std::shared_ptr<Session> session;
    {
        std::lock_guard lock(mutex_);
        if (std::exchange(stopBeforePlay_, false))
            return;
        // One event reader per core: a second Play while one runs returns at once.
        if (!session_ || session_->playing)
            return;
        session = session_;
        session->playing = true;
        session->stopRequested = false;
        if (!onGuiThread)
            ++session->workerPlays;
    }

    runPlayback(*session, path, onGuiThread);

    Session* const raw = session.get();
    {
        std::lock_guard lock(mutex_);
        raw->playing = false;
        raw->fileLoaded = false;
        raw->pendingSeek = 0;
    }
    if (onGuiThread)
        return; // may end the session when it was destroyed meanwhile, on this thread
    // DestroyPreviewWindow holds the session until the count drops, so it frees it on its thread.
    session.reset();
    {
        std::lock_guard lock(mutex_);
        --raw->workerPlays;
    }
    playsDone_.notify_all();
}

void MpvPreviewLibrary::runPlayback(Session& session, const QString& path, bool onGuiThread) {
    // A folder would make mpv queue every file in it.
    if (path.isEmpty() || isFolderPath(path))
        return;
    // An absolute path is never mistaken for a protocol prefix such as "av://". mpv opens
    // the bytes it is given, so a name in another encoding reaches the file as it is.
    const QByteArray file =
        nameBytes(isDiscTitleAddress(path) ? playerDiscAddress(path) : absoluteFilePath(path));
    const char* load[] = {"loadfile", file.constData(), "replace", nullptr};
    if (lib().command_async(session.mpv, LoadReply, load) < 0)
        return;

    // Entry ids tell this file's events from those left over by an earlier, stopped Play.
    std::int64_t entry = -1;
    std::int64_t lastStarted = -1;
    std::int64_t lastEnded = -1;
    bool current = false;
    for (;;) {
        if (onGuiThread)
            QCoreApplication::processEvents();
        {
            std::lock_guard lock(mutex_);
            if (session.closing || session.stopRequested)
                break;
        }
        const mpv_event* event = lib().wait_event(session.mpv, onGuiThread ? 0.01 : 0.25);
        bool over = false;
        switch (event->event_id) {
        case MPV_EVENT_COMMAND_REPLY:
            if (event->reply_userdata != LoadReply)
                break;
            entry = event->error < 0
                        ? -1
                        : entryId(static_cast<const mpv_event_command*>(event->data)->result);
            over = entry < 0 || entry == lastEnded;
            current = entry == lastStarted;
            break;
        case MPV_EVENT_START_FILE:
            lastStarted = static_cast<const mpv_event_start_file*>(event->data)->playlist_entry_id;
            current = lastStarted == entry;
            break;
        case MPV_EVENT_FILE_LOADED:
            if (current) {
                std::lock_guard lock(mutex_);
                session.fileLoaded = true;
                if (session.pendingSeek > 0)
                    seekCore(session.mpv, session.pendingSeek);
                session.pendingSeek = 0;
            }
            break;
        case MPV_EVENT_PROPERTY_CHANGE: {
            const auto* property = static_cast<const mpv_event_property*>(event->data);
            if (current && property->format == MPV_FORMAT_DOUBLE &&
                std::strcmp(property->name, "time-pos") == 0)
                reportPosition(*static_cast<const double*>(property->data));
            break;
        }
        case MPV_EVENT_END_FILE:
            lastEnded = static_cast<const mpv_event_end_file*>(event->data)->playlist_entry_id;
            over = lastEnded == entry;
            break;
        case MPV_EVENT_SHUTDOWN:
            over = true;
            break;
        default:
            break;
        }
        if (over)
            break;
    }
    // A file mpv took for a playlist would go on with its entries after ours ended.
    command(session.mpv, {"stop"});
}

void MpvPreviewLibrary::reportPosition(double seconds) {
    PositionCallback callback;
    {
        std::lock_guard lock(mutex_);
        callback = callback_;
    }
    if (callback)
        callback(seconds);
}

void MpvPreviewLibrary::Pause() {
    std::lock_guard lock(mutex_);
    if (session_)
        command(session_->mpv, {"cycle", "pause"});
}

void MpvPreviewLibrary::Stop() {
    std::lock_guard lock(mutex_);
    if (session_ && session_->playing) {
        session_->stopRequested = true;
        stopCore(session_->mpv);
    } else {
        // The worker may not have reached Play yet; that playback is the one being stopped.
        stopBeforePlay_ = true;
    }
}

void MpvPreviewLibrary::DestroyPreviewWindow() {
    std::shared_ptr<Session> session;
    {
        std::unique_lock lock(mutex_);
        session = std::exchange(session_, nullptr);
        if (session) {
            session->closing = true;
            stopCore(session->mpv);
            // A Play on the GUI thread sits further up this stack; it releases the session
            // when it returns. A worker's Play is waited for, so the core outlives its use.
            playsDone_.wait(lock, [&] { return session->workerPlays == 0; });
        }
    }
    session.reset();
    frame_ = QImage();
    // Hidden, not blackened: what the panel shows between playbacks (the first frame) is seen.
    if (surface_) {
        surface_->showFrame(QImage());
        surface_->hide();
    }
}

void MpvPreviewLibrary::onRenderUpdate(void* library) {
    auto* self = static_cast<MpvPreviewLibrary*>(library);
    // This runs on mpv's threads, where rendering is forbidden: ask the GUI thread, once.
    if (!self->renderQueued_.exchange(true))
        QMetaObject::invokeMethod(
            &self->gui_, [self] { self->renderFrame(); }, Qt::QueuedConnection);
}

void MpvPreviewLibrary::renderFrame() {
    renderQueued_ = false;
    std::shared_ptr<Session> session;
    {
        std::lock_guard lock(mutex_);
        session = session_;
    }
    if (!session || !session->render)
        return;
    if (!(lib().render_context_update(session->render) & MPV_RENDER_UPDATE_FRAME))
        return;
    if (frameSize_.isEmpty())
        return;
    if (frame_.size() != frameSize_)
        frame_ = QImage(frameSize_, QImage::Format_RGB32);

    int size[2] = {frameSize_.width(), frameSize_.height()};
    std::size_t stride = static_cast<std::size_t>(frame_.bytesPerLine());
    // Format_RGB32 is one 0xffRRGGBB word per pixel, so its byte order follows the machine's.
    const char* format = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? "bgr0" : "0rgb";
    mpv_render_param params[] = {{MPV_RENDER_PARAM_SW_SIZE, size},
                                 {MPV_RENDER_PARAM_SW_FORMAT, const_cast<char*>(format)},
                                 {MPV_RENDER_PARAM_SW_STRIDE, &stride},
                                 {MPV_RENDER_PARAM_SW_POINTER, frame_.bits()},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    if (lib().render_context_render(session->render, params) >= 0 && surface_)
        surface_->showFrame(frame_);
}

} // namespace vc
