#include "real_platform/probe_comparison.h"

#include <fstream>
#include <map>

namespace vantor::testing {
namespace {

// Splits at spaces outside double quotes.
std::vector<std::string> Tokens(const std::string& line) {
    std::vector<std::string> tokens;
    std::string token;
    bool quoted = false;
    for (char c : line) {
        if (c == '"') quoted = !quoted;
        if (c == ' ' && !quoted) {
            if (!token.empty()) tokens.push_back(token);
            token.clear();
        } else {
            token += c;
        }
    }
    if (!token.empty()) tokens.push_back(token);
    return tokens;
}

// The key is the words before the first name=value field; a line with no such field
// ends in one value of its own.
ProbeRecord ParseLine(const std::string& line) {
    ProbeRecord record;
    std::vector<std::string> tokens = Tokens(line);
    size_t first = 0;
    while (first < tokens.size() && tokens[first].find('=') == std::string::npos) ++first;
    if (first == tokens.size() && first > 0) --first;
    for (size_t i = 0; i < first; ++i) record.key += (i ? " " : "") + tokens[i];
    for (size_t i = first; i < tokens.size(); ++i) {
        const size_t equals = tokens[i].find('=');
        if (equals == std::string::npos || tokens[i][0] == '"')
            record.fields.emplace_back("", tokens[i]);
        else
            record.fields.emplace_back(tokens[i].substr(0, equals), tokens[i].substr(equals + 1));
    }
    return record;
}

}  // namespace

std::vector<ProbeRecord> ReadProbe(const std::string& path) {
    std::vector<ProbeRecord> records;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) records.push_back(ParseLine(line));
    return records;
}

std::string Field(const ProbeRecord& record, const std::string& name) {
    for (const auto& [field, value] : record.fields)
        if (field == name) return value;
    return "";
}

std::vector<std::string> ProbeDifferences(const std::vector<ProbeRecord>& a,
                                          const std::string& nameA,
                                          const std::vector<ProbeRecord>& b,
                                          const std::string& nameB) {
    std::map<std::string, const ProbeRecord*> byKey;
    for (const ProbeRecord& record : b) byKey[record.key] = &record;
    std::vector<std::string> differences;
    for (const ProbeRecord& record : a) {
        auto other = byKey.find(record.key);
        if (other == byKey.end()) {
            differences.push_back(record.key + ": only on " + nameA);
            continue;
        }
        const ProbeRecord& twin = *other->second;
        for (size_t i = 0; i < record.fields.size() || i < twin.fields.size(); ++i) {
            const std::string valueA =
                i < record.fields.size() ? record.fields[i].second : "(none)";
            const std::string valueB = i < twin.fields.size() ? twin.fields[i].second : "(none)";
            if (valueA == valueB) continue;
            const std::string& name =
                i < record.fields.size() ? record.fields[i].first : twin.fields[i].first;
            differences.push_back(record.key + ": " + (name.empty() ? "" : name + " ") + nameA +
                                  " " + valueA + ", " + nameB + " " + valueB);
        }
        byKey.erase(other);
    }
    for (const ProbeRecord& record : b)
        if (byKey.count(record.key)) differences.push_back(record.key + ": only on " + nameB);
    return differences;
}

}  // namespace vantor::testing
