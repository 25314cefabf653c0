// Teledisk's advanced compression: LZSS over a ring of 4,096 bytes, its
// literals and copy lengths coded with an adaptive Huffman code, as in
// Okumura and Yoshizaki's LZHUF (1988) but with no length in front and the
// whole ring filled with spaces at the start. No well-kept library decodes
// Teledisk's variant, hence this unit.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "ByteSource.h"

// The stream from `offset` to the end of `source`, decoded as far as it is
// read, to at most `limit` bytes. The stream has no end code: it ends at the
// limit or after the last symbol the input holds whole, and the reader of
// the decoded bytes tells whether they are complete. Decoding no further
// than the reader asks keeps a stream that goes wrong early cheap: noise
// decodes to about six times its size.
class TelediskStream final : public ByteSource {
public:
    TelediskStream(ByteSource& source, std::uint64_t offset, std::size_t limit);
    ~TelediskStream() override;
    TelediskStream(const TelediskStream&) = delete;
    TelediskStream& operator=(const TelediskStream&) = delete;

    std::size_t ReadAt(std::uint64_t offset, unsigned char* dest, std::size_t count) override;
    // Decodes the whole stream to count it.
    [[nodiscard]] std::uint64_t Size() const override;

private:
    class Decoder;
    std::unique_ptr<Decoder> decoder_;
};

// The adaptive code of LZHUF's symbols: 0..255 are bytes, 256..313 copies of
// 3..60 bytes. Encoder and decoder keep it in step by updating it with each
// symbol. (Public for the encoder that writes test images.)
class LzhufCode {
public:
    static constexpr int SymbolCount = 314;
    // A symbol above 255 copies (symbol - CopyBase) bytes.
    static constexpr int CopyBase = 253;
    // The tree is a table of nodes sorted by count, the root last.
    using Node = std::size_t;
    static constexpr Node NodeCount = 2 * SymbolCount - 1;
    static constexpr Node Root = NodeCount - 1;

    LzhufCode();

    // A node is a leaf or the parent of two nodes next to each other.
    [[nodiscard]] bool IsLeaf(Node node) const { return child_[node] >= NodeCount; }
    [[nodiscard]] int SymbolAt(Node leaf) const
    {
        return static_cast<int>(child_[leaf] - NodeCount);
    }
    [[nodiscard]] Node Child(Node node, int bit) const
    {
        return child_[node] + static_cast<Node>(bit);
    }
    // The bits of the symbol's code, root first.
    [[nodiscard]] std::vector<int> CodeOf(int symbol) const;

    // Counts one more `symbol`, moving nodes to keep the counts sorted.
    void Update(int symbol);

private:
    static Node LeafEntry(int symbol) { return NodeCount + static_cast<Node>(symbol); }
    void SetChild(Node node, Node child);
    Node Promote(Node node);
    void Rebuild();

    // Counts, and above the root's a sentinel that no count reaches.
    std::array<std::uint16_t, NodeCount + 1> count_{};
    // NodeCount + its symbol for a leaf, its first child for an inner node.
    std::array<Node, NodeCount> child_{};
    // The parent of each node, then the leaf of each symbol.
    std::array<Node, NodeCount + SymbolCount> parent_{};
};
