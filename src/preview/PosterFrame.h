#pragma once

#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

class QLabel;
class QWidget;

namespace vc {

// The first frame of the selected source, shown in the preview panel while nothing plays, so
// the panel never sits black beside a chosen file. The converter tool makes the frame at the
// panel's shape; a playback's own picture covers it.
class PosterFrame : public QObject {
    Q_OBJECT
public:
    PosterFrame(QWidget* panel, QString toolPath, QString workDir, QObject* parent = nullptr);
    ~PosterFrame() override;

    // A newer request replaces one still being made.
    void show(const QString& path);
    void clear();

    // The file whose frame is shown, empty when none is.
    QString shownPath() const { return shown_; }
    const QLabel* label() const { return label_; }

signals:
    void shown();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void stop();
    void finished(QProcess* process, const QString& path, const QString& file);

    QWidget* panel_;
    QLabel* label_;
    QString toolPath_;
    QString workDir_;
    QTemporaryDir folder_;
    QPointer<QProcess> process_;
    QString shown_;
    int serial_ = 0;
};

} // namespace vc
