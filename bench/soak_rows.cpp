// The estimate refresh of a long source list: rows made the way an added file makes them, in
// the real list control, refreshed for the program's default profile. A refresh runs on
// every change of a quality box, so it should fit in a frame (16 ms).
// Usage: bench_soak_rows [rows=5000] [rounds=30]
#include "BenchSupport.h"
#include "common/IniFile.h"
#include "media/MediaProbe.h"
#include "media/SourceList.h"
#include "profiles/Catalogue.h"
#include "profiles/ProfileData.h"
#include "profiles/ProfileParameters.h"
#include "profiles/ProfileSelector.h"
#include "profiles/QualityRates.h"
#include "shell/LanguageTable.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace vc;
using vc::bench::SilentDialogs;

namespace {

double ms(qint64 ns) {
    return static_cast<double>(ns) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    // A real list control needs a platform; without a display the offscreen one will do.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5000;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 30;
    const QString programDir = QStringLiteral(VC_BENCH_PROGRAM_DIR);

    QTemporaryDir dir;
    qputenv("VIDEOCONVERTER_CONFIG_DIR", dir.path().toLocal8Bit());
    const int number = defaultProfileFor(QStringLiteral("VideoConverter"));

    QTreeWidget lv;
    lv.resize(560, 300);
    SilentDialogs dialogs;
    LanguageTable language(QDir(programDir).filePath(QStringLiteral("language.info")), dialogs);
    MediaProbe probe(QDir(programDir).filePath(QStringLiteral("register.dat")), programDir);
    // The four parameter boxes and the selector, as the main window has them; each row's
    // estimate reads the boxes' choice the way the window's does.
    QComboBox size, video, audio, channel;
    IniFile store(dir.filePath(QStringLiteral("parameters.ini")));
    ProfileSelector selector({&size, &video, &audio, &channel}, store, profileDataPath(programDir),
                             {});
    if (!selector.select(number))
        return 1;
    SourceList::Hooks hooks;
    hooks.estimate = [&](const Toriginalinfo& info) {
        const EstimateResult result =
            estimate(selector.state(), selector.choice(),
                     {info.duration, info.resolution, info.videobit, info.audiobit});
        return result.error.isEmpty() ? result.text : QString();
    };
    SourceList list(&lv, probe, dialogs, language, hooks);
    list.setCheckBoxes(true);

    // The rows a probe would give, without probing thousands of files.
    for (int i = 0; i < rows; ++i) {
        Toriginalinfo info;
        info.path = QStringLiteral("/clips/clip %1.mpg").arg(i);
        info.resolution = QStringLiteral("320x240");
        info.duration = QStringLiteral("00:%1:%2")
                            .arg(i / 60 % 60, 2, 10, QChar('0'))
                            .arg(i % 60, 2, 10, QChar('0'));
        info.videobit = QString::number(500 + i % 700);
        info.audiobit = QStringLiteral("128");
        list.records().add(info, Tcutinfo{i % 3600, 0, i % 3600});
        auto* item = new QTreeWidgetItem(&lv);
        item->setText(SourceList::TitleColumn, sourceTitle(info.path));
        item->setText(SourceList::StatusColumn, QStringLiteral("Status"));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(SourceList::TitleColumn, Qt::Checked);
    }
    lv.show();
    QApplication::processEvents();

    // Alternate two quality levels, so that every round changes every row's text.
    std::vector<qint64> times;
    for (int round = 0; round < rounds; ++round) {
        video.setCurrentIndex(round % 2 == 0 ? 0 : 4);
        QElapsedTimer t;
        t.start();
        list.refreshEstimates();
        times.push_back(t.nsecsElapsed());
        QApplication::processEvents(); // the view repaints between refreshes, as in use
    }
    std::sort(times.begin(), times.end());
    const double median = ms(times[times.size() / 2]);
    std::printf("soak rows: %d rows, profile %d, %d refreshes\n", rows, number, rounds);
    std::printf("  estimate refresh: median %.2f ms, best %.2f ms, worst %.2f ms (target < 16)\n",
                median, ms(times.front()), ms(times.back()));
    std::printf("  per row:          %.2f us\n", median * 1000 / rows);
    return 0;
}
