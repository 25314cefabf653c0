// Sends standard output to the null device while the object lives, then
// back where it went before: the tool's progress messages stay out of the
// benchmark's report, which goes to the same standard output.
#pragma once

class SilencedStdout {
public:
    SilencedStdout();
    ~SilencedStdout();
    SilencedStdout(const SilencedStdout&) = delete;
    SilencedStdout& operator=(const SilencedStdout&) = delete;

    // False when standard output could not be redirected (it is then left
    // as it was).
    [[nodiscard]] bool IsSilenced() const { return savedDescriptor_ >= 0; }

private:
    int savedDescriptor_ = -1;
};
