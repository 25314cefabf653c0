// Sends standard output and standard error to the null device while the
// object lives, then back where they went before: the tool's messages stay
// out of the benchmark's report, which goes to the same streams.
#pragma once

class SilencedConsole {
public:
    SilencedConsole();
    ~SilencedConsole();
    SilencedConsole(const SilencedConsole&) = delete;
    SilencedConsole& operator=(const SilencedConsole&) = delete;

    // False when the streams could not be redirected (they are then left as
    // they were).
    [[nodiscard]] bool IsSilenced() const { return savedOut_ >= 0 && savedErr_ >= 0; }

private:
    int savedOut_ = -1;
    int savedErr_ = -1;
};
