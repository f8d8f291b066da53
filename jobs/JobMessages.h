// Every message box of the execute command, the compression step and the packing that both
// front ends share.
#pragma once

#include "join/JoinMessages.h"
#include "platform/MessageKinds.h"
#include "split/SplitMessages.h"

namespace zolvane::job_messages {

inline constexpr MessageBoxSpec kNoFileToSplit{"分割するファイルを指定してください", "エラー",
                                               MessageIcon::Error, MessageButtons::Ok};
inline constexpr MessageBoxSpec kNoFileToJoin{"結合するファイルを指定してください", "エラー",
                                              MessageIcon::Error, MessageButtons::Ok};
inline constexpr MessageBoxSpec kSplitFailed{"分割に失敗しました", "情報",
                                             MessageIcon::Information, MessageButtons::Ok};
inline constexpr const MessageBoxSpec& kSplitCancelled = split_messages::kCancelled;
inline constexpr MessageBoxSpec kPackCancelled{"圧縮が中止されました。", "メッセージ",
                                               MessageIcon::Information, MessageButtons::Ok};
inline constexpr MessageBoxSpec kArchiverBusyForSplit{
    "UNLHA32.DLLが使用中です。\n分割を中止します。", "エラー", MessageIcon::Error,
    MessageButtons::Ok};
inline constexpr MessageBoxSpec kArchiverBusyForPack{
    "UNLHA32.DLLが使用中です。\n圧縮を中止します。", "エラー", MessageIcon::Error,
    MessageButtons::Ok};
// The join says it too, of the archive it rebuilt.
inline constexpr const MessageBoxSpec& kCannotDeleteArchive = join_messages::kCannotDeleteArchive;
// An archive that is split is deleted afterwards: a file that was there before is never
// taken over.
inline constexpr MessageBoxSpec kArchiveExists{
    "同名のファイルが既にあります。\n別の書庫名を指定してください。", "エラー",
    MessageIcon::Error, MessageButtons::Ok};
inline constexpr MessageBoxSpec kNoArchiver{
    "圧縮ライブラリ (libUnlha32.so) が見つかりません。\n圧縮と展開はできません。", "エラー",
    MessageIcon::Error, MessageButtons::Ok};
inline constexpr MessageBoxSpec kCannotCheckUnpack{
    "展開先で上書きされるファイルを確かめられませんでした。", "エラー", MessageIcon::Error,
    MessageButtons::Ok};

}  // namespace zolvane::job_messages
