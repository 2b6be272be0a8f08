#pragma once
// The caption strings of the window, parsed once from the program's resource.
#include <memory>
#include <string>
#include <vector>

namespace zorv {

class IResourceSource;

extern const char kCaptionsResource[];  // "ZORVGSMDEMOCAPTIONS"

class TCaptionsList {
public:
    explicit TCaptionsList(IResourceSource& Resources);  // Create: builds the store from the resource
    void GetCaptionString(const std::string& Ident, std::string& Caption) const;

    struct TEntry {
        std::string Key;
        std::string Value;
        // A line without "=" is kept as an entry that no lookup finds.
        bool HasValue = true;
    };
    struct TSection {
        std::string Name;
        std::vector<TEntry> Entries;
    };

    // Builds a store from caption text (the resource's bytes).
    static std::vector<TSection> Parse(const std::string& Text);

private:
    std::unique_ptr<std::vector<TSection>> FStore;
};

// The program's one caption list, or none.
extern std::unique_ptr<TCaptionsList> CaptionsList;

// Forwards to CaptionsList; empty text while it does not exist.
void GetCaption(const std::string& Ident, std::string& Caption);

}  // namespace zorv
