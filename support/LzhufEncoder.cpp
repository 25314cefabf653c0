#include "LzhufEncoder.h"

#include "TelediskLzhuf.h"

namespace {

class BitWriter {
public:
    void Put(unsigned value, int count)
    {
        for (int i = count - 1; i >= 0; --i) {
            if (used_ == 8) {
                bytes_.push_back(0);
                used_ = 0;
            }
            if (((value >> i) & 1U) != 0) {
                bytes_.back() = static_cast<std::uint8_t>(bytes_.back() | (0x80U >> used_));
            }
            ++used_;
        }
    }
    Bytes Take() { return std::move(bytes_); }

private:
    Bytes bytes_;
    int used_ = 8;
};

// A distance's upper six bits get a canonical prefix: `values` upper values
// in a row with prefixes of `length` bits, each run following on from the
// last prefix of the run before.
struct PrefixRun {
    int length;
    unsigned values;
};
constexpr PrefixRun PrefixRuns[] = {{3, 1}, {4, 3}, {5, 8}, {6, 12}, {7, 24}, {8, 16}};

void PutDistance(BitWriter& out, unsigned distance)
{
    unsigned upper = distance >> 6;
    unsigned prefix = 0;
    for (const PrefixRun& run : PrefixRuns) {
        if (upper < run.values) {
            out.Put(prefix + upper, run.length);
            out.Put(distance & 0x3FU, 6);
            return;
        }
        upper -= run.values;
        prefix = (prefix + run.values) << 1;
    }
}

}  // namespace

Bytes EncodeLzhuf(const std::vector<LzhufToken>& tokens)
{
    LzhufCode code;
    BitWriter out;
    for (const LzhufToken& token : tokens) {
        const int symbol = token.length == 0 ? token.byte : LzhufCode::CopyBase + token.length;
        for (const int bit : code.CodeOf(symbol)) {
            out.Put(static_cast<unsigned>(bit), 1);
        }
        code.Update(symbol);
        if (token.length != 0) {
            PutDistance(out, token.distance);
        }
    }
    return out.Take();
}

Bytes EncodeLzhufLiterals(const Bytes& bytes)
{
    std::vector<LzhufToken> tokens(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        tokens[i].byte = bytes[i];
    }
    return EncodeLzhuf(tokens);
}
