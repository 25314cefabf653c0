// Decoding walks each symbol's code bit by bit down the adaptive tree; a
// copy's distance follows as a prefix of 3..8 bits for its upper six bits,
// then its lower six bits as they are. Bits are read first bit highest.
#include "TelediskLzhuf.h"

#include <algorithm>

namespace {

constexpr std::size_t RingSize = 4096;
// Where the first byte goes: a copy may reach back into the spaces before.
constexpr std::size_t RingStart = RingSize - 60;
constexpr unsigned char RingFill = 0x20;
// A root count at which every count is halved before the next update.
constexpr std::uint16_t MaxRootCount = 0x8000;
constexpr std::uint16_t CountSentinel = 0xFFFF;

// A distance's prefix gives its upper six bits: the prefixes of `length`
// bits stand for the next `values` upper values, in ascending order.
struct PrefixRun {
    int length;
    int values;
};
constexpr std::array<PrefixRun, 6> PrefixRuns{{{3, 1}, {4, 3}, {5, 8}, {6, 12}, {7, 24}, {8, 16}}};
constexpr int LowDistanceBits = 6;
constexpr int LowDistanceMask = (1 << LowDistanceBits) - 1;

class BitReader {
public:
    BitReader(ByteSource& source, std::uint64_t offset) : source_(source), offset_(offset) {}

    // The next bit, or -1 once the input is spent.
    int Bit()
    {
        if (bitsLeft_ == 0) {
            if (next_ == held_ && !Refill()) {
                return -1;
            }
            byte_ = buffer_[next_++];
            bitsLeft_ = 8;
        }
        --bitsLeft_;
        return (byte_ >> bitsLeft_) & 1;
    }

    // The next `count` bits, the first one highest; -1 once the input is spent.
    int Bits(int count)
    {
        int value = 0;
        for (int i = 0; i < count; ++i) {
            const int bit = Bit();
            if (bit < 0) {
                return -1;
            }
            value = (value << 1) | bit;
        }
        return value;
    }

private:
    bool Refill()
    {
        held_ = source_.ReadAt(offset_, buffer_.data(), buffer_.size());
        offset_ += held_;
        next_ = 0;
        return held_ != 0;
    }

    ByteSource& source_;
    std::uint64_t offset_;
    std::array<unsigned char, 4096> buffer_{};
    std::size_t held_ = 0;
    std::size_t next_ = 0;
    int byte_ = 0;
    int bitsLeft_ = 0;
};

// The next symbol, the code updated with it; -1 once the input is spent.
int ReadSymbol(LzhufCode& code, BitReader& bits)
{
    LzhufCode::Node node = LzhufCode::Root;
    while (!code.IsLeaf(node)) {
        const int bit = bits.Bit();
        if (bit < 0) {
            return -1;
        }
        node = code.Child(node, bit);
    }
    const int symbol = code.SymbolAt(node);
    code.Update(symbol);
    return symbol;
}

// How far back a copy starts, 0..4095; -1 once the input is spent. The
// first eight bits name the prefix's run; a prefix of L bits is followed by
// 6 low bits, so L - 2 more bits are read.
int ReadDistance(BitReader& bits)
{
    const int first = bits.Bits(8);
    if (first < 0) {
        return -1;
    }
    int runStart = 0;
    int upper = 0;
    for (const PrefixRun& run : PrefixRuns) {
        const int freeBits = 8 - run.length;
        const int span = run.values << freeBits;
        if (first < runStart + span) {
            upper += (first - runStart) >> freeBits;
            const int more = bits.Bits(run.length - 2);
            if (more < 0) {
                return -1;
            }
            const int low = ((first << (run.length - 2)) | more) & LowDistanceMask;
            return (upper << LowDistanceBits) | low;
        }
        runStart += span;
        upper += run.values;
    }
    return -1;  // the runs cover every first byte
}

}  // namespace

LzhufCode::LzhufCode()
{
    for (Node leaf = 0; leaf < SymbolCount; ++leaf) {
        count_[leaf] = 1;
        SetChild(leaf, NodeCount + leaf);
    }
    // Inner nodes pair their neighbours in order, the root last.
    for (Node node = SymbolCount, first = 0; node < NodeCount; ++node, first += 2) {
        count_[node] = static_cast<std::uint16_t>(count_[first] + count_[first + 1]);
        SetChild(node, first);
    }
    count_[NodeCount] = CountSentinel;
}

void LzhufCode::SetChild(Node node, Node child)
{
    child_[node] = child;
    parent_[child] = node;
    if (child < NodeCount) {
        parent_[child + 1] = node;
    }
}

std::vector<int> LzhufCode::CodeOf(int symbol) const
{
    std::vector<int> bits;
    for (Node node = parent_[LeafEntry(symbol)]; node != Root; node = parent_[node]) {
        bits.push_back(static_cast<int>(node - child_[parent_[node]]));
    }
    std::reverse(bits.begin(), bits.end());
    return bits;
}

void LzhufCode::Update(int symbol)
{
    if (count_[Root] == MaxRootCount) {
        Rebuild();
    }
    Node node = parent_[LeafEntry(symbol)];
    for (;;) {
        ++count_[node];
        if (count_[node] > count_[node + 1]) {
            node = Promote(node);
        }
        if (node == Root) {
            return;
        }
        node = parent_[node];
    }
}

// The node's count has passed its right neighbour's: its subtree trades
// places with the last node of a lower count. Returns where it went.
LzhufCode::Node LzhufCode::Promote(Node node)
{
    const std::uint16_t count = count_[node];
    Node last = node + 1;
    while (count > count_[last + 1]) {
        ++last;
    }
    count_[node] = count_[last];
    count_[last] = count;
    const Node moving = child_[node];
    SetChild(node, child_[last]);
    SetChild(last, moving);
    return last;
}

// Every leaf's count is halved, rounding up, and the tree is paired anew.
void LzhufCode::Rebuild()
{
    Node leaves = 0;
    for (Node node = 0; node < NodeCount; ++node) {
        if (IsLeaf(node)) {
            count_[leaves] = static_cast<std::uint16_t>((count_[node] + 1) / 2);
            child_[leaves] = child_[node];
            ++leaves;
        }
    }
    // Each new node goes after the last one whose count is no larger.
    for (Node node = SymbolCount, first = 0; node < NodeCount; ++node, first += 2) {
        const auto count = static_cast<std::uint16_t>(count_[first] + count_[first + 1]);
        Node slot = node;
        while (count < count_[slot - 1]) {
            --slot;
        }
        const auto begin = static_cast<std::ptrdiff_t>(slot);
        const auto end = static_cast<std::ptrdiff_t>(node);
        std::copy_backward(count_.begin() + begin, count_.begin() + end, count_.begin() + end + 1);
        std::copy_backward(child_.begin() + begin, child_.begin() + end, child_.begin() + end + 1);
        count_[slot] = count;
        child_[slot] = first;
    }
    for (Node node = 0; node < NodeCount; ++node) {
        SetChild(node, child_[node]);
    }
}

class TelediskStream::Decoder {
public:
    Decoder(ByteSource& source, std::uint64_t offset, std::size_t limit)
        : bits_(source, offset), limit_(limit)
    {
        ring_.fill(RingFill);
    }

    // Decodes until `end` bytes are there, the limit is reached or the
    // input is spent.
    const std::vector<unsigned char>& DecodeTo(std::uint64_t end)
    {
        const std::size_t goal = end < limit_ ? static_cast<std::size_t>(end) : limit_;
        while (!spent_ && decoded_.size() < goal) {
            spent_ = !DecodeSymbol();
        }
        return decoded_;
    }

private:
    // False once the input is spent or the limit reached.
    bool DecodeSymbol()
    {
        const int symbol = ReadSymbol(code_, bits_);
        if (symbol < 0) {
            return false;
        }
        if (symbol <= 0xFF) {
            Put(static_cast<unsigned char>(symbol));
            return decoded_.size() < limit_;
        }
        const int distance = ReadDistance(bits_);
        if (distance < 0) {
            return false;
        }
        std::size_t from = (next_ + RingSize - static_cast<std::size_t>(distance) - 1) % RingSize;
        for (int left = symbol - LzhufCode::CopyBase; left > 0 && decoded_.size() < limit_;
             --left) {
            Put(ring_[from]);
            from = (from + 1) % RingSize;
        }
        return decoded_.size() < limit_;
    }

    void Put(unsigned char byte)
    {
        ring_[next_] = byte;
        next_ = (next_ + 1) % RingSize;
        decoded_.push_back(byte);
    }

    BitReader bits_;
    LzhufCode code_;
    std::array<unsigned char, RingSize> ring_{};
    std::size_t next_ = RingStart;
    std::vector<unsigned char> decoded_;
    std::size_t limit_;
    bool spent_ = false;
};

TelediskStream::TelediskStream(ByteSource& source, std::uint64_t offset, std::size_t limit)
    : decoder_(std::make_unique<Decoder>(source, offset, limit))
{
}

TelediskStream::~TelediskStream() = default;

std::size_t TelediskStream::ReadAt(std::uint64_t offset, unsigned char* dest, std::size_t count)
{
    const std::uint64_t end = count > UINT64_MAX - offset ? UINT64_MAX : offset + count;
    const std::vector<unsigned char>& decoded = decoder_->DecodeTo(end);
    if (offset >= decoded.size()) {
        return 0;
    }
    const std::size_t copied = std::min(count, decoded.size() - static_cast<std::size_t>(offset));
    std::copy_n(decoded.begin() + static_cast<std::ptrdiff_t>(offset), copied, dest);
    return copied;
}

std::uint64_t TelediskStream::Size() const
{
    return decoder_->DecodeTo(UINT64_MAX).size();
}
