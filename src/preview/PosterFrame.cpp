#include "preview/PosterFrame.h"

#include "convert/ConvertRunner.h"

#include <QEvent>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QWidget>
#include <csignal>

namespace vc {

PosterFrame::PosterFrame(QWidget* panel, QString toolPath, QString workDir, QObject* parent)
    : QObject(parent), panel_(panel), label_(new QLabel(panel)), toolPath_(std::move(toolPath)),
      workDir_(std::move(workDir)) {
    label_->setObjectName(QStringLiteral("poster"));
    label_->setAlignment(Qt::AlignCenter);
    label_->setGeometry(panel_->rect());
    label_->hide();
    panel_->installEventFilter(this);
}

PosterFrame::~PosterFrame() {
    stop();
}

void PosterFrame::stop() {
    if (!process_)
        return;
    process_->disconnect(this);
    signalProcessGroup(process_->processId(), SIGKILL);
    process_->waitForFinished(3000);
    delete process_;
}

void PosterFrame::clear() {
    stop();
    ++serial_;
    shown_.clear();
    label_->clear();
    label_->hide();
}

void PosterFrame::show(const QString& path) {
    if (path == shown_ && !label_->isHidden())
        return;
    clear();
    if (path.isEmpty() || !folder_.isValid())
        return;
    const qreal ratio = panel_->devicePixelRatioF();
    const QSize size = panel_->size() * ratio;
    const QString file = folder_.filePath(QStringLiteral("poster%1.bmp").arg(serial_));
    auto* process = new QProcess(this);
    process_ = process;
    process->setWorkingDirectory(workDir_);
    process->setProcessChannelMode(QProcess::MergedChannels);
    connect(process, &QProcess::finished, this,
            [this, process, path, file] { finished(process, path, file); });
    connect(process, &QProcess::errorOccurred, this, [process](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            process->deleteLater();
    });
    // The tool fits the frame into the panel's shape by the source's display aspect.
    startChild(*process, toolPath_,
               {QStringLiteral("-y"), QStringLiteral("-i"), path, QStringLiteral("-ss"),
                QStringLiteral("0"), QStringLiteral("-t"), QStringLiteral("0.01"),
                QStringLiteral("-s"), QStringLiteral("%1x%2").arg(size.width()).arg(size.height()),
                QStringLiteral("-f"), QStringLiteral("image2"), QStringLiteral("-sn"), file},
               ChildPriority::Normal);
}

void PosterFrame::finished(QProcess* process, const QString& path, const QString& file) {
    process->deleteLater();
    if (process != process_)
        return;
    QImage image;
    const bool made = process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0 &&
                      image.load(file);
    QFile::remove(file);
    if (!made)
        return;
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(panel_->devicePixelRatioF());
    label_->setPixmap(pixmap);
    label_->setGeometry(panel_->rect());
    // Below anything a playback puts into the panel.
    label_->lower();
    label_->show();
    shown_ = path;
    emit shown();
}

bool PosterFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == panel_ && event->type() == QEvent::Resize)
        label_->setGeometry(panel_->rect());
    return QObject::eventFilter(watched, event);
}

} // namespace vc
