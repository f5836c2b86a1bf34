#include "profiles/Catalogue.h"

#include <QLatin1String>

namespace vc {

namespace {

// Index = profile number; entry 0 is unused.
constexpr std::array<ProfileEntry, ProfileCount + 1> Entries = {{
    {nullptr, nullptr, ButtonRole::Filler, nullptr},
    // 1: pl_video1
    {"pl_video1", "ASF-Advanced Streaming Format(*.asf)", ButtonRole::Selects, nullptr},
    {"pl_video1", "AVI-DivX Movie(*.avi)", ButtonRole::OpensSubPanel, "pl_avi"},
    {"pl_video1", "AVI-XviD Movie(*.avi)", ButtonRole::OpensSubPanel, "pl_mpeg"},
    {"pl_video1", "MP4-MPEG-4 Video(*.mp4)", ButtonRole::OpensSubPanel, "pl_mp4"},
    {"pl_video1", "MP4-MPEG-4 AVC Video(*.mp4)", ButtonRole::OpensSubPanel, "pl_mkv"},
    {"pl_video1", "RM-Real Video(*.rm)", ButtonRole::Selects, nullptr},
    {"pl_video1", "WMV-Windows Media Video(*.wmv)", ButtonRole::Selects, nullptr},
    // 8: pl_video2
    {"pl_video2", "3GPP-3rd Generation Partnership Project(*.3gp)", ButtonRole::Selects, nullptr},
    {"pl_video2", "3GPP2-3rd Generation Partnership Project2(*.3g2)", ButtonRole::Selects, nullptr},
    {"pl_video2", "MOV-Quick Time(*.mov)", ButtonRole::Selects, nullptr},
    {"pl_video2", "FLV - Flash Video Format(*.flv)", ButtonRole::Selects, nullptr},
    {"pl_video2", "SWF - SWF Format(*.swf)", ButtonRole::Selects, nullptr},
    {"pl_video2", "RM-Real Video(*.rm)", ButtonRole::NoClick, nullptr},
    {"pl_video2", "WMV-Windows Media Video(*.wmv)", ButtonRole::NoClick, nullptr},
    // 15: pl_audio1
    {"pl_audio1", "AAC-Advanced Audio Coding(*.aac)", ButtonRole::Selects, nullptr},
    {"pl_audio1", "AC3-Dolby Dingtal AC-3(*.ac3)", ButtonRole::Selects, nullptr},
    {"pl_audio1", "MP3-MPEG Layer-3Audio(*.mp3)", ButtonRole::Selects, nullptr},
    {"pl_audio1", "OGG-Ogg Vorbis Audio(*.ogg)", ButtonRole::Selects, nullptr},
    {"pl_audio1", "RA-Real Auido(*.ra)", ButtonRole::Selects, nullptr},
    {"pl_audio1", "WAV-Waveform Auido(*.wav)", ButtonRole::Selects, nullptr},
    {"pl_audio1", "WMA-Windows Media Audio(*.wma)", ButtonRole::Selects, nullptr},
    // 22: pl_audio2
    {"pl_audio2", "AIFF-Audio Interchange File Format(*.aiff)", ButtonRole::Selects, nullptr},
    {"pl_audio2", "M4A-MPEG-4 Auido(*.m4a)", ButtonRole::Selects, nullptr},
    {"pl_audio2", "MP2-MPEG Layer-2 Audio(*.mp2)", ButtonRole::Selects, nullptr},
    {"pl_audio2", "SUN AU Format(*.au)", ButtonRole::Selects, nullptr},
    {"pl_audio2", nullptr, ButtonRole::ClickableFiller, nullptr},
    // 27: pl_ipod
    {"pl_ipod", "iPod(320×240)MPEG-4 Codec(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_ipod", "iPod(320×240)MPEG-4 AVC Codec(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_ipod", "iPod(480×320)MPEG-4 Codec(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_ipod", "iPod(480×320)MPEG-4 AVC Codec(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_ipod", "iPod(640×480)MPEG-4 Codec(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_ipod", "iPod(640×480)MPEG-4 AVC Codec(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_ipod", "iPod Audio Format(*.mp3)", ButtonRole::Selects, nullptr},
    // 34: pl_iphone
    {"pl_iphone", "iPhone(320×240)MPEG-4 Codec(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_iphone", "iPhone(320×240)MPEG-4 AVC Codec(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_iphone", "iPhone(480×320)MPEG-4 Codec(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_iphone", "iPhone(480×320)MPEG-4 AVC Codec(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_iphone", "iPhone(640×480)MPEG-4 Codec(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_iphone", "iPhone(640×480)MPEG-4 AVC Codec(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_iphone", "iPhone Audio Format(*.mp3)", ButtonRole::Selects, nullptr},
    // 41: pl_gphone
    {"pl_gphone", "GPhone(320×240)MPEG-4 Codec(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_gphone", "GPhone(320×240)H.264 Codec(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_gphone", "GPhone(640×480)MPEG-4 Codec(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_gphone", "GPhone(640×480)H.264 Codec(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_gphone", "GPhone Audio Format(*.mp3)", ButtonRole::Selects, nullptr},
    // 46: pl_appletv
    {"pl_appletv", "Apple TV MPEG-4 480P(640×480)(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_appletv", "Apple TV MPEG-4 720P(1280×720)(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_appletv", "Apple TV MPEG-4 (320×240)(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_appletv", "Apple TV h264 480P(640×480)(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_appletv", "Apple TV h264 720P(1280×720)(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_appletv", "Apple TV h264(320×240)(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_appletv", nullptr, ButtonRole::ClickableFiller, nullptr},
    // 53: pl_psp
    {"pl_psp", "PS3 Video(1080P)MPEG-4(*.MP4)", ButtonRole::Selects, nullptr},
    {"pl_psp", "PS3 Video(720P)MPEG-4(*.MP4)", ButtonRole::Selects, nullptr},
    {"pl_psp", "PS3 Video(480P)MPEG-4(*.MP4)", ButtonRole::Selects, nullptr},
    {"pl_psp", "PSP-PSP MPEG-4 Video(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_psp", "PSP AVC Video Format(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_psp", "PSP Video(480P)MPEG-4(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_psp", "PSP Audio Format(*.mp3)", ButtonRole::Selects, nullptr},
    // 60: pl_xbox
    {"pl_xbox", "Xbox360 WMV Movie(*.wmv)", ButtonRole::Selects, nullptr},
    {"pl_xbox", "Xbox360 WMV HDTV Video(*.wmv)", ButtonRole::Selects, nullptr},
    {"pl_xbox", "Xbox360 MPEG-4 AVC Video(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_xbox", "Xbox360 HD MPEG-4 AVC Video(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_xbox", "Xbox360 MPEG4 Video(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_xbox", "Xbox360 HD MPEG-4 Video(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_xbox", "Xbox360 MCE HD MPEG2 Video(*.mpeg)", ButtonRole::Selects, nullptr},
    {"pl_xbox", nullptr, ButtonRole::ClickableFiller, nullptr},
    // 68: pl_phone
    {"pl_phone", "3GPP-3rd Generation Partnership Project(*.3gp)", ButtonRole::Selects, nullptr},
    {"pl_phone", "3GPP2-3rd Generation Partnership Project2(*.3g2)", ButtonRole::Selects, nullptr},
    {"pl_phone", "BlackBerry 3GP Video(*.3gp)", ButtonRole::Selects, nullptr},
    {"pl_phone", "BlackBerry AMR Audio(*.amr)", ButtonRole::Selects, nullptr},
    {"pl_phone", "BlackBerry AVI Audio(*.avi)", ButtonRole::Selects, nullptr},
    {"pl_phone", "BlackBerry MPEG-4 Video(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_phone", nullptr, ButtonRole::ClickableFiller, nullptr},
    // 75: pl_win
    {"pl_win", "Dell Axim X51 Video(*.wmv)", ButtonRole::Selects, nullptr},
    {"pl_win", "General Pocket PC Video(*.wmv)", ButtonRole::Selects, nullptr},
    {"pl_win", "HP iPAQ hw6500 series Video(*.wmv)", ButtonRole::Selects, nullptr},
    {"pl_win", "HP iPAQ hx2000/rx3000/rx1900 series Video(*.wmv)", ButtonRole::Selects, nullptr},
    {"pl_win", "HP iPAQ hx4700 series Video(*.wmv)", ButtonRole::Selects, nullptr},
    {"pl_win", "WMA-Windows Media Audio(*.wma)", ButtonRole::Selects, nullptr},
    {"pl_win", "WMV-Windows Media Video(*.wmv)", ButtonRole::Selects, nullptr},
    {"pl_win", nullptr, ButtonRole::ClickableFiller, nullptr},
    // 83: pl_pmp
    {"pl_pmp", "Archos AV500/GMini402 Video(*.avi)", ButtonRole::Selects, nullptr},
    {"pl_pmp", "Archos AV700 Video(*.avi)", ButtonRole::Selects, nullptr},
    {"pl_pmp", "Creative Zen Vision Video(*.avi)", ButtonRole::Selects, nullptr},
    {"pl_pmp", "Zune MPEG-4 AVC Video Format(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_pmp", "Zune MPEG-4 Video(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_pmp", "Zune WMV-Windows Media Video(*.wmv)", ButtonRole::Selects, nullptr},
    {"pl_pmp", "iRiver PMP-100 Video(*.avi)", ButtonRole::Selects, nullptr},
    {"pl_pmp", nullptr, ButtonRole::ClickableFiller, nullptr},
    // 91: pl_hd
    {"pl_hd", "HD AVI Video(*.avi)", ButtonRole::Selects, nullptr},
    {"pl_hd", "HD MPEG-4 Video(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_hd", "HD MPEG-4 AVC Video(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_hd", "HD MOV Video(*.mov)", ButtonRole::Selects, nullptr},
    {"pl_hd", "HD MPEG-2 TS Video(*.ts)", ButtonRole::Selects, nullptr},
    {"pl_hd", "HD MPEG2 Video(*.mpg)", ButtonRole::Selects, nullptr},
    {"pl_hd", "HD WMV Video(*.wmv)", ButtonRole::Selects, nullptr},
    {"pl_hd", nullptr, ButtonRole::Filler, nullptr},
    // 99: pl_animation
    {"pl_animation", "FLV - Flash Video Format(*.flv)", ButtonRole::Selects, nullptr},
    {"pl_animation", "SWF - SWF Format(*.swf)", ButtonRole::Selects, nullptr},
    {"pl_animation", nullptr, ButtonRole::Filler, nullptr},
    // 102: pl_avi
    {"pl_avi", "AVI - H264 Movie(*.avi)", ButtonRole::Selects, nullptr},
    {"pl_avi", "AVI - DivX Movie(*.avi)", ButtonRole::Selects, nullptr},
    {"pl_avi", "AVI - XviD Movie(*.avi)", ButtonRole::Selects, nullptr},
    {"pl_avi", "AVI - MPEG-4 Movie(*.avi)", ButtonRole::Selects, nullptr},
    {"pl_avi", "AVI - MSMPEG4 Movie(*.avi)", ButtonRole::Selects, nullptr},
    {"pl_avi", "AVI - MPEG Movie(*.avi)", ButtonRole::Selects, nullptr},
    {"pl_avi", "AVI - WMV Movie(*.avi)", ButtonRole::Selects, nullptr},
    {"pl_avi", nullptr, ButtonRole::Filler, nullptr},
    // 110: pl_mpeg
    {"pl_mpeg", "MPEG-1 Movie(*.mpg)", ButtonRole::Selects, nullptr},
    {"pl_mpeg", "MPEG-2 Movie(*.mpg)", ButtonRole::Selects, nullptr},
    {"pl_mpeg", "Video CD - MPEG PS Format(*.mpg)", ButtonRole::Selects, nullptr},
    {"pl_mpeg", "Super Video CD - MPEG2 PS Format(*.mpg)", ButtonRole::Selects, nullptr},
    {"pl_mpeg", "DVD - MPEG2 PS Format(*.vob)", ButtonRole::Selects, nullptr},
    {"pl_mpeg", "HD MPEG-2 Video(*.mpeg)", ButtonRole::Selects, nullptr},
    {"pl_mpeg", "HD MPEG-2 TS Video(*.ts)", ButtonRole::Selects, nullptr},
    {"pl_mpeg", nullptr, ButtonRole::Filler, nullptr},
    // 118: pl_mp4
    {"pl_mp4", "MP4 - MPEG4 Video Mini(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_mp4", "MP4 - MPEG4 Video Normal(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_mp4", "MP4 - MPEG4 Video Excellent(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_mp4", "MP4 - H.264 Video Mini(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_mp4", "MP4 - H.264 Video Normal(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_mp4", "MP4 - H.264 Video Excellent(*.MP4)", ButtonRole::Selects, nullptr},
    {"pl_mp4", nullptr, ButtonRole::Filler, nullptr},
    // 125: pl_mkv
    {"pl_mkv", "MKV - H264 Movie(*.mkv)", ButtonRole::Selects, nullptr},
    {"pl_mkv", "MKV - DivX Movie(*.mkv)", ButtonRole::Selects, nullptr},
    {"pl_mkv", "MKV - XviD Movie(*.mkv)", ButtonRole::Selects, nullptr},
    {"pl_mkv", "MKV - MPEG-4 Movie(*.mkv)", ButtonRole::Selects, nullptr},
    {"pl_mkv", "MKV - MSMPEG4 Movie(*.mkv)", ButtonRole::Selects, nullptr},
    {"pl_mkv", "MKV - MPEG Movie(*.mkv)", ButtonRole::Selects, nullptr},
    {"pl_mkv", "MKV - WMV Movie(*.mkv)", ButtonRole::Selects, nullptr},
    {"pl_mkv", nullptr, ButtonRole::Filler, nullptr},
    // 133: pl_modern
    {"pl_modern", "MP4 - H.265/HEVC Video(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_modern", "MKV - H.265/HEVC Movie(*.mkv)", ButtonRole::Selects, nullptr},
    {"pl_modern", "WebM - VP9 Video(*.webm)", ButtonRole::Selects, nullptr},
    {"pl_modern", "MP4 - AV1 Video(*.mp4)", ButtonRole::Selects, nullptr},
    {"pl_modern", "WebM - AV1 Video(*.webm)", ButtonRole::Selects, nullptr},
    {"pl_modern", "Opus Audio(*.opus)", ButtonRole::Selects, nullptr},
    {"pl_modern", "FLAC - Lossless Audio(*.flac)", ButtonRole::Selects, nullptr},
}};

constexpr std::array<Category, CategoryCount> Categories = {{
    {1, "img_gvideo1", {"pl_video1", "pl_video2"}, 1, 14, "General Video"},
    {2, "img_audio1", {"pl_audio1", "pl_audio2"}, 15, 26, "Audio"},
    {3, "img_ipod", {"pl_ipod", nullptr}, 27, 33, "iPod"},
    {4, "img_iphone", {"pl_iphone", nullptr}, 34, 40, "iPhone"},
    {5, "img_gphone", {"pl_gphone", nullptr}, 41, 45, "GPhone"},
    {6, "img_appletv", {"pl_appletv", nullptr}, 46, 52, "Apple TV"},
    {7, "img_psp", {"pl_psp", nullptr}, 53, 59, "PSP / PS3"},
    {8, "img_xbox", {"pl_xbox", nullptr}, 60, 67, "Xbox 360"},
    {9, "img_phone", {"pl_phone", nullptr}, 68, 74, "Mobile Phone"},
    {10, "img_win", {"pl_win", nullptr}, 75, 82, "Windows Mobile"},
    {11, "img_pmp", {"pl_pmp", nullptr}, 83, 90, "Media Players"},
    {12, "img_hd", {"pl_hd", nullptr}, 91, 98, "HD Video"},
    {13, "img_animation", {"pl_animation", nullptr}, 99, 101, "Animation"},
    {14, "img_modern", {"pl_modern", nullptr}, 133, 139, "Modern Formats"},
}};

constexpr std::array<const char*, 4> SubPanels = {"pl_avi", "pl_mpeg", "pl_mp4", "pl_mkv"};

// In the order of SubPanels.
constexpr std::array<OpenerCaption, 4> OpenerCaptions = {{
    {"AVI Movie", "H.264, DivX, XviD, MPEG-4, WMV and more"},
    {"MPEG / VCD / SVCD / DVD", "MPEG-1, MPEG-2, disc formats, HD"},
    {"MP4 Video", "MPEG-4 or H.264, in three qualities"},
    {"MKV Movie", "H.264, DivX, XviD, MPEG-4, WMV and more"},
}};

} // namespace

const ProfileEntry* profileEntry(int number) {
    if (number < 1 || number > ProfileCount)
        return nullptr;
    return &Entries[static_cast<std::size_t>(number)];
}

const OpenerCaption* openerCaption(int number) {
    const ProfileEntry* entry = profileEntry(number);
    if (!entry || entry->role != ButtonRole::OpensSubPanel)
        return nullptr;
    for (std::size_t i = 0; i < SubPanels.size(); ++i)
        if (QLatin1String(entry->subPanel) == QLatin1String(SubPanels[i]))
            return &OpenerCaptions[i];
    return nullptr;
}

const Category* category(int index) {
    if (index < 1 || index > CategoryCount)
        return nullptr;
    return &Categories[static_cast<std::size_t>(index - 1)];
}

int categoryOfPanel(const QString& panel) {
    for (const Category& c : Categories)
        for (const char* page : c.pages)
            if (page && panel == QLatin1String(page))
                return c.index;
    for (const char* sub : SubPanels)
        if (panel == QLatin1String(sub))
            return 1;
    return 0;
}

int categoryOf(int number) {
    const ProfileEntry* entry = profileEntry(number);
    return entry ? categoryOfPanel(QLatin1String(entry->panel)) : 0;
}

bool inSubPanel(int number) {
    const ProfileEntry* entry = profileEntry(number);
    if (!entry)
        return false;
    for (const char* sub : SubPanels)
        if (QLatin1String(entry->panel) == QLatin1String(sub))
            return true;
    return false;
}

bool hasProfile(int number) {
    const ProfileEntry* entry = profileEntry(number);
    return entry && entry->name;
}

QString profileName(int number) {
    return hasProfile(number) ? QString::fromUtf8(profileEntry(number)->name) : QString();
}

QString extensionOf(const QString& displayName) {
    const qsizetype star = displayName.indexOf(QLatin1Char('*'));
    if (star < 0)
        return {};
    return displayName.mid(star + 1, displayName.size() - star - 2);
}

QString profileExtension(int number) {
    return extensionOf(profileName(number));
}

bool isDiscTarget(int number) {
    return number >= 112 && number <= 114;
}

bool isDataFileRate(int number) {
    return number >= 15 && number <= 101;
}

bool isComputedRate(int number) {
    return ((number >= 1 && number <= 14) || (number >= 102 && number <= 131) ||
            (number >= 133 && number <= 137)) &&
           !isDiscTarget(number);
}

bool isAudioOnly(int number) {
    return (number >= 15 && number <= 25) || number == 33 || number == 40 || number == 45 ||
           number == 59 || number == 71 || number == 80 || number == 138 || number == 139;
}

bool isLossless(int number) {
    return number == 139;
}

bool offersOriginalSize(int number) {
    if ((number >= 1 && number <= 14) || (number >= 102 && number <= 111))
        return profileExtension(number) != QLatin1String(".mp4");
    return number >= 133 && number <= 137;
}

FactorRow factorRow(int number) {
    switch (number) {
    case 133:
    case 134:
        return FactorRow::Hevc;
    case 135:
        return FactorRow::Vp9;
    case 136:
    case 137:
        return FactorRow::Av1;
    case 118:
    case 121:
        return FactorRow::Mini;
    case 119:
    case 122:
        return FactorRow::Normal;
    case 120:
    case 123:
        return FactorRow::Excellent;
    default:
        return FactorRow::Generic;
    }
}

int defaultProfileFor(const QString& programFileName) {
    struct Rule {
        const char* keyword;
        int profile;
    };
    // Order matters: the first keyword contained decides, and "rm" matches inside words.
    static constexpr Rule Rules[] = {{"avi", 102}, {"mp3", 17},    {"audio", 17},  {"3gp", 69},
                                     {"psp", 53},  {"mpeg", 110},  {"mp4", 118},   {"mkv", 125},
                                     {"ipod", 27}, {"iphone", 36}, {"gphone", 41}, {"wmv", 7},
                                     {"rm", 6},    {"flv", 11}};
    const QString name = programFileName.toLower();
    for (const Rule& rule : Rules)
        if (name.contains(QLatin1String(rule.keyword)))
            return rule.profile;
    return 1;
}

} // namespace vc
