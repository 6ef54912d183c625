// The texts of the compound-file document's dialogs.
#pragma once

inline constexpr char kStreamSizeTitle[] = "ストリームサイズ変更";
inline constexpr char kStreamNameLabel[] = "ストリーム名称";
inline constexpr char kCurrentSizeLabel[] = "現在のサイズ";
inline constexpr char kNewSizeLabel[] = "新しいサイズ";
inline constexpr char kDecimalHeading[] = "Decimal";
inline constexpr char kHexadecimalHeading[] = "Hexadecimal";
inline constexpr char kMegabyteLabel[] = "MB";
inline constexpr char kDataLossQuestion[] = "一部のデータが失われます。処理を続けますか？";

inline constexpr char kByteEditTitle[] = "１バイト編集";
inline constexpr char kByteEditHint[] = "16進数で入力してください。";
inline constexpr char kPositionLabel[] = "位置";
inline constexpr char kValueLabel[] = "値";
// Position high and low, size high and low, each "%08X".
inline constexpr char kBeyondSizeQuestion[] =
    "位置(%1 %2)がサイズ(%3 %4)を超えています。\nそのまま書きこみますか？";

inline constexpr char kGotoTitle[] = "指定位置へ移動";
inline constexpr char kGotoHexadecimal[] = "16進数";
inline constexpr char kGotoDecimal[] = "10進数";
inline constexpr char kPositionBeyondEnd[] = "位置がストリームのサイズを超えています。";

inline constexpr char kOkButton[] = "OK";
inline constexpr char kCancelButton[] = "ｷｬﾝｾﾙ";
