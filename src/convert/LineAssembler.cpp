#include "convert/LineAssembler.h"

#include <algorithm>

namespace vc {

void LineAssembler::put(char c) {
    if (column_ < line_.size())
        line_[column_] = c;
    else
        line_.push_back(c);
    ++column_;
    reached_ = std::max(reached_, column_);
}

std::string_view LineAssembler::freshText() const {
    const std::string_view line(line_);
    return rewound_ && reached_ > 0 ? line.substr(0, reached_) : line;
}

void LineAssembler::feedPiece(std::string_view piece) {
    for (const char c : piece) {
        switch (c) {
        case '\n':
            sink_(line_);
            line_.clear();
            column_ = 0;
            rewound_ = false;
            reached_ = 0;
            break;
        case '\r':
            column_ = 0;
            rewound_ = true;
            reached_ = 0;
            break;
        case '\b':
            if (column_ > 0)
                --column_;
            break;
        case '\t':
            for (int i = 0; i < 8; ++i)
                put(' ');
            break;
        case '\0':
        case '\a':
            put(' ');
            break;
        default:
            put(c);
        }
    }
    sink_(line_);
}

void LineAssembler::feed(std::string_view data) {
    while (!data.empty()) {
        const std::size_t n = std::min(data.size(), PieceSize);
        feedPiece(data.substr(0, n));
        data.remove_prefix(n);
    }
}

void LineAssembler::finish() {
    if (!line_.empty())
        sink_(line_);
}

void OutputCollector::append(std::string_view read) {
    const std::size_t needed = pending_.size() + read.size();
    if (needed > capacity_) {
        std::size_t grown = capacity_;
        while (grown < needed && grown < MaxCapacity)
            grown *= 2;
        if (needed > grown) {
            dropped_ += pending_.size();
            pending_.clear();
        } else {
            capacity_ = grown;
            pending_.reserve(capacity_);
        }
    }
    pending_.append(read);
}

void OutputCollector::appendAll(std::string_view data) {
    while (!data.empty()) {
        const std::size_t n = std::min(data.size(), LineAssembler::PieceSize);
        append(data.substr(0, n));
        data.remove_prefix(n);
    }
}

std::string OutputCollector::take() {
    std::string out;
    out.swap(pending_);
    pending_.reserve(capacity_);
    return out;
}

} // namespace vc
