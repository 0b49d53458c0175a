// Counts the calls this program makes into chosen system libraries, by patching its import table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lvxbench {

// Every function the executable imports from the named libraries (e.g. "user32.dll") is routed
// through a small counting thunk. Calls that the libraries make among themselves are not seen:
// the figure is how many times our code asks the platform. 64-bit builds only.
class ApiCallCounter {
public:
    struct Entry {
        std::string Library;
        std::string Function;
        uint64_t Calls = 0;
    };

    // Returns false when the import table could not be patched.
    bool Install(const std::vector<std::string>& libraries);
    void Reset();
    [[nodiscard]] uint64_t Total() const;
    // The functions called since the last Reset, most called first.
    [[nodiscard]] std::vector<Entry> Called() const;

private:
    struct Hook {
        std::string Library;
        std::string Function;
        volatile uint64_t* Counter;
    };
    std::vector<Hook> hooks_;
    uint64_t* counters_ = nullptr;
};

}  // namespace lvxbench
