// Reads what the text probe wrote and lists where two platforms' answers differ.
#pragma once

#include <string>
#include <vector>

namespace vantor::testing {

struct ProbeRecord {
    std::string key;  // "enum 3", "font \"DejaVu Sans\" char 65", ...
    std::vector<std::pair<std::string, std::string>>
        fields;  // name and value; a lone value's name is empty
};

// The probe's lines in order; empty when the file cannot be read.
std::vector<ProbeRecord> ReadProbe(const std::string& path);

// The value of a named field of a record, empty when it has none.
std::string Field(const ProbeRecord& record, const std::string& name);

// One line per difference between the two: a record only one has, or a field whose values
// differ, naming the two sides.
std::vector<std::string> ProbeDifferences(const std::vector<ProbeRecord>& a,
                                          const std::string& nameA,
                                          const std::vector<ProbeRecord>& b,
                                          const std::string& nameB);

}  // namespace vantor::testing
