#pragma once

// What the disc's index and the title feeder share: the open library handles behind a
// DvdDisc and the disc's time and block units.

#include "DiscIndex.h"

extern "C" {
#include <dvdread/dvd_reader.h>
#include <dvdread/ifo_read.h>
#include <dvdread/ifo_types.h>
}

#include <cstdint>
#include <map>

namespace vc::tool {

inline constexpr int Block = DVD_VIDEO_LB_LEN;

inline int bcd(std::uint8_t value) {
    return (value >> 4) * 10 + (value & 0x0f);
}

inline double playbackSeconds(const dvd_time_t& time) {
    const double rate = (time.frame_u & 0xc0) == 0x40 ? 25.0 : 30000.0 / 1001.0;
    return bcd(time.hour) * 3600.0 + bcd(time.minute) * 60.0 + bcd(time.second) +
           bcd(time.frame_u & 0x3f) / rate;
}

struct DvdDisc::Reader {
    dvd_reader_t* dvd = nullptr;
    std::map<int, ifo_handle_t*> sets;
    std::map<int, dvd_file_t*> vobs;

    ~Reader() {
        for (auto& [number, file] : vobs) {
            if (file)
                DVDCloseFile(file);
        }
        for (auto& [number, ifo] : sets) {
            if (ifo)
                ifoClose(ifo);
        }
        if (dvd)
            DVDClose(dvd);
    }
};

} // namespace vc::tool
