#include "tool/font_records.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <iterator>

#include "tool/fontsheet.h"

namespace {

struct NamedCharset {
    BYTE charset;
    const char* name;
};

constexpr NamedCharset kCharsetNames[] = {
    {ANSI_CHARSET, "ANSI"},
    {DEFAULT_CHARSET, "DEFAULT"},
    {SYMBOL_CHARSET, "SYMBOL"},
    {SHIFTJIS_CHARSET, "SHIFTJIS"},
    {HANGUL_CHARSET, "HANGUL"},
    {JOHAB_CHARSET, "JOHAB"},
    {GB2312_CHARSET, "GB2312"},
    {CHINESEBIG5_CHARSET, "CHINESEBIG5"},
    {GREEK_CHARSET, "GREEK"},
    {TURKISH_CHARSET, "TURKISH"},
    {VIETNAMESE_CHARSET, "VIETNAMESE"},
    {HEBREW_CHARSET, "HEBREW"},
    {ARABIC_CHARSET, "ARABIC"},
    {BALTIC_CHARSET, "BALTIC"},
    {RUSSIAN_CHARSET, "RUSSIAN"},
    {THAI_CHARSET, "THAI"},
    {EASTEUROPE_CHARSET, "EASTEUROPE"},
    {OEM_CHARSET, "OEM"},
};

int CALLBACK CollectRecord(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM context) {
    reinterpret_cast<std::vector<LOGFONTA>*>(context)->push_back(*font);
    return -1;
}

std::string Lowered(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool ParseNumber(const std::string& text, size_t* number) {
    const char* end = text.data() + text.size();
    const auto parsed = std::from_chars(text.data(), end, *number);
    return !text.empty() && parsed.ec == std::errc() && parsed.ptr == end;
}

// Edits (insertions, deletions, substitutions) between two names.
size_t EditDistance(const std::string& a, const std::string& b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// Up to three faces closest to the name asked for: those containing it first.
std::string CloseFaces(const std::vector<LOGFONTA>& records, const std::string& asked) {
    std::vector<std::pair<size_t, std::string>> ranked;
    for (const LOGFONTA& record : records) {
        const std::string face = ListedFaceName(record);
        const std::string lowered = Lowered(face);
        const size_t rank =
            lowered.find(asked) != std::string::npos ? 0 : 1 + EditDistance(lowered, asked);
        if (std::none_of(ranked.begin(), ranked.end(),
                         [&](const auto& r) { return r.second == face; }))
            ranked.emplace_back(rank, face);
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string close;
    for (size_t i = 0; i < ranked.size() && i < 3; ++i)
        close += (i == 0 ? "" : ", ") + ("'" + ranked[i].second + "'");
    return close;
}

}  // namespace

std::vector<LOGFONTA> EnumerateFontRecords() {
    std::vector<LOGFONTA> records;
    IDirectDrawSurface* target = displayDevice.renderTarget;
    HDC dc = nullptr;
    if (target == nullptr || target->GetDC(&dc) != DD_OK) return records;
    LOGFONTA everyFont = {};
    everyFont.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExA(dc, &everyFont, CollectRecord, reinterpret_cast<LPARAM>(&records), 0);
    target->ReleaseDC(dc);
    return records;
}

std::string CharsetName(BYTE charset) {
    for (const NamedCharset& named : kCharsetNames)
        if (named.charset == charset) return named.name;
    return "UNKNOWN";
}

bool ParseCharset(const std::string& text, BYTE* charset) {
    size_t number = 0;
    if (ParseNumber(text, &number)) {
        if (number > 255) return false;
        *charset = static_cast<BYTE>(number);
        return true;
    }
    for (const NamedCharset& named : kCharsetNames)
        if (Lowered(named.name) == Lowered(text)) {
            *charset = named.charset;
            return true;
        }
    return false;
}

std::string FaceNameOf(const LOGFONTA& record) {
    const char* end = std::find(std::begin(record.lfFaceName), std::end(record.lfFaceName), '\0');
    return std::string(record.lfFaceName, end);
}

std::string ListedFaceName(const LOGFONTA& record) {
    static const char kHex[] = "0123456789abcdef";
    std::string listed;
    for (const char c : FaceNameOf(record)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F && byte != '\\') {
            listed += c;
            continue;
        }
        listed += "\\x";
        listed += kHex[byte >> 4];
        listed += kHex[byte & 15];
    }
    return listed;
}

bool FindRecord(const std::vector<LOGFONTA>& records, const std::string& font,
                const std::string& charset, size_t* index, std::string* error) {
    size_t number = 0;
    if (ParseNumber(font, &number)) {
        if (number < records.size()) {
            *index = number;
            return true;
        }
        *error = "there is no font record " + font + " (the list has " +
                 std::to_string(records.size()) + ")";
        return false;
    }
    BYTE wanted = 0;
    if (!charset.empty() && !ParseCharset(charset, &wanted)) {
        *error = "unknown character set '" + charset + "'";
        return false;
    }
    const std::string asked = Lowered(font);
    bool faceFound = false;
    for (size_t i = 0; i < records.size(); ++i) {
        if (Lowered(ListedFaceName(records[i])) != asked) continue;
        faceFound = true;
        if (charset.empty() || records[i].lfCharSet == wanted) {
            *index = i;
            return true;
        }
    }
    if (faceFound)
        *error = "font '" + font + "' has no record in character set '" + charset + "'";
    else if (records.empty())
        *error = "no font '" + font + "': no fonts are installed";
    else
        *error = "no font '" + font + "'; close: " + CloseFaces(records, asked);
    return false;
}
