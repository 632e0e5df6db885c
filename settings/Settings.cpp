#include "Settings.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace tavorim {

namespace {

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string lowered(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

std::string quoted(std::string_view text) {
    return "« " + std::string(text) + " »";
}

// Whether the text is UTF-8 without control characters: what a person types in an editor.
bool isReadableText(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t length = 1;
        if (c < 0x20 && c != '\t')
            return false;
        if (c == 0x7F)
            return false;
        if (c >= 0x80) {
            if (c >= 0xC2 && c <= 0xDF)
                length = 2;
            else if (c >= 0xE0 && c <= 0xEF)
                length = 3;
            else if (c >= 0xF0 && c <= 0xF4)
                length = 4;
            else
                return false;
            if (i + length > text.size())
                return false;
            for (std::size_t k = 1; k < length; ++k) {
                if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                    return false;
            }
        }
        i += length;
    }
    return true;
}

std::optional<bool> booleanValue(std::string_view value) {
    const std::string word = lowered(value);
    for (const char *yes : {"on", "yes", "true", "1", "oui"}) {
        if (word == yes)
            return true;
    }
    for (const char *no : {"off", "no", "false", "0", "non"}) {
        if (word == no)
            return false;
    }
    return std::nullopt;
}

std::optional<int> levelValue(std::string_view value) {
    const std::string word = lowered(value);
    const std::array<std::array<const char *, 2>, 3> names = {
        {{"i", "1"}, {"ii", "2"}, {"iii", "3"}}};
    for (std::size_t level = 0; level < names.size(); ++level) {
        if (word == names[level][0] || word == names[level][1])
            return static_cast<int>(level) + 1;
    }
    return std::nullopt;
}

// "off", or an http or https address with a host, in printable ASCII: the report's query is
// appended to it as it stands.
std::optional<std::string> reportValue(std::string_view value) {
    const std::string word = lowered(value);
    if (word == "off")
        return word;
    std::size_t hostStart = 0;
    if (word.starts_with("http://"))
        hostStart = 7;
    else if (word.starts_with("https://"))
        hostStart = 8;
    else
        return std::nullopt;
    if (!std::all_of(value.begin(), value.end(), [](char c) { return c > 0x20 && c < 0x7F; }))
        return std::nullopt;
    const std::size_t hostEnd = value.find_first_of("/?#", hostStart);
    const std::string_view host = value.substr(hostStart, hostEnd - hostStart);
    if (host.empty() || host.find('@') != std::string_view::npos)
        return std::nullopt;
    return std::string(value);
}

// Applies one "key = value" from origin; the reason it cannot be used otherwise.
std::optional<std::string> apply(std::string_view key, std::string_view value,
                                 const std::string &origin, Settings &settings) {
    const std::string name = lowered(key);
    if (name == "report") {
        if (auto report = reportValue(value)) {
            settings.report = std::move(report);
            settings.from.report = origin;
            return std::nullopt;
        }
        return "adresse " + quoted(value) + " non valable (off, http://… ou https://…)";
    }
    if (name == "level") {
        if (auto level = levelValue(value)) {
            settings.level = level;
            settings.from.level = origin;
            return std::nullopt;
        }
        return "niveau " + quoted(value) + " inconnu (I, II ou III)";
    }
    if (name == "sound" || name == "sound-locked") {
        const std::optional<bool> on = booleanValue(value);
        if (!on)
            return quoted(value) + " n'est ni on ni off";
        (name == "sound" ? settings.sound : settings.soundLocked) = on;
        (name == "sound" ? settings.from.sound : settings.from.soundLocked) = origin;
        return std::nullopt;
    }
    return "réglage inconnu " + quoted(key);
}

// Why one line of the file cannot be used, if it cannot; else it is applied.
std::optional<std::string> readLine(std::string_view raw, const std::string &origin,
                                    Settings &settings) {
    if (raw.size() > LongestSettingsLine)
        return "plus de " + std::to_string(LongestSettingsLine) + " caractères";
    const std::string_view line = trimmed(raw);
    if (line.empty() || line.front() == '#' || line.front() == ';')
        return std::nullopt;
    if (!isReadableText(line))
        return "ce n'est pas du texte";
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return "« réglage = valeur » attendu";
    return apply(trimmed(line.substr(0, equals)), trimmed(line.substr(equals + 1)), origin,
                 settings);
}

// A refused line or option whose first word is "report" was meant for it, whatever it says:
// the report is then off, and the message says so.
void refuse(std::string_view text, const std::string &origin, std::string problem,
            Settings &settings, std::vector<std::string> &problems) {
    const std::string_view start = trimmed(text);
    if (lowered(start.substr(0, start.find_first_of(" \t="))) == "report") {
        settings.report = "off";
        settings.from.report = origin + ", refusée";
        problem += " : aucun rapport de fin ne sera envoyé";
    }
    problems.push_back(std::move(problem));
}

} // namespace

// Not QSettings: its reader drops a bad line unsaid and unnumbered, splits values at commas.
void readSettingsFile(std::string_view text, std::string_view fileName, Settings &settings,
                      std::vector<std::string> &problems) {
    // The UTF-8 byte-order mark that Windows editors put first.
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    std::size_t number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view raw = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        const std::string line = "ligne " + std::to_string(number);
        const std::string origin = line + " de " + std::string(fileName);
        if (auto reason = readLine(raw, origin, settings))
            refuse(raw, origin, std::string(fileName) + " : " + line + " ignorée : " + *reason,
                   settings, problems);
    }
}

// Not QCommandLineParser: its one error is in English, and "--sound --level=II" loses the level.
void readSettingsOptions(const std::vector<std::string> &arguments, Settings &settings,
                         std::vector<std::string> &problems) {
    for (const std::string &argument : arguments) {
        const std::string_view option(argument);
        if (!option.starts_with("--") || option == ShowSettingsOption)
            continue;
        const std::size_t equals = option.find('=');
        const std::string_view key = option.substr(2, equals - 2);
        const std::string origin = "option --" + std::string(key);
        if (equals == std::string_view::npos || !isReadableText(option) ||
            option.size() > LongestSettingsLine) {
            refuse(option.substr(2), origin, "option ignorée : « --réglage=valeur » attendu",
                   settings, problems);
            continue;
        }
        if (auto reason = apply(key, option.substr(equals + 1), origin, settings))
            refuse(key, origin, "option " + quoted(key) + " ignorée : " + *reason, settings,
                   problems);
    }
}

Settings withDefaults(Settings settings, std::string_view builtInReport) {
    const auto byDefault = [](auto &value, auto fallback, std::string &origin) {
        if (!value) {
            value = std::move(fallback);
            origin = "par défaut";
        }
    };
    byDefault(settings.report, std::string(builtInReport.empty() ? "off" : builtInReport),
              settings.from.report);
    byDefault(settings.level, 1, settings.from.level);
    byDefault(settings.sound, false, settings.from.sound);
    byDefault(settings.soundLocked, false, settings.from.soundLocked);
    return settings;
}

std::string describeSettings(const Settings &settings) {
    std::string text;
    const auto describe = [&text](const std::string &origin, std::string_view key,
                                  std::string_view value) {
        text += "# " + origin + "\n" + std::string(key) + " = " + std::string(value) + "\n";
    };
    const auto onOff = [](bool on) { return on ? "on" : "off"; };
    if (settings.report)
        describe(settings.from.report, "report", *settings.report);
    if (settings.level)
        describe(settings.from.level, "level",
                 std::array{"I", "II", "III"}.at(*settings.level - 1));
    if (settings.sound)
        describe(settings.from.sound, "sound", onOff(*settings.sound));
    if (settings.soundLocked)
        describe(settings.from.soundLocked, "sound-locked", onOff(*settings.soundLocked));
    return text;
}

} // namespace tavorim
