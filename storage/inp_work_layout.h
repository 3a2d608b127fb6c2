#pragma once

#include <array>
#include <string>
#include <string_view>

// What a stored column holds, as the screens show and edit it.
enum class ColumnKind { Text, Integer, Amount, Date, YesNo };

struct ColumnLayout
{
    std::string_view name;
    ColumnKind kind;
    std::string_view sqlType;
};

// The working table InpWork (and InpWorkSort and InpWork印刷, shaped alike), column by column: the one
// place its layout is written. The table is created from it, the draft's column indexes are checked
// against it, the grid takes its cells' kinds from it and the working rows are read by it. Amounts are
// whole ten-thousandths and default to 0, because a blank row must read 0 in both amounts; dates are ISO
// text.
inline constexpr std::array<ColumnLayout, 9> kInpWorkLayout = {{
    {"行番号", ColumnKind::Integer, "INTEGER"},
    {"元行番号", ColumnKind::Integer, "INTEGER"},
    {"表示日付", ColumnKind::Text, "TEXT"},
    {"日付", ColumnKind::Date, "TEXT"},
    {"入金先名", ColumnKind::Text, "TEXT"},
    {"予定額", ColumnKind::Amount, "INTEGER DEFAULT 0"},
    {"入金額", ColumnKind::Amount, "INTEGER DEFAULT 0"},
    {"残高", ColumnKind::Amount, "INTEGER DEFAULT 0"},
    {"StoredRowId", ColumnKind::Integer, "INTEGER"},
}};

// The position of a column in kInpWorkLayout; the size of the layout for a name it lacks.
constexpr std::size_t inpWorkColumnIndex(std::string_view name)
{
    for (std::size_t i = 0; i < kInpWorkLayout.size(); ++i)
        if (kInpWorkLayout[i].name == name)
            return i;
    return kInpWorkLayout.size();
}

// The names in layout order, comma separated, for a select or an insert.
inline std::string inpWorkColumnNames()
{
    std::string names;
    for (const ColumnLayout& column : kInpWorkLayout) {
        if (!names.empty())
            names += ", ";
        names += column.name;
    }
    return names;
}
