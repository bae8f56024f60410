#pragma once
// orvconv's messages, each one line ending in a line feed.

namespace lumora::orv::msg {

inline constexpr const char* kNoCoordinateFile = "座標 ファイルがありません\n";
inline constexpr const char* kCannotOpenCoordinateFile = "座標 ファイルを開けません\n";
inline constexpr const char* kCannotOpenInput = ".fr ファイルを開けません\n";
inline constexpr const char* kCannotOpenHeaderFile = "ORVMAPA.fr を開けません\n";
inline constexpr const char* kFileTooLarge = "ファイルが大きすぎます\n";
// Creation failures of data files 4 down to 1.
inline constexpr const char* kCannotOpenData[4] = {"出力ファイル２を開けません\n",
                                                   "出力ファイル３を開けません\n",
                                                   "ORVMAPB3.frを開けません\n", "ORVMAPB4.frを開けません\n"};

// Refusals of input the converter cannot work with.
inline constexpr const char* kCoordinateFileTooShort = "座標 ファイルの行が足りません\n";
inline constexpr const char* kCannotReadCoordinateFile = "座標 ファイルを読めません\n";
inline constexpr const char* kInputTooShort = ".fr ファイルが短すぎます\n";
inline constexpr const char* kCannotReadInput = ".fr ファイルを読めません\n";
inline constexpr const char* kBadColourRange = ".fr ファイルの色番号の範囲が正しくありません\n";
inline constexpr const char* kNoTiles = ".fr ファイルの幅または高さが 0 です\n";
inline constexpr const char* kBadImageSize = "イメージサイズが正しくありません\n";
inline constexpr const char* kBadCoordinate = "座標の値が正しくありません\n";

}  // namespace lumora::orv::msg
