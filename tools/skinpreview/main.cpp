// Renders the skinned main and cutter windows to PNG files, with stand-in controls placed from
// the layout file, and every other window and box the program shows, dressed by the same skin,
// so that the skin can be judged without the program. Set QT_SCALE_FACTOR=2 to see it on a
// high-density screen.
// Usage: vc_skinpreview PROGRAM_DIR OUTPUT_DIR

#include "app/AboutWindow.h"
#include "common/Bitmaps.h"
#include "common/IniFile.h"
#include "media/PropertiesWindow.h"
#include "media/SourceRecords.h"
#include "shell/Dialogs.h"
#include "shell/ElidingComboBox.h"
#include "shell/SettingsWindows.h"
#include "shell/SkinSetup.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>

namespace {

QString programDir;

QString file(const QString& relative) {
    return QDir(programDir).filePath(relative);
}

QLabel* image(QWidget* parent, const QString& relative, QPoint at) {
    auto* label = new QLabel(parent);
    const vc::BitmapFile bitmap = vc::bitmapFileFor(file(relative), label->devicePixelRatioF());
    QPixmap pixmap(bitmap.path);
    pixmap.setDevicePixelRatio(bitmap.ratio);
    label->setPixmap(pixmap);
    label->adjustSize();
    label->move(at);
    return label;
}

void placeButtons(QWidget* window, const vc::IniFile& layout, const QStringList& disabled,
                  const QString& hovered) {
    const QStringList buttons{"bt_dvdopen", "bt_ifo",      "bt_remove",      "bt_clear",
                              "bt_chapte",  "bt_set",      "bt_back",        "bt_play",
                              "bt_next",    "bt_playstop", "bt_cut",         "bt_images",
                              "bt_start",   "bt_pause",    "Bt_Convertstop", "bt_web"};
    for (const QString& name : buttons) {
        const QString state = disabled.contains(name) ? QStringLiteral("D")
                              : name == hovered       ? QStringLiteral("on")
                                                      : QString();
        QLabel* b = image(window, QStringLiteral("images/%1%2.bmp").arg(name, state),
                          QPoint(layout.readInt(name, "Left", 6), layout.readInt(name, "Top", 6)));
        b->resize(layout.readInt(name, "Width", 6), layout.readInt(name, "Height", 6));
    }
}

void placeCombos(QWidget* window, const vc::IniFile& layout) {
    const std::pair<const char*, QStringList> combos[] = {
        {"cb_size", {"640×480"}},
        {"cb_videobitrate", {"The Original Video Quality"}},
        {"cb_audiobitrate", {"High Quality"}},
        {"cb_channel", {"2 (Stereo)"}},
        {"cb_audio", {"Track 1"}},
        {"cb_subtitle", {"None"}},
    };
    for (const auto& [name, items] : combos) {
        auto* combo = new vc::ElidingComboBox(window);
        combo->addItems(items);
        combo->setGeometry(layout.readInt(name, "Left", 6), layout.readInt(name, "Top", 6),
                           layout.readInt(name, "Width", 6), 24);
    }
    auto* output = new QLineEdit(QDir::homePath() + QStringLiteral("/Videos/"), window);
    output->setGeometry(
        layout.readInt("ed_output", "Left", 6), layout.readInt("ed_output", "Top", 6),
        layout.readInt("ed_output", "Width", 6), layout.readInt("ed_output", "Height", 15));
}

QTreeWidget* sourceList(QWidget* window, const vc::IniFile& layout) {
    auto* list = new QTreeWidget(window);
    list->setGeometry(layout.readInt("lv", "Left", 6), layout.readInt("lv", "Top", 6),
                      layout.readInt("lv", "Width", 6), layout.readInt("lv", "height", 6));
    list->setHeaderLabels({"Title", "Width * Height", "Time", "Output Size", "Status"});
    list->setRootIsDecorated(false);
    list->ensurePolished();
    const int widths[] = {130, 90, 70, 80, 80};
    for (int c = 0; c < 5; ++c)
        list->setColumnWidth(c, std::max(widths[c], list->header()->sectionSizeHint(c)));
    const QStringList rows[] = {{"holiday-2023.mp4", "1280×720", "00:04:12", "38.2 MB", "Finish"},
                                {"interview.mov", "1920×1080", "00:12:40", "96.0 MB", "50.34%"},
                                {"clip_03.avi", "640×480", "00:01:05", "7.9 MB", "Status"}};
    for (const QStringList& row : rows) {
        auto* item = new QTreeWidgetItem(list, row);
        item->setCheckState(0, Qt::Checked);
    }
    list->setCurrentItem(list->topLevelItem(1));
    return list;
}

QWidget* preview(QWidget* window, QRect at) {
    auto* panel = new QLabel(window);
    panel->setGeometry(at);
    panel->setStyleSheet(QStringLiteral("background: #0F1320;"));
    return panel;
}

bool save(QWidget* window, const QString& path) {
    if (!window->grab().save(path)) {
        std::fprintf(stderr, "vc_skinpreview: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

void showPicker(QWidget* window, vc::SkinElements& el, int category, int hoveredButton) {
    const char* strip[] = {"video1", "audio1", "ipod", "iphone", "gphone", "appletv",   "psp",
                           "xbox",   "phone",  "win",  "pmp",    "hd",     "animation", "modern"};
    int top = 81;
    for (int i = 0; i < int(std::size(strip)); ++i) {
        const bool hover = i + 1 == category;
        QLabel* l = image(
            window,
            QStringLiteral("images/main/%1/img_%2.bmp").arg(hover ? "move" : "general", strip[i]),
            QPoint(53, top));
        top += l->height();
    }
    image(window, QStringLiteral("images/main/general/img_bottom.bmp"), QPoint(53, top));
    el.di->setRect(QRect(206, 81, 310, 358));
    el.di->setVisible(true);
    el.di->redraw();
    const int first = 1;
    int y = 81;
    for (int n = first; n < first + 7; ++n) {
        QLabel* l = image(window,
                          QStringLiteral("images/sub/%1/%2.bmp")
                              .arg(n == hoveredButton ? "move" : "general")
                              .arg(n),
                          QPoint(206, y));
        y += l->height();
    }
    // The page's foot: the way to its second page.
    const QLabel* label =
        image(window, QStringLiteral("images/sub/general/btim_next.bmp"), QPoint(206, y));
    image(window, QStringLiteral("images/sub/general/Image94.bmp"),
          QPoint(206 + label->width(), y));
}

// Lets views that read folders in the background fill in.
void settle(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool saveShown(QWidget* window, const QString& path) {
    window->show();
    settle(300);
    const bool ok = save(window, path);
    window->hide();
    return ok;
}

// The plain windows, message boxes and choosers, over the skinned main window.
bool saveWindows(QWidget* main, const QDir& outDir) {
    bool ok = true;
    vc::Tfm_set settings(main);
    settings.rg_finish()->button(1)->setChecked(true);
    ok = saveShown(&settings, outDir.filePath(QStringLiteral("settings.png"))) && ok;

    vc::Tfm_dir folders(main);
    folders.setCurrentFolder(QDir::homePath());
    ok = saveShown(&folders, outDir.filePath(QStringLiteral("output-directory.png"))) && ok;

    vc::QtShellActions shell;
    vc::Tfm_about about(shell, main);
    about.setProduct(QStringLiteral("Video Converter"), false, QString());
    about.setWindowIcon(QIcon(QDir(programDir).filePath(QStringLiteral("skin/logo-48.png"))));
    QTimer::singleShot(0, &about, [&] {
        settle(100);
        ok = save(&about, outDir.filePath(QStringLiteral("about.png"))) && ok;
        about.accept();
    });
    about.showFrom(main);

    vc::Tfm_info info(main);
    vc::Toriginalinfo sample;
    sample.path = QStringLiteral("holiday-2023.mp4");
    sample.resolution = QStringLiteral("1280x720");
    sample.duration = QStringLiteral("00:04:12");
    sample.videobit = QStringLiteral("1150");
    sample.audiobit = QStringLiteral("128");
    sample.videoformat = QStringLiteral("h264");
    sample.audioformat = QStringLiteral("aac");
    sample.sample = QStringLiteral("44100 Hz");
    sample.channels = QStringLiteral("stereo");
    sample.frame = QStringLiteral("25.00");
    info.setInfo(sample);
    ok = saveShown(&info, outDir.filePath(QStringLiteral("properties.png"))) && ok;

    const struct {
        vc::BoxKind kind;
        const char* text;
        const char* file;
    } boxes[] = {{vc::BoxKind::Information, "Please select one file.", "message-information.png"},
                 {vc::BoxKind::Warning, "/home/user/Videos/notes.txt is not support!",
                  "message-warning.png"},
                 {vc::BoxKind::Question, "The convertion is processing, are you sure to quit?",
                  "message-question.png"}};
    for (const auto& box : boxes) {
        const auto shown = vc::makeMessageBox(main, box.kind, QStringLiteral("Video Converter"),
                                              QLatin1String(box.text));
        ok = saveShown(shown.get(), outDir.filePath(QLatin1String(box.file))) && ok;
    }
    const auto refusals = vc::makeListBox(
        main, QStringLiteral("Video Converter"), QStringLiteral("3 files are not supported:"),
        {QStringLiteral("notes.avi is damaged: nothing in it can be read."),
         QStringLiteral("pipe.mp4 is not a regular file."),
         QStringLiteral("slides.pdf.avi is not support!")});
    ok = saveShown(refusals.get(), outDir.filePath(QStringLiteral("message-list.png"))) && ok;
    const auto chooser =
        vc::makeFileDialog(main, QString(), QDir::homePath(), vc::openFileFilter(), false);
    chooser->resize(720, 440);
    ok = saveShown(chooser.get(), outDir.filePath(QStringLiteral("open-files.png"))) && ok;
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: vc_skinpreview PROGRAM_DIR OUTPUT_DIR\n");
        return 2;
    }
    programDir = QString::fromLocal8Bit(argv[1]);
    const QDir outDir(QString::fromLocal8Bit(argv[2]));
    QDir().mkpath(outDir.path());
    const vc::IniFile layout(file("Skin.ini"));

    bool ok = true;
    for (const QString& mode :
         {QStringLiteral("empty"), QStringLiteral("list"), QStringLiteral("picker")}) {
        vc::TSkin skin;
        QWidget window;
        QWidget cutter;
        window.setWindowTitle(QStringLiteral("Video Converter"));
        vc::SkinSetup setup = vc::setUpSkin(skin, &window, &cutter, programDir);
        if (!setup.ok()) {
            std::fprintf(stderr, "%s\n", qPrintable(setup.error));
            return 1;
        }
        vc::SkinElements& el = setup.elements;
        image(&window, QStringLiteral("images/main/VideoConverter.bmp"), QPoint(12, 4));
        el.profilestext->setText(QStringLiteral("MP4 - H.264 Video Normal(*.mp4)"));
        image(&window, QStringLiteral("images/main/1.bmp"),
              QPoint(layout.readInt("Panel1", "Left", 6), layout.readInt("Panel1", "Top", 6)));
        placeCombos(&window, layout);
        preview(&window,
                QRect(layout.readInt("pl_play", "Left", 6), layout.readInt("pl_play", "Top", 6),
                      layout.readInt("pl_play", "Width", 6),
                      layout.readInt("pl_play", "Height", 6)));
        if (mode == QLatin1String("empty")) {
            placeButtons(&window, layout,
                         {"bt_remove", "bt_clear", "bt_chapte", "bt_back", "bt_next", "bt_play",
                          "bt_playstop", "bt_cut", "bt_images", "bt_start", "bt_pause",
                          "Bt_Convertstop"},
                         QStringLiteral("bt_dvdopen"));
            el.hint->setText(QStringLiteral("Add video files to the list."));
            el.play_bar->setVisible(false);
        } else {
            sourceList(&window, layout);
            placeButtons(&window, layout, {"bt_back", "bt_images"}, QStringLiteral("bt_start"));
            el.hint->setText(QStringLiteral(
                "frame= 7612 fps=212 q=2.0 size=   28672kB time=304.48 bitrate= 771.4kbits/s"));
            el.convertposBar.show(5034);
            el.playposBar.show(3200);
            el.play_bar->setPosition(3200);
            el.play_time->setText(QStringLiteral("00:01:21"));
            el.alltime->setText(QStringLiteral("00:04:12"));
            if (mode == QLatin1String("picker"))
                showPicker(&window, el, 1, 6);
        }
        window.show();
        ok = save(&window, outDir.filePath(QStringLiteral("main-%1.png").arg(mode))) && ok;
        if (mode == QLatin1String("list")) {
            auto* list = new QTreeWidget(&cutter);
            list->setGeometry(12, 362, 594, 127);
            list->setHeaderLabels({"Title", "Begin Time", "End Time"});
            list->setRootIsDecorated(false);
            list->setColumnWidth(0, 220);
            list->setColumnWidth(1, 120);
            auto* row = new QTreeWidgetItem(list, {"holiday-2023.mp4", "00:00:10", "00:01:00"});
            row->setCheckState(0, Qt::Checked);
            list->setCurrentItem(row);
            preview(&cutter, QRect(137, 48, 344, 180));
            el.cut_begin_time->setText(QStringLiteral("00:00:10"));
            el.cut_end_time->setText(QStringLiteral("00:01:00"));
            el.cut_play_time->setText(QStringLiteral("00:00:42"));
            el.cut_play_bar->setPosition(4200);
            el.cutplayposBar.show(4200);
            cutter.show();
            ok = save(&cutter, outDir.filePath(QStringLiteral("cutter.png"))) && ok;
            ok = saveWindows(&window, outDir) && ok;
        }
    }
    return ok ? 0 : 1;
}
