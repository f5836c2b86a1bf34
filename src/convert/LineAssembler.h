#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace vc {

// Turns a console tool's byte stream into lines the way a terminal would show them: a
// carriage return rewinds to column 0 and later text overwrites the old line in place, so
// a status line redrawn with CR is seen as it currently reads.
class LineAssembler {
public:
    static constexpr std::size_t PieceSize = 1024;
    using Sink = std::function<void(std::string_view line)>;

    explicit LineAssembler(Sink sink) : sink_(std::move(sink)) {}

    // Applies one piece of at most PieceSize bytes, delivering every completed line and,
    // at the end, the current line as it stands.
    void feedPiece(std::string_view piece);

    // Splits data into pieces and feeds them in order.
    void feed(std::string_view data);

    // The stream has closed: deliver a non-empty current line once more.
    void finish();

    const std::string& currentLine() const { return line_; }
    // What the current line's writer meant: after a carriage return and some text, only that
    // text, without the end a longer earlier text (a status line) left behind it; otherwise the
    // whole line.
    std::string_view freshText() const;

private:
    void put(char c);

    Sink sink_;
    std::string line_;
    std::size_t column_ = 0;
    bool rewound_ = false;
    std::size_t reached_ = 0; // the furthest column written since the last carriage return
};

// The reader's pending buffer. It grows by doubling up to a hard cap; output that would
// push it past the cap is a sign the consumer has fallen far behind, so what is pending is
// dropped and collection starts again rather than growing without bound.
class OutputCollector {
public:
    static constexpr std::size_t InitialCapacity = 1024;
    static constexpr std::size_t MaxCapacity = 131072;

    // Takes one read of at most LineAssembler::PieceSize bytes.
    void append(std::string_view read);
    // Takes data of any size as successive reads.
    void appendAll(std::string_view data);
    std::string take();

    std::size_t size() const { return pending_.size(); }
    std::size_t capacity() const { return capacity_; }
    std::size_t droppedBytes() const { return dropped_; }

private:
    std::string pending_;
    std::size_t capacity_ = InitialCapacity;
    std::size_t dropped_ = 0;
};

} // namespace vc
