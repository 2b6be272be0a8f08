#include "ui/Markup.h"

#include <algorithm>

namespace zorv {
namespace {

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string AsciiUpper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

int HexValue(char c) {
    if (IsAsciiDigit(c)) return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// "#RRGGBB" (the "#" may be missing); false for anything else.
bool ParseColor(const std::string& text, uint32_t& rgb) {
    const size_t start = !text.empty() && text[0] == '#' ? 1 : 0;
    if (text.size() != start + 6) return false;
    uint32_t value = 0;
    for (size_t i = start; i < text.size(); ++i) {
        const int digit = HexValue(text[i]);
        if (digit < 0) return false;
        value = value * 16 + static_cast<uint32_t>(digit);
    }
    rgb = value;
    return true;
}

struct TTag {
    bool Closing = false;
    std::string Name;  // upper case
    bool HasColor = false;
    uint32_t Color = 0;
};

// The colour attribute of a tag's remainder: name = value pairs, the value bare
// or in single or double quotes.
void ParseAttributes(const std::string& text, size_t pos, TTag& tag) {
    while (pos < text.size()) {
        while (pos < text.size() && (IsBlank(text[pos]) || text[pos] == '/')) ++pos;
        const size_t nameStart = pos;
        while (pos < text.size() && !IsBlank(text[pos]) && text[pos] != '=') ++pos;
        const std::string name = AsciiUpper(text.substr(nameStart, pos - nameStart));
        while (pos < text.size() && IsBlank(text[pos])) ++pos;
        if (pos >= text.size() || text[pos] != '=') continue;
        ++pos;
        while (pos < text.size() && IsBlank(text[pos])) ++pos;
        std::string value;
        if (pos < text.size() && (text[pos] == '"' || text[pos] == '\'')) {
            const char quote = text[pos++];
            const size_t end = text.find(quote, pos);
            value = text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
            pos = end == std::string::npos ? text.size() : end + 1;
        } else {
            const size_t valueStart = pos;
            while (pos < text.size() && !IsBlank(text[pos])) ++pos;
            value = text.substr(valueStart, pos - valueStart);
        }
        if (name == "COLOR") tag.HasColor = ParseColor(value, tag.Color);
    }
}

// The text between "<" and ">"; false when it is not a tag at all.
bool ParseTag(const std::string& content, TTag& tag) {
    size_t pos = 0;
    tag.Closing = !content.empty() && content[0] == '/';
    if (tag.Closing) ++pos;
    if (pos >= content.size() || !IsAsciiLetter(content[pos])) return false;
    const size_t nameStart = pos;
    while (pos < content.size() && (IsAsciiLetter(content[pos]) || IsAsciiDigit(content[pos]))) ++pos;
    if (pos < content.size() && !IsBlank(content[pos]) && content[pos] != '/') return false;
    tag.Name = AsciiUpper(content.substr(nameStart, pos - nameStart));
    ParseAttributes(content, pos, tag);
    return true;
}

class TMarkupParser {
public:
    explicit TMarkupParser(const std::string& markup) : FMarkup(markup) { FLines.emplace_back(); }

    std::vector<TMarkupLine> Run() {
        size_t pos = 0;
        while (pos < FMarkup.size()) {
            if (FMarkup[pos] == '<' && TryTag(pos)) continue;
            const size_t end = std::min(FMarkup.find('<', pos + 1), FMarkup.size());
            AddText(pos, end);
            pos = end;
        }
        return std::move(FLines);
    }

private:
    // A tag runs from "<" to the next ">", with no other "<" inside. The next
    // "<" and ">" are remembered, so a text of many "<" stays linear.
    bool TryTag(size_t& pos) {
        if (FNextGt != std::string::npos && FNextGt <= pos) FNextGt = FMarkup.find('>', pos + 1);
        if (FNextGt == std::string::npos) return false;
        if (FNextLt <= pos) FNextLt = FMarkup.find('<', pos + 1);
        if (FNextLt < FNextGt) return false;
        TTag tag;
        if (!ParseTag(FMarkup.substr(pos + 1, FNextGt - pos - 1), tag)) return false;
        Apply(tag);
        pos = FNextGt + 1;
        return true;
    }

    void Apply(const TTag& tag) {
        if (tag.Name == "BR") {
            if (!tag.Closing) FLines.emplace_back();
        } else if (tag.Name == "B") {
            if (!tag.Closing) {
                ++FBoldDepth;
            } else if (FBoldDepth > 0) {
                --FBoldDepth;
            }
        } else if (tag.Name == "FONT") {
            if (!tag.Closing) {
                TTextRun style = CurrentStyle();
                if (tag.HasColor) {
                    style.HasColor = true;
                    style.Color = tag.Color;
                }
                FColors.push_back(style);
            } else if (!FColors.empty()) {
                FColors.pop_back();
            }
        }
    }

    TTextRun CurrentStyle() const {
        TTextRun style = FColors.empty() ? TTextRun{} : FColors.back();
        style.Bold = FBoldDepth > 0;
        return style;
    }

    void AddText(size_t begin, size_t end) {
        TMarkupLine& line = FLines.back();
        const TTextRun style = CurrentStyle();
        if (line.empty() || !line.back().SameStyle(style)) line.push_back(style);
        std::string& text = line.back().Text;
        for (size_t i = begin; i < end; ++i) text += IsBlank(FMarkup[i]) ? ' ' : FMarkup[i];
    }

    const std::string& FMarkup;
    std::vector<TMarkupLine> FLines;
    size_t FBoldDepth = 0;
    // One entry per open FONT tag: the colour inside it (its own, or the one around it).
    std::vector<TTextRun> FColors;
    size_t FNextGt = 0;
    size_t FNextLt = 0;
};

}  // namespace

std::vector<TMarkupLine> ParseMarkup(const std::string& Markup) { return TMarkupParser(Markup).Run(); }

std::string PlainText(const std::vector<TMarkupLine>& Lines) {
    std::string text;
    for (const TMarkupLine& line : Lines) {
        if (line.empty()) continue;
        if (!text.empty()) text += '\n';
        for (const TTextRun& run : line) text += run.Text;
    }
    return text;
}

}  // namespace zorv
