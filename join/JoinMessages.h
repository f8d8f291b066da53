// Every message box the join engine shows.
#pragma once

#include "platform/MessageKinds.h"

namespace zolvane::join_messages {

inline constexpr MessageBoxSpec kInsertDisk{"フロッピーディスクを入れてください。", "エラー",
                                            MessageIcon::Warning, MessageButtons::RetryCancel};
inline constexpr MessageBoxSpec kInsertNextDisk{"次のフロッピーディスクを入れてください。",
                                                "エラー", MessageIcon::Warning,
                                                MessageButtons::RetryCancel};
inline constexpr MessageBoxSpec kPieceNotFound{
    "次のディスクを入れてください。\n\nフロッピーディスクからでない場合、\n"
    "ファイルが指定のフォルダに見つかりませんでした。",
    "警告", MessageIcon::Warning, MessageButtons::OkCancel};
inline constexpr MessageBoxSpec kNotAPiece{"分割されたファイルではありません。\n結合を中止します。",
                                           "エラー", MessageIcon::Error, MessageButtons::Ok};
inline constexpr MessageBoxSpec kNameTooLong{
    "記録されていたファイル名が長すぎます。\n結合を中止します。", "エラー", MessageIcon::Error,
    MessageButtons::Ok};
inline constexpr MessageBoxSpec kCannotCreateOutput{
    "結合先のファイルを作成できませんでした。\n結合を中止します。", "エラー", MessageIcon::Error,
    MessageButtons::Ok};
inline constexpr MessageBoxSpec kWrongNumber{
    "ファイルの拡張子が変更されています。\n結合を中止します。", "エラー", MessageIcon::Error,
    MessageButtons::Ok};
inline constexpr MessageBoxSpec kWriteFailed{"データの書き込みに失敗しました。\n結合を中止します。",
                                             "エラー", MessageIcon::Error, MessageButtons::Ok};
inline constexpr MessageBoxSpec kTooMuchData{
    "書き込みデータが元のファイルサイズより大きくなりました。\n結合を中止します。", "エラー",
    MessageIcon::Error, MessageButtons::Ok};
inline constexpr MessageBoxSpec kArchiverBusy{"UNLHA32.DLLが使用中です。\n結合を中止します。",
                                              "エラー", MessageIcon::Error, MessageButtons::Ok};
inline constexpr MessageBoxSpec kCannotDeleteArchive{"作成したLZHファイルの削除に失敗しました。",
                                                     "失敗", MessageIcon::Information,
                                                     MessageButtons::Ok};
// The archive is kept when its unpacking fails, so the box says where it is.
inline constexpr MessageBoxSpec kExtractionFailed{
    "結合に失敗しました。\n結合したLZHファイルは結合先に残してあります。", "メッセージ",
    MessageIcon::Information, MessageButtons::Ok};
inline constexpr MessageBoxSpec kCancelled{"結合が中止されました。", "メッセージ",
                                           MessageIcon::Information, MessageButtons::Ok};
inline constexpr MessageBoxSpec kFinished{"結合が終了しました。", "メッセージ",
                                          MessageIcon::Information, MessageButtons::Ok};

// Refusals of damaged or hostile sets, and of joins that would harm their own pieces.
inline constexpr MessageBoxSpec kBadName{
    "記録されていたファイル名が正しくありません。\n結合を中止します。", "エラー",
    MessageIcon::Error, MessageButtons::Ok};
inline constexpr MessageBoxSpec kBrokenHeader{
    "分割ファイルのヘッダーが壊れています。\n結合を中止します。", "エラー", MessageIcon::Error,
    MessageButtons::Ok};
inline constexpr MessageBoxSpec kOutputIsPiece{
    "結合先のファイルが分割ファイルと同じになります。\n結合を中止します。", "エラー",
    MessageIcon::Error, MessageButtons::Ok};
inline constexpr MessageBoxSpec kPastLastPiece{
    "999番の分割ファイルで元のサイズに達しませんでした。\n結合を中止します。", "エラー",
    MessageIcon::Error, MessageButtons::Ok};
inline constexpr MessageBoxSpec kReadFailed{
    "分割ファイルの読み込みに失敗しました。\n結合を中止します。", "エラー", MessageIcon::Error,
    MessageButtons::Ok};
inline constexpr MessageBoxSpec kNoArchiver{
    "LZHファイルを展開できませんでした。\n圧縮ライブラリが読み込まれていません。\n"
    "結合したLZHファイルは結合先に残してあります。",
    "エラー", MessageIcon::Error, MessageButtons::Ok};

inline constexpr MessageBoxSpec kUnusableDestination{
    "結合先のフォルダ名に使えない文字 (\") が含まれています。\n結合を中止します。", "エラー",
    MessageIcon::Error, MessageButtons::Ok};
inline constexpr MessageBoxSpec kUnpackDeclined{
    "LZHファイルの展開を中止しました。\n結合したLZHファイルは結合先に残してあります。",
    "メッセージ", MessageIcon::Information, MessageButtons::Ok};

}  // namespace zolvane::join_messages
