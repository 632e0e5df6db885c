#include "HelpChmParsers.h"

#include <QString>

#include <algorithm>
#include <cctype>

namespace tavorim {

namespace {

std::uint32_t readLittle(std::string_view bytes, std::size_t pos, std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < size; ++i)
        value |= std::uint32_t(static_cast<unsigned char>(bytes[pos + i])) << (8 * i);
    return value;
}

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return lowerAscii(x) == lowerAscii(y);
           });
}

std::string textUpToNul(std::string_view data) {
    return std::string(data.substr(0, data.find('\0')));
}

// Appends the UTF-8 form of a character reference; ignores values that are no character.
void appendCharacter(std::string &out, std::uint32_t code) {
    if (code == 0 || code > QChar::LastValidCodePoint || QChar::isSurrogate(code))
        return;
    const char32_t character = code;
    out += QString::fromUcs4(&character, 1).toStdString();
}

std::string decodeEntities(std::string_view text) {
    static constexpr std::pair<std::string_view, char> named[] = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    std::string out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const char c = text[pos];
        // Entities are short: look for the ";" only nearby.
        const std::size_t near = c == '&' ? text.substr(pos, 12).find(';') : std::string_view::npos;
        const std::size_t semi = near == std::string_view::npos ? near : pos + near;
        if (semi == std::string_view::npos) {
            out += c;
            ++pos;
            continue;
        }
        const std::string_view entity = text.substr(pos + 1, semi - pos - 1);
        bool done = false;
        if (entity.size() > 1 && entity[0] == '#') {
            const bool hex = entity[1] == 'x' || entity[1] == 'X';
            const std::string_view digits = entity.substr(hex ? 2 : 1);
            std::uint32_t code = 0;
            bool valid = !digits.empty();
            for (const char d : digits) {
                const int value = std::isdigit(static_cast<unsigned char>(d)) ? d - '0'
                                  : hex && std::isxdigit(static_cast<unsigned char>(d))
                                      ? lowerAscii(d) - 'a' + 10
                                      : -1;
                if (value < 0 || code > 0x10FFFF) {
                    valid = false;
                    break;
                }
                code = code * (hex ? 16 : 10) + std::uint32_t(value);
            }
            if (valid) {
                appendCharacter(out, code);
                done = true;
            }
        } else {
            for (const auto &[name, ch] : named) {
                if (equalsNoCase(entity, name)) {
                    out += ch;
                    done = true;
                    break;
                }
            }
        }
        if (done) {
            pos = semi + 1;
        } else {
            out += c;
            ++pos;
        }
    }
    return out;
}

// One tag of the sitemap: its lower-case name (with a leading "/" when closing) and its
// attributes with lower-case names.
struct Tag {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;

    std::string attribute(std::string_view key) const {
        for (const auto &[k, v] : attributes)
            if (k == key)
                return v;
        return {};
    }
};

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

// Reads the tag whose "<" is at pos; returns the position after its ">" (or the end).
std::size_t readTag(std::string_view html, std::size_t pos, Tag &tag) {
    std::size_t i = pos + 1;
    const std::size_t n = html.size();
    while (i < n && !isSpace(html[i]) && html[i] != '>' && !(html[i] == '/' && i > pos + 1))
        tag.name += lowerAscii(html[i++]);
    while (i < n && html[i] != '>') {
        if (isSpace(html[i]) || html[i] == '/') {
            ++i;
            continue;
        }
        std::string key;
        while (i < n && !isSpace(html[i]) && html[i] != '=' && html[i] != '>')
            key += lowerAscii(html[i++]);
        while (i < n && isSpace(html[i]))
            ++i;
        std::string value;
        if (i < n && html[i] == '=') {
            ++i;
            while (i < n && isSpace(html[i]))
                ++i;
            if (i < n && (html[i] == '"' || html[i] == '\'')) {
                const char quote = html[i++];
                const std::size_t end = std::min(html.find(quote, i), n);
                value = decodeEntities(html.substr(i, end - i));
                i = end < n ? end + 1 : n;
            } else {
                const std::size_t start = i;
                while (i < n && !isSpace(html[i]) && html[i] != '>')
                    ++i;
                value = decodeEntities(html.substr(start, i - start));
            }
        }
        if (!key.empty())
            tag.attributes.emplace_back(std::move(key), std::move(value));
    }
    return i < n ? i + 1 : n;
}

// The entries "#IVB" holds: as many whole entries as both its size field and its length allow.
std::size_t ivbEntryCount(std::string_view bytes) {
    if (bytes.size() < 4)
        return 0;
    return std::min<std::size_t>(readLittle(bytes, 0, 4), bytes.size() - 4) / 8;
}

ContextEntry ivbEntry(std::string_view bytes, std::size_t index) {
    const std::size_t pos = 4 + 8 * index;
    return {readLittle(bytes, pos, 4), readLittle(bytes, pos + 4, 4)};
}

struct FlatEntry {
    std::string name;
    std::string local;
    int parent;
};

void attachChildren(std::vector<SitemapEntry> &into, int parent, const std::vector<FlatEntry> &flat,
                    const std::vector<std::vector<int>> &children, int depth) {
    const std::vector<int> &list =
        parent < 0 ? children.back() : children[static_cast<std::size_t>(parent)];
    for (const int index : list) {
        const FlatEntry &entry = flat[static_cast<std::size_t>(index)];
        into.push_back(SitemapEntry{entry.name, entry.local, {}});
        if (depth < MaxSitemapDepth)
            attachChildren(into.back().children, index, flat, children, depth + 1);
    }
}

} // namespace

bool archiveNameLess(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(lowerAscii(x)) <
               static_cast<unsigned char>(lowerAscii(y));
    });
}

std::optional<SystemInfo> parseSystemFile(std::string_view bytes) {
    if (bytes.size() < 4)
        return std::nullopt;
    SystemInfo info;
    std::size_t pos = 4;
    while (bytes.size() - pos >= 4) {
        const std::uint32_t code = readLittle(bytes, pos, 2);
        const std::size_t length = readLittle(bytes, pos + 2, 2);
        pos += 4;
        if (length > bytes.size() - pos)
            break;
        const std::string_view data = bytes.substr(pos, length);
        pos += length;
        switch (code) {
        case 0:
            info.contentsFile = textUpToNul(data);
            break;
        case 1:
            info.indexFile = textUpToNul(data);
            break;
        case 2:
            info.defaultTopic = textUpToNul(data);
            break;
        case 3:
            info.title = textUpToNul(data);
            break;
        default:
            break;
        }
    }
    return info;
}

std::vector<ContextEntry> parseIvbFile(std::string_view bytes) {
    std::vector<ContextEntry> entries;
    const std::size_t count = ivbEntryCount(bytes);
    entries.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        entries.push_back(ivbEntry(bytes, i));
    return entries;
}

std::optional<std::string> stringAt(std::string_view strings, std::uint32_t offset) {
    if (offset >= strings.size())
        return std::nullopt;
    const std::size_t end = strings.find('\0', offset);
    if (end == std::string_view::npos)
        return std::nullopt;
    return std::string(strings.substr(offset, end - offset));
}

std::optional<std::string> matchArchivePath(std::string_view alias,
                                            const std::vector<std::string> &archiveFiles) {
    std::string path(alias);
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.empty())
        return std::nullopt;
    if (path.front() != '/')
        path.insert(path.begin(), '/');
    const std::string *best = nullptr;
    for (const std::string &file : archiveFiles) {
        if (file.size() < 2 || file.front() != '/' || file.size() > path.size())
            continue;
        if (!equalsNoCase(std::string_view(path).substr(path.size() - file.size()), file))
            continue;
        if (!best || file.size() > best->size())
            best = &file;
    }
    if (!best)
        return std::nullopt;
    return *best;
}

std::optional<std::string> topicForContext(std::string_view ivb, std::string_view strings,
                                           std::uint32_t context,
                                           const std::vector<std::string> &archiveFiles) {
    // Scanned in place: the map is read once per lookup, never copied.
    const std::size_t count = ivbEntryCount(ivb);
    for (std::size_t i = 0; i < count; ++i) {
        const ContextEntry entry = ivbEntry(ivb, i);
        if (entry.context != context)
            continue;
        if (const auto alias = stringAt(strings, entry.stringOffset))
            return matchArchivePath(*alias, archiveFiles);
        return std::nullopt;
    }
    return std::nullopt;
}

std::vector<SitemapEntry> parseSitemap(std::string_view html) {
    std::vector<FlatEntry> flat;
    std::vector<int> levels; // the parent of each open list
    int ignoredLevels = 0;   // lists opened beyond the depth limit
    int lastAtLevel = -1;    // the last entry of the innermost open list
    bool inObject = false;
    FlatEntry pending;
    std::size_t pos = 0;
    while (pos < html.size() && flat.size() < MaxSitemapEntries) {
        const std::size_t open = html.find('<', pos);
        if (open == std::string_view::npos)
            break;
        if (html.substr(open, 4) == "<!--") {
            const std::size_t end = html.find("-->", open + 4);
            pos = end == std::string_view::npos ? html.size() : end + 3;
            continue;
        }
        Tag tag;
        pos = readTag(html, open, tag);
        if (tag.name == "ul") {
            if (static_cast<int>(levels.size()) >= MaxSitemapDepth) {
                ++ignoredLevels;
            } else {
                // A list that follows no entry of its own level hangs where that level does.
                levels.push_back(lastAtLevel >= 0 ? lastAtLevel
                                                  : (levels.empty() ? -1 : levels.back()));
                lastAtLevel = -1;
            }
        } else if (tag.name == "/ul") {
            if (ignoredLevels > 0) {
                --ignoredLevels;
            } else if (!levels.empty()) {
                lastAtLevel = levels.back();
                levels.pop_back();
            }
        } else if (tag.name == "object") {
            inObject = equalsNoCase(tag.attribute("type"), "text/sitemap");
            pending = FlatEntry{};
        } else if (tag.name == "param" && inObject) {
            const std::string key = tag.attribute("name");
            if (equalsNoCase(key, "name") && pending.name.empty())
                pending.name = tag.attribute("value");
            else if (equalsNoCase(key, "local") && pending.local.empty())
                pending.local = tag.attribute("value");
        } else if (tag.name == "/object" && inObject) {
            inObject = false;
            pending.parent = levels.empty() ? -1 : levels.back();
            flat.push_back(std::move(pending));
            lastAtLevel = static_cast<int>(flat.size()) - 1;
        }
    }
    // children[i] lists the entries under entry i; the last list holds the top level.
    std::vector<std::vector<int>> children(flat.size() + 1);
    for (std::size_t i = 0; i < flat.size(); ++i) {
        const int parent = flat[i].parent;
        (parent < 0 ? children.back() : children[static_cast<std::size_t>(parent)])
            .push_back(static_cast<int>(i));
    }
    std::vector<SitemapEntry> tree;
    attachChildren(tree, -1, flat, children, 1);
    return tree;
}

std::string archivePathFromLocal(std::string_view local) {
    const std::size_t separator = local.find("::");
    if (separator != std::string_view::npos)
        local.remove_prefix(separator + 2);
    const std::size_t fragment = local.find('#');
    if (fragment != std::string_view::npos)
        local = local.substr(0, fragment);
    std::string path(local);
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.empty() || path.front() != '/')
        path.insert(path.begin(), '/');
    return path;
}

} // namespace tavorim
