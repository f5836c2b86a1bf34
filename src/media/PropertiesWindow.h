#pragma once

#include "media/SourceRecords.h"

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

namespace vc {

// The nine texts the Properties window shows for a source row.
struct InfoTexts {
    QString duration;
    QString videobit;
    QString videoformat;
    QString resolution;
    QString frame;
    QString audioformat;
    QString audiobit;
    QString sample;
    QString channels;

    friend bool operator==(const InfoTexts&, const InfoTexts&) = default;
};

InfoTexts infoTexts(const Toriginalinfo& info);

// "Properties-test": the probe's findings for one source row, read-only.
class Tfm_info : public QDialog {
    Q_OBJECT
public:
    explicit Tfm_info(QWidget* parent = nullptr);

    // The row the next showing describes; the boxes are filled when the window is shown.
    void setInfo(const Toriginalinfo& info) { info_ = info; }
    const Toriginalinfo& info() const { return info_; }
    // Describes `info` in the modal window; returns when it is closed.
    void showInfo(const Toriginalinfo& info);

    QLineEdit* ed_duration() const { return ed_duration_; }
    QLineEdit* ed_videobit() const { return ed_videobit_; }
    QLineEdit* ed_videoformat() const { return ed_videoformat_; }
    QLineEdit* ed_resolution() const { return ed_resolution_; }
    QLineEdit* ed_frame() const { return ed_frame_; }
    QLineEdit* ed_audioformat() const { return ed_audioformat_; }
    QLineEdit* ed_audiobit() const { return ed_audiobit_; }
    QLineEdit* ed_sample() const { return ed_sample_; }
    QLineEdit* ed_channels() const { return ed_channels_; }
    // Why the row's last conversion failed; hidden when it did not.
    QLabel* lb_failure() const { return failure_; }
    QPushButton* bt_ok() const { return ok_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fill();
    void centreOnOwner();

    Toriginalinfo info_;
    QLineEdit* ed_duration_;
    QLineEdit* ed_videobit_;
    QLineEdit* ed_videoformat_;
    QLineEdit* ed_resolution_;
    QLineEdit* ed_frame_;
    QLineEdit* ed_audioformat_;
    QLineEdit* ed_audiobit_;
    QLineEdit* ed_sample_;
    QLineEdit* ed_channels_;
    QLabel* failure_;
    QPushButton* ok_;
};

} // namespace vc
