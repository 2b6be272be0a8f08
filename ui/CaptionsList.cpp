#include "ui/CaptionsList.h"

#include "foundation/CommonUtils.h"
#include "foundation/Cp1251.h"
#include "foundation/ExceptionGuard.h"
#include "foundation/Resources.h"
#include "foundation/TextUtils.h"

namespace zorv {
namespace {

const char kSectionName[] = "Caption Strings";
// What a missing key gives; the window shows it in place of the text.
const char kMissingCaption[] = "....";

bool SameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() && AnsiUpperCase(a) == AnsiUpperCase(b);
}

}  // namespace

const char kCaptionsResource[] = "ZORVGSMDEMOCAPTIONS";

std::unique_ptr<TCaptionsList> CaptionsList;

TCaptionsList::TCaptionsList(IResourceSource& Resources) {
    Guarded("TCaptionsList.Create", [&] {
        FStore = std::make_unique<std::vector<TSection>>();
        std::string bytes;
        if (Resources.Load(kCaptionsResource, bytes)) *FStore = Parse(UntilNul(bytes));
    });
}

std::vector<TCaptionsList::TSection> TCaptionsList::Parse(const std::string& Text) {
    std::vector<TSection> sections;
    for (const std::string& raw : SplitLines(Text)) {
        const std::string line = TrimControl(raw);
        if (line.empty() || line[0] == ';') continue;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            sections.push_back({TrimControl(line.substr(1, line.size() - 2)), {}});
            continue;
        }
        if (sections.empty()) continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos) {
            sections.back().Entries.push_back({line, "", false});
        } else {
            sections.back().Entries.push_back(
                {TrimControl(line.substr(0, eq)), TrimControl(line.substr(eq + 1)), true});
        }
    }
    return sections;
}

void TCaptionsList::GetCaptionString(const std::string& Ident, std::string& Caption) const {
    Guarded("TCaptionsList.GetCaptionString", [&] {
        Caption.clear();
        if (Ident.empty() || !FStore) return;
        Caption = kMissingCaption;
        for (const TSection& section : *FStore) {
            if (!SameText(section.Name, kSectionName)) continue;
            for (const TEntry& entry : section.Entries) {
                if (entry.HasValue && SameText(entry.Key, Ident)) {
                    Caption = entry.Value;
                    break;
                }
            }
            break;
        }
        if (Caption == kMissingCaption) AddErrorLog("TCaptionsList: Unable to find string for StringIdent " + Ident);
    });
}

void GetCaption(const std::string& Ident, std::string& Caption) {
    Guarded("CaptionsList.GetCaption", [&] {
        if (CaptionsList) {
            CaptionsList->GetCaptionString(Ident, Caption);
        } else {
            Caption.clear();
        }
    });
}

}  // namespace zorv
