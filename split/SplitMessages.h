// Every message box the split engine shows.
#pragma once

#include "platform/MessageKinds.h"

namespace zolvane::split_messages {

inline constexpr MessageBoxSpec kCannotOpenSource{
    "ファイルが開けません。\n分割を中止します。", "エラー", MessageIcon::Error,
    MessageButtons::Ok};
inline constexpr MessageBoxSpec kCannotReadTimestamp{
    "ファイルのタイムスタンプが読み込めません。\n分割を中止します。", "エラー",
    MessageIcon::Error, MessageButtons::Ok};
inline constexpr MessageBoxSpec kInsertDisk{"フロッピーディスクを入れてください。", "エラー",
                                            MessageIcon::Warning, MessageButtons::RetryCancel};
inline constexpr MessageBoxSpec kInsertNextDisk{"次のフロッピーディスクを入れてください。",
                                                "メッセージ", MessageIcon::None,
                                                MessageButtons::OkCancel};
inline constexpr MessageBoxSpec kCannotCreatePiece{"分割ファイルを作成できません。", "エラー",
                                                   MessageIcon::Warning,
                                                   MessageButtons::RetryCancel};
inline constexpr MessageBoxSpec kCannotCreatePieceOnDisk{
    "フロッピーディスクを入れてください。", "エラー", MessageIcon::Warning,
    MessageButtons::RetryCancel};
inline constexpr MessageBoxSpec kWriteError{
    "書き込みエラーが発生しました。\nファイルの分割を中止します。", "エラー", MessageIcon::Error,
    MessageButtons::Ok};
inline constexpr MessageBoxSpec kCancelled{"分割が中止されました。", "メッセージ",
                                           MessageIcon::Information, MessageButtons::Ok};
inline constexpr MessageBoxSpec kFinished{"分割が終了しました。", "メッセージ",
                                          MessageIcon::Information, MessageButtons::Ok};

// Refusals that keep a split from making a set no join could use, or from harming the source.
inline constexpr MessageBoxSpec kSourceTooLarge{
    "ファイルが大きすぎます。\n2GB以上のファイルは分割できません。\n分割を中止します。",
    "エラー", MessageIcon::Error, MessageButtons::Ok};
inline constexpr MessageBoxSpec kPieceSizeTooSmall{
    "分割サイズが小さすぎます。\n分割を中止します。", "エラー", MessageIcon::Error,
    MessageButtons::Ok};
inline constexpr MessageBoxSpec kTooManyPieces{
    "分割ファイルが1000個を超えます。\n分割サイズを大きくしてください。\n分割を中止します。",
    "エラー", MessageIcon::Error, MessageButtons::Ok};
inline constexpr MessageBoxSpec kNoPieceName{
    "分割ファイルの名前を作れません。\nファイル名を確認してください。\n分割を中止します。",
    "エラー", MessageIcon::Error, MessageButtons::Ok};
inline constexpr MessageBoxSpec kPieceIsSource{
    "分割ファイルが元のファイルと同じになります。\n分割を中止します。", "エラー",
    MessageIcon::Error, MessageButtons::Ok};
inline constexpr MessageBoxSpec kNameTooLong{"ファイル名が長すぎます。\n分割を中止します。",
                                             "エラー", MessageIcon::Error, MessageButtons::Ok};
inline constexpr MessageBoxSpec kReadError{
    "ファイルの読み込みに失敗しました。\n分割を中止します。", "エラー", MessageIcon::Error,
    MessageButtons::Ok};

}  // namespace zolvane::split_messages
