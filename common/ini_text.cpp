#include "common/ini_text.h"

#include <vector>

namespace kelvora::ini
{

namespace
{

unsigned char foldCase(unsigned char c)
{
    if (c >= 'A' && c <= 'Z')
        return static_cast<unsigned char>(c + 0x20);
    // Windows-1252 capitals: À..Þ except ×, and Š Œ Ž Ÿ.
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return static_cast<unsigned char>(c + 0x20);
    switch (c) {
    case 0x8A:
        return 0x9A;
    case 0x8C:
        return 0x9C;
    case 0x8E:
        return 0x9E;
    case 0x9F:
        return 0xFF;
    default:
        return c;
    }
}

// A stray CR (a lone one, or one doubled before LF) is as blank as a space around names.
bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

enum class Kind { Other, Section, Key };

// One line of the text: [begin, end) is its content, next is where the following line
// starts (after its CR LF or LF).
struct Line {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::size_t next = 0;
    Kind kind = Kind::Other;
    std::string_view name;      // section or key name, trimmed
    std::size_t valueBegin = 0; // Key: first byte of the value after the blanks after '='
};

std::vector<Line> splitLines(std::string_view text)
{
    std::vector<Line> lines;
    std::size_t pos = 0;
    // A UTF-8 byte order mark is not part of the first line's name.
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        pos = 3;
    while (pos < text.size()) {
        std::size_t nl = text.find('\n', pos);
        std::size_t next = nl == std::string_view::npos ? text.size() : nl + 1;
        std::size_t end = nl == std::string_view::npos ? text.size() : nl;
        if (end > pos && text[end - 1] == '\r')
            --end;
        Line line;
        line.begin = pos;
        line.end = end;
        line.next = next;
        std::string_view content = text.substr(pos, end - pos);
        std::string_view trimmed = trim(content);
        if (!trimmed.empty() && trimmed.front() == '[') {
            line.kind = Kind::Section;
            std::string_view inner = trimmed.substr(1);
            std::size_t close = inner.find(']');
            line.name = trim(inner.substr(0, close));
        } else if (!trimmed.empty() && trimmed.front() != ';') {
            std::size_t eq = content.find('=');
            if (eq != std::string_view::npos) {
                line.kind = Kind::Key;
                line.name = trim(content.substr(0, eq));
                std::size_t v = pos + eq + 1;
                while (v < end && isBlank(text[v]))
                    ++v;
                line.valueBegin = v;
            }
        }
        lines.push_back(line);
        pos = next;
    }
    return lines;
}

// The first matching section: its header line and the index just past its last line.
struct SectionRange {
    std::size_t header;
    std::size_t last;
};

std::optional<SectionRange> findSection(const std::vector<Line>& lines, std::string_view section)
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind != Kind::Section || !sameName(lines[i].name, section))
            continue;
        std::size_t j = i + 1;
        while (j < lines.size() && lines[j].kind != Kind::Section)
            ++j;
        return SectionRange{i, j};
    }
    return std::nullopt;
}

std::string_view lineEnding(std::string_view text)
{
    std::size_t nl = text.find('\n');
    if (nl == std::string_view::npos)
        return "\r\n"; // a new or one-line file gets the Windows convention
    return nl > 0 && text[nl - 1] == '\r' ? "\r\n" : "\n";
}

bool hasLineBreakOrNul(std::string_view s)
{
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

} // namespace

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (foldCase(static_cast<unsigned char>(a[i])) !=
            foldCase(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

std::optional<std::string> IniText::value(std::string_view section, std::string_view key) const
{
    const auto lines = splitLines(bytes_);
    const auto range = findSection(lines, section);
    if (!range)
        return std::nullopt;
    for (std::size_t i = range->header + 1; i < range->last; ++i) {
        const Line& line = lines[i];
        if (line.kind != Kind::Key || !sameName(line.name, key))
            continue;
        std::string_view v =
            trim(std::string_view(bytes_).substr(line.valueBegin, line.end - line.valueBegin));
        if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
            v = v.substr(1, v.size() - 2);
        return std::string(v);
    }
    return std::nullopt;
}

bool IniText::setValue(std::string_view section, std::string_view key, std::string_view value)
{
    if (section.empty() || trim(section) != section || hasLineBreakOrNul(section) ||
        section.find(']') != std::string_view::npos)
        return false;
    if (key.empty() || trim(key) != key || hasLineBreakOrNul(key) ||
        key.find('=') != std::string_view::npos || key.front() == '[' || key.front() == ';')
        return false;
    if (hasLineBreakOrNul(value))
        return false;

    const std::string eol(lineEnding(bytes_));
    const auto lines = splitLines(bytes_);
    const auto range = findSection(lines, section);
    if (!range) {
        if (!bytes_.empty() && bytes_.back() != '\n')
            bytes_ += eol;
        bytes_ += '[';
        bytes_ += section;
        bytes_ += ']';
        bytes_ += eol;
        bytes_ += key;
        bytes_ += '=';
        bytes_ += value;
        bytes_ += eol;
        return true;
    }

    std::size_t lastKey = range->header;
    for (std::size_t i = range->header + 1; i < range->last; ++i) {
        const Line& line = lines[i];
        if (line.kind != Kind::Key)
            continue;
        if (sameName(line.name, key)) {
            bytes_.replace(line.valueBegin, line.end - line.valueBegin, value);
            return true;
        }
        lastKey = i;
    }

    // New key after the section's last key, so comments heading the next section stay there.
    const Line& after = lines[lastKey];
    std::string added = std::string(key) + '=' + std::string(value);
    // The last line of a text may lack its line feed (or end in a lone CR): break it first.
    const bool terminated = after.next > 0 && bytes_[after.next - 1] == '\n';
    if (!terminated)
        bytes_.insert(after.next, eol + added);
    else
        bytes_.insert(after.next, added + eol);
    return true;
}

} // namespace kelvora::ini
