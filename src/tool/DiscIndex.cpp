#include "DiscIndex.h"

#include "DiscReader.h"
#include "common/Languages.h"

extern "C" {
#include <dvdread/dvd_reader.h>
#include <dvdread/ifo_read.h>
#include <dvdread/ifo_types.h>
}

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace vc::tool {

namespace {

constexpr char Encrypted[] = "This disc is encrypted and cannot be read.";
constexpr char NotADisc[] = "No DVD-Video disc was found here.";
constexpr char Damaged[] = "The disc's title information is damaged and cannot be read.";
constexpr char MissingVideo[] = "The disc's video files are missing or incomplete.";

std::string languageCode(unsigned type, std::uint16_t code) {
    if (type != 1 || code == 0 || code == 0xffff)
        return {};
    std::string text{static_cast<char>(code >> 8), static_cast<char>(code & 0xff)};
    for (char& c : text) {
        if (c < 'a' || c > 'z')
            return {};
    }
    return text;
}

std::uint32_t rgb(std::uint32_t yCrCb) {
    const double y = (yCrCb >> 16) & 0xff;
    const double cr = ((yCrCb >> 8) & 0xff) - 128.0;
    const double cb = (yCrCb & 0xff) - 128.0;
    const auto channel = [](double v) {
        return static_cast<std::uint32_t>(std::clamp(std::lround(v), 0L, 255L));
    };
    const double luma = 1.164 * (y - 16);
    return channel(luma + 1.596 * cr) << 16 | channel(luma - 0.813 * cr - 0.391 * cb) << 8 |
           channel(luma + 2.018 * cb);
}

void audioFormat(unsigned format, DvdAudio& audio) {
    switch (format) {
    case 0:
        audio.codec = "AC-3";
        audio.ffmpegCodec = "ac3";
        break;
    case 2:
        audio.codec = "MPEG-1";
        audio.ffmpegCodec = "mp2";
        break;
    case 3:
        audio.codec = "MPEG-2";
        audio.ffmpegCodec = "mp2";
        break;
    case 4:
        audio.codec = "LPCM";
        audio.ffmpegCodec = "pcm_dvd";
        break;
    case 6:
        audio.codec = "DTS";
        audio.ffmpegCodec = "dts";
        break;
    default:
        audio.codec = "Unknown";
        audio.ffmpegCodec = "unknown";
        break;
    }
}

// The stream id ffmpeg's MPEG demuxer gives a substream of the disc's private stream.
int audioStreamId(unsigned format, unsigned number) {
    switch (format) {
    case 2:
    case 3:
        return 0x1c0 + static_cast<int>(number);
    case 4:
        return 0xa0 + static_cast<int>(number);
    case 6:
        return 0x88 + static_cast<int>(number);
    default:
        return 0x80 + static_cast<int>(number);
    }
}

void quiet(void*, dvd_logger_level_t, const char*, va_list) {}

bool isDirectory(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string baseName(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A folder copy has no volume label; the folder holding VIDEO_TS names it instead.
std::string folderVolume(const std::string& path) {
    std::string name = baseName(path);
    if (name == "VIDEO_TS" || name == "video_ts") {
        std::string parent = path;
        while (parent.size() > 1 && parent.back() == '/')
            parent.pop_back();
        parent = parent.substr(0, parent.find_last_of('/'));
        name = baseName(parent.empty() ? "/" : parent);
    }
    return name;
}

// Scrambled packs carry their PES scrambling bits; a disc read without the keys shows them.
bool scrambled(const unsigned char* pack) {
    if (pack[0] != 0 || pack[1] != 0 || pack[2] != 1 || pack[3] != 0xba)
        return false;
    const std::size_t pes = 14 + (pack[13] & 7);
    if (pes + 7 > static_cast<std::size_t>(Block) || pack[pes] != 0 || pack[pes + 1] != 0 ||
        pack[pes + 2] != 1)
        return false;
    const unsigned id = pack[pes + 3];
    const bool media = id == 0xbd || (id >= 0xc0 && id <= 0xef);
    return media && (pack[pes + 6] & 0x30) != 0;
}

// An IFO file that differs from its backup copy has been damaged; the library would quietly
// fall back to the copy, which may describe another disc.
bool intact(dvd_reader_t* dvd, int titleSet) {
    dvd_file_t* info = DVDOpenFile(dvd, titleSet, DVD_READ_INFO_FILE);
    if (!info)
        return false;
    dvd_file_t* backup = DVDOpenFile(dvd, titleSet, DVD_READ_INFO_BACKUP_FILE);
    const ssize_t size = DVDFileSize(info);
    std::vector<unsigned char> first(static_cast<std::size_t>(std::max<ssize_t>(size, 1)) * Block);
    bool ok = size > 0 &&
              DVDReadBytes(info, first.data(), first.size()) == static_cast<ssize_t>(first.size());
    ok = ok && std::memcmp(first.data(), titleSet == 0 ? "DVDVIDEO-VMG" : "DVDVIDEO-VTS", 12) == 0;
    if (ok && backup && DVDFileSize(backup) == size) {
        std::vector<unsigned char> second(first.size());
        ok = DVDReadBytes(backup, second.data(), second.size()) ==
                 static_cast<ssize_t>(second.size()) &&
             second == first;
    }
    if (backup)
        DVDCloseFile(backup);
    DVDCloseFile(info);
    return ok;
}

} // namespace

std::unique_ptr<DvdDisc> DvdDisc::open(const std::string& path, std::string& error) {
    std::unique_ptr<DvdDisc> disc(new DvdDisc);
    disc->reader_ = std::make_unique<Reader>();
    Reader& reader = *disc->reader_;
    static const dvd_logger_cb logger{quiet};
    reader.dvd = DVDOpen2(nullptr, &logger, path.c_str());
    if (!reader.dvd) {
        error = NotADisc;
        return nullptr;
    }
    dvd_file_t* menu = DVDOpenFile(reader.dvd, 0, DVD_READ_INFO_FILE);
    if (!menu) {
        error = NotADisc;
        return nullptr;
    }
    DVDCloseFile(menu);
    ifo_handle_t* vmg = intact(reader.dvd, 0) ? ifoOpen(reader.dvd, 0) : nullptr;
    if (!vmg || !vmg->tt_srpt) {
        if (vmg)
            ifoClose(vmg);
        error = Damaged;
        return nullptr;
    }
    reader.sets[0] = vmg;

    char volume[33] = "";
    unsigned char set[128];
    if (DVDUDFVolumeInfo(reader.dvd, volume, sizeof volume, set, sizeof set) != 0 || !volume[0])
        DVDISOVolumeInfo(reader.dvd, volume, sizeof volume, set, sizeof set);
    disc->volume_ = volume[0] && !isDirectory(path) ? volume : folderVolume(path);

    const tt_srpt_t* titles = vmg->tt_srpt;
    for (int i = 0; i < titles->nr_of_srpts; ++i) {
        const title_info_t& entry = titles->title[i];
        const int setNumber = entry.title_set_nr;
        ifo_handle_t*& vts = reader.sets[setNumber];
        if (!vts) {
            vts = intact(reader.dvd, setNumber) ? ifoOpen(reader.dvd, setNumber) : nullptr;
            if (!vts || !vts->vts_ptt_srpt || !vts->vts_pgcit || !vts->vtsi_mat) {
                error = Damaged;
                return nullptr;
            }
        }
        if (entry.vts_ttn < 1 || entry.vts_ttn > vts->vts_ptt_srpt->nr_of_srpts ||
            vts->vts_ptt_srpt->title[entry.vts_ttn - 1].nr_of_ptts < 1) {
            error = Damaged;
            return nullptr;
        }
        const int pgcNumber = vts->vts_ptt_srpt->title[entry.vts_ttn - 1].ptt[0].pgcn;
        if (pgcNumber < 1 || pgcNumber > vts->vts_pgcit->nr_of_pgci_srp) {
            error = Damaged;
            return nullptr;
        }
        const pgc_t* pgc = vts->vts_pgcit->pgci_srp[pgcNumber - 1].pgc;
        if (!pgc || !pgc->cell_playback || pgc->nr_of_cells == 0) {
            error = Damaged;
            return nullptr;
        }

        DvdTitle title;
        title.number = i + 1;
        title.titleSet = setNumber;
        title.seconds = playbackSeconds(pgc->playback_time);
        for (int c = 0; c < pgc->nr_of_cells; ++c) {
            const cell_playback_t& cell = pgc->cell_playback[c];
            // Of an angle block only the first angle plays.
            if (cell.block_type == 1 && cell.block_mode != 1)
                continue;
            title.cells.push_back(
                {cell.first_sector, cell.last_sector, playbackSeconds(cell.playback_time)});
            title.sectors += cell.last_sector - cell.first_sector + 1;
        }
        if (vts->vts_vobu_admap) {
            const vobu_admap_t* map = vts->vts_vobu_admap;
            const std::size_t count = (map->last_byte + 1 - VOBU_ADMAP_SIZE) / 4;
            title.vobuStarts.assign(map->vobu_start_sectors, map->vobu_start_sectors + count);
        }

        const vtsi_mat_t* mat = vts->vtsi_mat;
        const video_attr_t& video = mat->vts_video_attr;
        title.videoCodec = video.mpeg_version == 0 ? "mpeg1video" : "mpeg2video";
        const bool pal = video.video_format == 1;
        title.frameRate = pal ? 25.0 : 30000.0 / 1001.0;
        const int fullHeight = pal ? 576 : 480;
        static const int widths[] = {720, 704, 352, 352};
        title.width = widths[video.picture_size & 3];
        title.height = video.picture_size == 3 ? fullHeight / 2 : fullHeight;

        for (int a = 0; a < mat->nr_of_vts_audio_streams && a < 8; ++a) {
            const std::uint16_t control = pgc->audio_control[a];
            if (!(control & 0x8000))
                continue;
            const audio_attr_t& attr = mat->vts_audio_attr[a];
            DvdAudio audio;
            audioFormat(attr.audio_format, audio);
            audio.streamId = audioStreamId(attr.audio_format, (control >> 8) & 7);
            audio.languageCode = languageCode(attr.lang_type, attr.lang_code);
            audio.language = languageName(audio.languageCode);
            audio.channels = attr.channels + 1;
            audio.sampleRate = attr.sample_frequency == 1 ? 96000 : 48000;
            title.audio.push_back(audio);
        }
        for (int s = 0; s < mat->nr_of_vts_subp_streams && s < 32; ++s) {
            const std::uint32_t control = pgc->subp_control[s];
            if (!(control & 0x80000000u))
                continue;
            const subp_attr_t& attr = mat->vts_subp_attr[s];
            DvdSubtitle subtitle;
            // The stream of the 4:3 picture, which every disc has.
            subtitle.streamId = 0x20 + static_cast<int>((control >> 24) & 0x1f);
            subtitle.languageCode = languageCode(attr.type, attr.lang_code);
            subtitle.language = languageName(subtitle.languageCode);
            title.subtitles.push_back(subtitle);
        }
        for (std::size_t p = 0; p < title.palette.size(); ++p)
            title.palette[p] = rgb(pgc->palette[p]);

        dvd_file_t*& vob = reader.vobs[setNumber];
        if (!vob)
            vob = DVDOpenFile(reader.dvd, setNumber, DVD_READ_TITLE_VOBS);
        if (!vob || title.cells.empty() ||
            DVDFileSize(vob) <= static_cast<ssize_t>(title.cells.back().lastSector)) {
            error = MissingVideo;
            return nullptr;
        }
        // A few packs of the title's start tell whether it is scrambled.
        unsigned char packs[16 * Block];
        const ssize_t read =
            DVDReadBlocks(vob, static_cast<int>(title.cells.front().firstSector), 16, packs);
        if (read <= 0) {
            error = MissingVideo;
            return nullptr;
        }
        for (ssize_t b = 0; b < read; ++b) {
            if (scrambled(packs + b * Block)) {
                error = Encrypted;
                return nullptr;
            }
        }
        // Authoring tools disagree on the IFO's frame size bits; the stream's own header not.
        const std::size_t bytes = static_cast<std::size_t>(read) * Block;
        for (std::size_t at = 0; at + 7 < bytes; ++at) {
            if (packs[at] == 0 && packs[at + 1] == 0 && packs[at + 2] == 1 &&
                packs[at + 3] == 0xb3) {
                title.width = packs[at + 4] << 4 | packs[at + 5] >> 4;
                title.height = (packs[at + 5] & 0x0f) << 8 | packs[at + 6];
                break;
            }
        }
        disc->titles_.push_back(std::move(title));
    }
    if (disc->titles_.empty()) {
        error = NotADisc;
        return nullptr;
    }
    return disc;
}

DvdDisc::~DvdDisc() = default;

const DvdTitle* DvdDisc::title(int number) const {
    for (const DvdTitle& title : titles_) {
        if (title.number == number)
            return &title;
    }
    return nullptr;
}

} // namespace vc::tool
