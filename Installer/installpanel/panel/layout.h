#pragma once
// Where the option rows go: the rows that are offered move up to follow one another without
// gaps; the expanded window ends where the next row would begin.
namespace NimboNS::installpanel {

inline constexpr int kOptionRows = 3;  // launcher folder, apps folder, multi-user question

struct RowLayout {
    bool shown[kOptionRows] = {};
    int shift[kOptionRows] = {};  // how far each shown row moves (negative: up)
    int expandedHeight = 0;       // client height of the expanded window
};

// `rowTops` are the rows' tops as laid out in the template; `endTop` is where a row after the
// last one would begin (the template's client height).
RowLayout LayOutRows(const bool offered[kOptionRows], const int rowTops[kOptionRows], int endTop);

}  // namespace NimboNS::installpanel
