#pragma once

#include "preview/PreviewLibrary.h"

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>
#include <QThread>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

class QWidget;

namespace vc::test {

// A preview library that plays nothing. It records every call in order, hands the test the
// position callback, and keeps Play blocked until Stop or until the test ends the file.
class FakePreviewLibrary : public PreviewLibrary {
public:
    struct Call {
        QString text; // "Seek 0", "Play /path/clip.avi", "InitPreviewWindow 202x163"...
        bool onGuiThread = false;
    };

    // A Play that is never released gives up after this long, so a test cannot hang.
    std::chrono::milliseconds playLimit{10000};

    void InitPreviewWindow(QWidget* panel, int width, int height) override {
        std::lock_guard lock(mutex_);
        record(QStringLiteral("InitPreviewWindow %1x%2").arg(width).arg(height));
        panel_ = panel;
        over_ = false;
    }
    void SetEventFuntion(PositionCallback callback) override {
        std::lock_guard lock(mutex_);
        record(QStringLiteral("SetEventFuntion"));
        callback_ = std::move(callback);
    }
    void Seek(int seconds) override {
        std::lock_guard lock(mutex_);
        record(QStringLiteral("Seek %1").arg(seconds));
    }
    void Play(const QString& path) override {
        std::unique_lock lock(mutex_);
        record(QStringLiteral("Play ") + path);
        ++pending_;
        changed_.notify_all();
        changed_.wait_for(lock, playLimit, [this] { return over_; });
        if (returnLatency_.count() > 0) {
            // A library that takes its time to let go once released.
            lock.unlock();
            std::this_thread::sleep_for(returnLatency_);
            lock.lock();
        }
        --pending_;
        ++returns_;
        changed_.notify_all();
    }
    void Pause() override {
        std::lock_guard lock(mutex_);
        record(QStringLiteral("Pause"));
        paused_ = !paused_;
    }
    void Stop() override {
        std::lock_guard lock(mutex_);
        record(QStringLiteral("Stop"));
        over_ = true;
        changed_.notify_all();
    }
    void DestroyPreviewWindow() override {
        std::lock_guard lock(mutex_);
        record(QStringLiteral("DestroyPreviewWindow"));
        if (pending_ > 0)
            destroyedDuringPlay_ = true;
        panel_ = nullptr;
    }

    // What the test sees and does.
    QStringList calls() const {
        std::lock_guard lock(mutex_);
        QStringList out;
        for (const Call& c : calls_)
            out << c.text;
        return out;
    }
    QList<Call> callRecords() const {
        std::lock_guard lock(mutex_);
        return calls_;
    }
    void clearCalls() {
        std::lock_guard lock(mutex_);
        calls_.clear();
    }
    // Reports a position through the stored callback, as the library's thread would.
    void report(double seconds) {
        PositionCallback callback;
        {
            std::lock_guard lock(mutex_);
            callback = callback_;
        }
        if (callback)
            callback(seconds);
    }
    // The file is over: the pending Play returns (or the next one, at once).
    void finish() {
        std::lock_guard lock(mutex_);
        over_ = true;
        changed_.notify_all();
    }
    // Until a Play is blocked inside the library.
    bool waitForPlay(int ms = 5000) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(ms),
                                 [this] { return pending_ > 0; });
    }
    // Until no Play is left inside the library.
    bool waitForPlayReturn(int ms = 5000) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(ms),
                                 [this] { return pending_ == 0; });
    }
    void setReturnLatency(std::chrono::milliseconds latency) {
        std::lock_guard lock(mutex_);
        returnLatency_ = latency;
    }
    bool libraryPaused() const {
        std::lock_guard lock(mutex_);
        return paused_;
    }
    bool playPending() const {
        std::lock_guard lock(mutex_);
        return pending_ > 0;
    }
    int playReturns() const {
        std::lock_guard lock(mutex_);
        return returns_;
    }
    // The window was taken down while a Play was still drawing into it.
    bool destroyedDuringPlay() const {
        std::lock_guard lock(mutex_);
        return destroyedDuringPlay_;
    }
    QWidget* panel() const {
        std::lock_guard lock(mutex_);
        return panel_;
    }

private:
    void record(const QString& text) {
        const QCoreApplication* app = QCoreApplication::instance();
        calls_.push_back({text, app && QThread::currentThread() == app->thread()});
    }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    QList<Call> calls_;
    PositionCallback callback_;
    QWidget* panel_ = nullptr;
    bool over_ = false;
    bool paused_ = false;
    int pending_ = 0;
    int returns_ = 0;
    bool destroyedDuringPlay_ = false;
    std::chrono::milliseconds returnLatency_{0};
};

} // namespace vc::test
