#pragma once
// lmPutw's own texts (UTF-8), used exactly as they stand.

namespace lumora::lmputw::text {

inline constexpr const char* kCaption = "lmPut";
inline constexpr const char* kCaptionFormat = "[%d/%d] %s -> %s";
inline constexpr const char* kCancel = "キャンセル";
inline constexpr const char* kNoFiles = "転送するファイルをアイコンにドロップしてください";

inline constexpr const char* kPortFailed = "COMポートが開けません";
inline constexpr const char* kInitialising = "初期化中...";
inline constexpr const char* kReading = "ファイル読み込み...";
inline constexpr const char* kSourceUnreadable = "転送元: %s が読めません";
// A plain file whose block count does not fit the header's 16-bit field.
inline constexpr const char* kSourceTooLarge = "転送元: %s が大きすぎます";
inline constexpr const char* kDeleting = "ファイル削除中...";
inline constexpr const char* kDefragmenting = "デフラグ中...";
inline constexpr const char* kSending = "ファイル送信中...";
inline constexpr const char* kWriteFailed = "書き込みに失敗しました(%d)";
inline constexpr const char* kDefragForSpace = "容量不足のためデフラグ中...";
inline constexpr const char* kSendingAgain = "ファイル再送信中...";

}  // namespace lumora::lmputw::text
