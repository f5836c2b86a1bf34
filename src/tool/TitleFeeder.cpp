#include "Child.h"
#include "DiscReader.h"

extern "C" {
#include <dvdread/nav_read.h>
#include <dvdread/nav_types.h>
}

#include <algorithm>
#include <atomic>
#include <vector>

namespace vc::tool {

DvdDisc::Position DvdDisc::seek(const DvdTitle& title, double at) {
    Position position;
    double cellStart = 0;
    std::size_t cell = 0;
    while (cell + 1 < title.cells.size() && cellStart + title.cells[cell].seconds <= at) {
        cellStart += title.cells[cell].seconds;
        ++cell;
    }
    const DvdCell& chosen = title.cells[cell];
    position = {cell, chosen.firstSector, cellStart};
    dvd_file_t* vob = reader_->vobs[title.titleSet];
    if (!vob || at <= cellStart)
        return position;

    // The cell's VOBUs in order; each navigation pack says how far into the cell it starts.
    const auto begin =
        std::lower_bound(title.vobuStarts.begin(), title.vobuStarts.end(), chosen.firstSector);
    const auto end = std::upper_bound(begin, title.vobuStarts.end(), chosen.lastSector);
    std::size_t low = 0;
    std::size_t high = static_cast<std::size_t>(end - begin);
    unsigned char pack[Block];
    while (high - low > 1) {
        const std::size_t middle = (low + high) / 2;
        const std::uint32_t sector = *(begin + static_cast<std::ptrdiff_t>(middle));
        if (DVDReadBlocks(vob, static_cast<int>(sector), 1, pack) != 1)
            break;
        dsi_t dsi;
        navRead_DSI(&dsi, pack + DSI_START_BYTE);
        const double elapsed = playbackSeconds(dsi.dsi_gi.c_eltm);
        if (cellStart + elapsed <= at) {
            low = middle;
            position.sector = sector;
            position.seconds = cellStart + elapsed;
        } else {
            high = middle;
        }
    }
    return position;
}

bool DvdDisc::feed(const DvdTitle& title, const Position& from, int fd,
                   const std::atomic<bool>& stop) {
    dvd_file_t* vob = reader_->vobs[title.titleSet];
    if (!vob)
        return false;
    constexpr std::size_t Chunk = 256;
    std::vector<unsigned char> buffer(Chunk * Block);
    for (std::size_t c = from.cell; c < title.cells.size(); ++c) {
        std::uint32_t sector = c == from.cell ? from.sector : title.cells[c].firstSector;
        while (sector <= title.cells[c].lastSector) {
            if (stop)
                return true;
            const std::size_t count =
                std::min<std::size_t>(Chunk, title.cells[c].lastSector - sector + 1);
            const ssize_t read = DVDReadBlocks(vob, static_cast<int>(sector), count, buffer.data());
            if (read <= 0)
                return false;
            if (!writeAll(fd, reinterpret_cast<const char*>(buffer.data()),
                          static_cast<std::size_t>(read) * Block))
                return true; // the reader has all it wants
            sector += static_cast<std::uint32_t>(read);
        }
    }
    return true;
}

} // namespace vc::tool
