#include "media/PropertiesWindow.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <algorithm>

namespace vc {

namespace {

const QString kRateUnit = QStringLiteral(" Kb/s");
constexpr int Width = 556;
constexpr int Height = 484;

QLineEdit* addField(QGroupBox* group, QFormLayout* form, const char* label, const char* name) {
    auto* edit = new QLineEdit(group);
    edit->setObjectName(QLatin1String(name));
    edit->setReadOnly(true);
    auto* caption = new QLabel(QLatin1String(label), group);
    caption->setBuddy(edit);
    form->addRow(caption, edit);
    return edit;
}

QGroupBox* addGroup(QWidget* owner, QVBoxLayout* layout, QFormLayout*& form) {
    auto* group = new QGroupBox(QStringLiteral("Basic Info"), owner);
    group->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    form = new QFormLayout(group);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->setHorizontalSpacing(12);
    form->setVerticalSpacing(8);
    // The skin's style sheet gives the group its inner space.
    form->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(group);
    return group;
}

} // namespace

InfoTexts infoTexts(const Toriginalinfo& info) {
    return {info.duration, info.videobit + kRateUnit, info.videoformat,          info.resolution,
            info.frame,    info.audioformat,          info.audiobit + kRateUnit, info.sample,
            info.channels};
}

Tfm_info::Tfm_info(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Tfm_info"));
    setWindowTitle(QStringLiteral("Properties-test"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 4, 16, 16);
    layout->setSpacing(8);
    QFormLayout* form = nullptr;

    QGroupBox* file = addGroup(this, layout, form);
    ed_duration_ = addField(file, form, "Duration:", "ed_duration");
    ed_videobit_ = addField(file, form, "Bit Rate:", "ed_videobit");

    QGroupBox* video = addGroup(this, layout, form);
    ed_videoformat_ = addField(video, form, "Format:", "ed_videoformat");
    ed_resolution_ = addField(video, form, "Resolution:", "ed_resolution");
    ed_frame_ = addField(video, form, "Frame Rate:", "ed_frame");

    QGroupBox* audio = addGroup(this, layout, form);
    ed_audioformat_ = addField(audio, form, "Format:", "ed_audioformat");
    ed_audiobit_ = addField(audio, form, "Bit Rate:", "ed_audiobit");
    ed_sample_ = addField(audio, form, "Sample Rate:", "ed_sample");
    ed_channels_ = addField(audio, form, "Channels:", "ed_channels");

    failure_ = new QLabel(this);
    failure_->setObjectName(QStringLiteral("lb_failure"));
    failure_->setWordWrap(true);
    failure_->setTextFormat(Qt::PlainText);
    failure_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(failure_);

    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setObjectName(QStringLiteral("bt_ok"));
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    layout->addStretch();
    layout->addLayout(buttons);
    setFixedSize(Width, Height);
}

void Tfm_info::showInfo(const Toriginalinfo& info) {
    setInfo(info);
    exec();
}

void Tfm_info::showEvent(QShowEvent* event) {
    // A spontaneous show is the window manager restoring the window, not a new showing.
    if (!event->spontaneous()) {
        fill();
        centreOnOwner();
    }
    QDialog::showEvent(event);
}

void Tfm_info::fill() {
    const InfoTexts texts = infoTexts(info_);
    ed_duration_->setText(texts.duration);
    ed_videobit_->setText(texts.videobit);
    ed_videoformat_->setText(texts.videoformat);
    ed_resolution_->setText(texts.resolution);
    ed_frame_->setText(texts.frame);
    ed_audioformat_->setText(texts.audioformat);
    ed_audiobit_->setText(texts.audiobit);
    ed_sample_->setText(texts.sample);
    ed_channels_->setText(texts.channels);
    failure_->setText(QStringLiteral("Conversion failed: ") + info_.failure);
    failure_->setVisible(!info_.failure.isEmpty());
    // The reason adds its own lines below the groups; they keep their place and size.
    int extra = 0;
    if (!info_.failure.isEmpty()) {
        const QMargins margins = layout()->contentsMargins();
        extra = failure_->heightForWidth(Width - margins.left() - margins.right()) +
                layout()->spacing();
    }
    setFixedSize(Width, Height + extra);
    // Long texts show their beginning, not their end.
    for (QLineEdit* edit : findChildren<QLineEdit*>())
        edit->setCursorPosition(0);
    // The three groups' fields line up, in the font the window now has.
    QList<QLabel*> captions = findChildren<QLabel*>();
    captions.removeOne(failure_);
    int width = 0;
    for (QLabel* caption : captions)
        width = std::max(width, caption->sizeHint().width());
    for (QLabel* caption : captions)
        caption->setMinimumWidth(width);
}

// Qt centres a dialog only at its first showing; the main window may have moved since.
void Tfm_info::centreOnOwner() {
    const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (!owner)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(owner->frameGeometry().center());
    move(frame.topLeft());
}

} // namespace vc
