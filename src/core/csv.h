#pragma once

#include <string>
#include <string_view>

// Spreadsheet text as the program writes it: UTF-8 with a byte-order mark (without it
// spreadsheet programs read Cyrillic as a one-byte code page), ";" between fields, CR LF after
// every row.
namespace pa {

inline constexpr std::string_view kCsvStart = "\xEF\xBB\xBF";
inline constexpr char kCsvSeparator = ';';

// A field as it stands in a row: in quotes, its quotes doubled, when it holds the separator, a
// quote or a line break; as it is otherwise.
std::string csvField(std::string_view text);

// Adds one row of fields, each a string or string view, and its CR LF.
template <class Fields> void appendCsvRow(std::string& csv, const Fields& fields) {
    bool first = true;
    for (const auto& field : fields) {
        if (!first)
            csv += kCsvSeparator;
        first = false;
        csv += csvField(field);
    }
    csv += "\r\n";
}

} // namespace pa
